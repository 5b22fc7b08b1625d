// Writes one MSCONS message (metered values): header, parties, and per metering point its
// Lokation with dates and meter number (also for a point without values, such as a Storno), its
// line items (LIN, PIA with the OBIS code) and their quantities; hands back the typed message read
// from the bytes written.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "edi_energy/builders/agency.hpp"
#include "edi_energy/builders/typestate.hpp"
#include "edi_energy/builders/written.hpp"
#include "edi_energy/error.hpp"
#include "edi_energy/messages/mscons.hpp"
#include "edi_energy/release.hpp"
#include "rubo4e/identifiers/obis_code.hpp"

namespace edi_energy::builders::mscons {

// Start and end of a period, each a date text for format 303.
struct Period {
  std::string start;
  std::string end;
};

struct QuantitySpec {
  std::string qualifier;
  std::string value;
  std::string unit;  // may be empty
  std::optional<Period> period;
};

struct LineItemSpec {
  std::uint64_t position = 1;
  std::optional<rubo4e::identifiers::obis_code::ObisCode> obis;
  std::string product_code_qualifier = "SRW";  // "Z02" for a BDEW OBIS-like code
  std::vector<QuantitySpec> quantities;
  std::optional<std::pair<std::string, std::string>> leistungsperiode;  // value, format (DTM+306)
  std::optional<std::pair<std::string, std::string>> substitute_status;  // STS+Z32, STS+Z40
  std::optional<std::string> messklassifizierung;                       // STS+10
};

struct MeteringPointSpec {
  std::string location_id;
  std::string party_qualifier = "DP";       // NAD DE 3035 opening the point's group
  std::string location_qualifier = "172";   // LOC DE 3227: Meldepunkt, Profil, Bilanzierungsgebiet
  std::optional<std::string> loc_override;  // written in LOC instead of the location ID
  std::vector<LineItemSpec> line_items;
  std::optional<Period> period;             // DTM+163, DTM+164
  std::optional<std::string> bilanzierung;  // DTM+492, format 610
  std::optional<std::string> completion;    // DTM+293, format 304
  std::optional<std::string> meter_number;  // RFF+MG
};

class MeteringPointBuilder {
 public:
  explicit MeteringPointBuilder(std::string location_id) { spec_.location_id = std::move(location_id); }

  MeteringPointBuilder party_qualifier(std::string qualifier) && {
    return std::move(*this).with(&MeteringPointSpec::party_qualifier, std::move(qualifier));
  }
  MeteringPointBuilder location_qualifier(std::string qualifier) && {
    return std::move(*this).with(&MeteringPointSpec::location_qualifier, std::move(qualifier));
  }
  MeteringPointBuilder loc_override(std::string id) && {
    return std::move(*this).with(&MeteringPointSpec::loc_override, std::move(id));
  }
  MeteringPointBuilder line_item(LineItemSpec item) && {
    spec_.line_items.push_back(std::move(item));
    return std::move(*this);
  }
  MeteringPointBuilder period(std::string start, std::string end) && {
    return std::move(*this).with(&MeteringPointSpec::period, Period{std::move(start), std::move(end)});
  }
  MeteringPointBuilder bilanzierung(std::string value) && {
    return std::move(*this).with(&MeteringPointSpec::bilanzierung, std::move(value));
  }
  MeteringPointBuilder completion(std::string value) && {
    return std::move(*this).with(&MeteringPointSpec::completion, std::move(value));
  }
  MeteringPointBuilder meter_number(std::string value) && {
    return std::move(*this).with(&MeteringPointSpec::meter_number, std::move(value));
  }

  MeteringPointSpec build() && { return std::move(spec_); }

 private:
  template <class Field, class Value>
  MeteringPointBuilder with(Field MeteringPointSpec::*field, Value value) && {
    spec_.*field = std::move(value);
    return std::move(*this);
  }

  MeteringPointSpec spec_;
};

struct MsconsBuilderInner {
  release::Release release;
  std::string message_reference = "1";
  std::string document_code = "7";
  std::string document_number;  // empty: the message reference is written
  std::string message_function = "9";  // BGM DE 1225: "9" original, "1" Storno
  std::vector<std::pair<std::string, std::string>> references;
  std::vector<MeteringPointSpec> metering_points;
  std::optional<std::string> sender;
  std::optional<std::string> receiver;
  std::optional<std::string> document_date;  // the current UTC time when absent
  std::optional<std::uint32_t> pruefidentifikator;
  AgencyKind sender_agency = AgencyKind::Automatic;
  AgencyKind receiver_agency = AgencyKind::Automatic;
};

// Writes the message from its values; `build` calls it once both parties are set.
Result<messages::mscons::MsconsMessage> build_mscons(MsconsBuilderInner inner);
// The message's bytes with the sources of its segments, fields named "metering_points[0].location_id".
Result<Written> write_mscons(const MsconsBuilderInner& inner);

template <class Sender = Unset, class Receiver = Unset>
class MsconsBuilder {
 public:
  explicit MsconsBuilder(release::Release release)
    requires std::same_as<Sender, Unset> && std::same_as<Receiver, Unset>
  {
    inner_.release = std::move(release);
  }

  MsconsBuilder<Set, Receiver> sender(std::string party_id) && {
    inner_.sender = std::move(party_id);
    return MsconsBuilder<Set, Receiver>(std::move(inner_));
  }
  MsconsBuilder<Sender, Set> receiver(std::string party_id) && {
    inner_.receiver = std::move(party_id);
    return MsconsBuilder<Sender, Set>(std::move(inner_));
  }

  MsconsBuilder message_reference(std::string value) && {
    return std::move(*this).with(&MsconsBuilderInner::message_reference, std::move(value));
  }
  MsconsBuilder document_code(std::string value) && {
    return std::move(*this).with(&MsconsBuilderInner::document_code, std::move(value));
  }
  MsconsBuilder document_number(std::string value) && {
    return std::move(*this).with(&MsconsBuilderInner::document_number, std::move(value));
  }
  MsconsBuilder message_function(std::string value) && {
    return std::move(*this).with(&MsconsBuilderInner::message_function, std::move(value));
  }
  MsconsBuilder document_date(std::optional<std::string> value) && {
    return std::move(*this).with(&MsconsBuilderInner::document_date, std::move(value));
  }
  MsconsBuilder pruefidentifikator(std::optional<std::uint32_t> value) && {
    return std::move(*this).with(&MsconsBuilderInner::pruefidentifikator, value);
  }
  MsconsBuilder sender_agency(AgencyKind kind) && {
    return std::move(*this).with(&MsconsBuilderInner::sender_agency, kind);
  }
  MsconsBuilder receiver_agency(AgencyKind kind) && {
    return std::move(*this).with(&MsconsBuilderInner::receiver_agency, kind);
  }
  MsconsBuilder reference(std::string qualifier, std::string value) && {
    inner_.references.emplace_back(std::move(qualifier), std::move(value));
    return std::move(*this);
  }
  MsconsBuilder metering_point(MeteringPointSpec point) && {
    inner_.metering_points.push_back(std::move(point));
    return std::move(*this);
  }

  const MsconsBuilderInner& inner() const { return inner_; }

  Result<messages::mscons::MsconsMessage> build() &&
    requires BothSet<Sender, Receiver>
  {
    return build_mscons(std::move(inner_));
  }

 private:
  template <class, class>
  friend class MsconsBuilder;
  explicit MsconsBuilder(MsconsBuilderInner inner) : inner_(std::move(inner)) {}

  template <class Field, class Value>
  MsconsBuilder with(Field MsconsBuilderInner::*field, Value value) && {
    inner_.*field = std::move(value);
    return std::move(*this);
  }

  MsconsBuilderInner inner_;
};

}  // namespace edi_energy::builders::mscons

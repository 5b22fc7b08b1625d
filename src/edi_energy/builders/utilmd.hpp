// Writes one UTILMD message from a header and its Vorgänge, with each Vorgang's SG8 groups in
// the order of the release's MIG, and hands back the typed message read from the bytes written.
#pragma once

#include <concepts>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>

#include "edi_energy/builders/typestate.hpp"
#include "edi_energy/builders/utilmd_records.hpp"
#include "edi_energy/builders/written.hpp"
#include "edi_energy/error.hpp"
#include "edi_energy/lokationstyp.hpp"
#include "edi_energy/messages/utilmd.hpp"

namespace edi_energy::builders::utilmd {

// Writes the message from its values; `build` calls it once both parties are set. More than
// five name parts in a party are refused, never cut off.
Result<messages::utilmd::UtilmdMessage> build_utilmd(UtilmdBuilderInner inner);
// The message's bytes with the sources of its segments, fields named "transactions[1].locations[0]".
Result<Written> write_utilmd(const UtilmdBuilderInner& inner);

// The DE 2379 format a Vorgang's date of this DTM qualifier is written in (303 unless the
// qualifier asks for a plain date).
std::string_view date_format(std::string_view qualifier);

template <class Sender, class Receiver>
class UtilmdTransactionBuilder;

template <class Sender = Unset, class Receiver = Unset>
class UtilmdBuilder {
 public:
  explicit UtilmdBuilder(release::Release release)
    requires std::same_as<Sender, Unset> && std::same_as<Receiver, Unset>
  {
    inner_.release = std::move(release);
  }

  UtilmdBuilder<Set, Receiver> sender(std::string party_id) && {
    inner_.sender = std::move(party_id);
    return UtilmdBuilder<Set, Receiver>(std::move(inner_));
  }
  UtilmdBuilder<Sender, Set> receiver(std::string party_id) && {
    inner_.receiver = std::move(party_id);
    return UtilmdBuilder<Sender, Set>(std::move(inner_));
  }

  UtilmdBuilder message_reference(std::string value) && {
    return std::move(*this).with(&UtilmdBuilderInner::message_reference, std::move(value));
  }
  UtilmdBuilder document_code(std::string value) && {
    return std::move(*this).with(&UtilmdBuilderInner::document_code, std::move(value));
  }
  UtilmdBuilder document_number(std::optional<std::string> value) && {
    return std::move(*this).with(&UtilmdBuilderInner::document_number, std::move(value));
  }
  UtilmdBuilder validity_start(std::optional<std::string> value) && {
    return std::move(*this).with(&UtilmdBuilderInner::validity_start, std::move(value));
  }
  UtilmdBuilder document_date(std::optional<std::string> value) && {
    return std::move(*this).with(&UtilmdBuilderInner::document_date, std::move(value));
  }
  UtilmdBuilder pruefidentifikator(std::optional<std::uint32_t> value) && {
    return std::move(*this).with(&UtilmdBuilderInner::pruefidentifikator, value);
  }
  UtilmdBuilder vorgang_pid_reference(bool written) && {
    return std::move(*this).with(&UtilmdBuilderInner::vorgang_pid_reference, written);
  }
  UtilmdBuilder sender_agency(AgencyKind kind) && {
    return std::move(*this).with(&UtilmdBuilderInner::sender_agency, kind);
  }
  UtilmdBuilder receiver_agency(AgencyKind kind) && {
    return std::move(*this).with(&UtilmdBuilderInner::receiver_agency, kind);
  }
  UtilmdBuilder reference(std::string qualifier, std::string value) && {
    inner_.references.emplace_back(std::move(qualifier), std::move(value));
    return std::move(*this);
  }
  // A Vorgang given whole.
  UtilmdBuilder transaction(UtilmdTransactionSpec spec) && {
    inner_.transactions.push_back(std::move(spec));
    return std::move(*this);
  }
  // Starts a Vorgang; its `done` returns this builder with the Vorgang appended.
  UtilmdTransactionBuilder<Sender, Receiver> transaction(std::string ide_qualifier, std::string vorgangsnummer) &&;

  const UtilmdBuilderInner& inner() const { return inner_; }

  Result<messages::utilmd::UtilmdMessage> build() &&
    requires BothSet<Sender, Receiver>
  {
    return build_utilmd(std::move(inner_));
  }
  // The message's bytes with the sources of its segments.
  Result<Written> written() &&
    requires BothSet<Sender, Receiver>
  {
    return write_utilmd(inner_);
  }

 private:
  template <class, class>
  friend class UtilmdBuilder;
  template <class, class>
  friend class UtilmdTransactionBuilder;
  explicit UtilmdBuilder(UtilmdBuilderInner inner) : inner_(std::move(inner)) {}

  template <class Field, class Value>
  UtilmdBuilder with(Field UtilmdBuilderInner::*field, Value value) && {
    inner_.*field = std::move(value);
    return std::move(*this);
  }

  UtilmdBuilderInner inner_;
};

// The header being built and one Vorgang; each setter replaces an optional value or appends to
// a list, in call order.
template <class Sender, class Receiver>
class UtilmdTransactionBuilder {
 public:
  UtilmdTransactionBuilder date(std::string qualifier, std::string value,
                               std::optional<std::string> format = std::nullopt) && {
    return std::move(*this).append(&UtilmdTransactionSpec::dates,
                                   VorgangDate{std::move(qualifier), std::move(value), std::move(format)});
  }
  UtilmdTransactionBuilder location(lokationstyp::Lokationstyp typ, std::string id) && {
    Pair location{std::string(lokationstyp::qualifier_code(typ)), std::move(id)};
    return std::move(*this).append(&UtilmdTransactionSpec::locations, std::move(location));
  }
  UtilmdTransactionBuilder free_text(std::string qualifier, std::string text) && {
    return std::move(*this).append(&UtilmdTransactionSpec::free_texts, Pair{std::move(qualifier), std::move(text)});
  }
  UtilmdTransactionBuilder reference(std::string qualifier, std::string value) && {
    return std::move(*this).append(&UtilmdTransactionSpec::references, Pair{std::move(qualifier), std::move(value)});
  }
  UtilmdTransactionBuilder antwort(std::string code, std::optional<std::string> codeliste) && {
    return std::move(*this).set(&UtilmdTransactionSpec::antwort, Antwort{std::move(code), std::move(codeliste)});
  }
  UtilmdTransactionBuilder transaktionsgrund(std::string grund, std::optional<std::string> ergaenzung,
                                             std::optional<std::string> befristung = std::nullopt) && {
    return std::move(*this).set(&UtilmdTransactionSpec::transaktionsgrund,
                                Transaktionsgrund{std::move(grund), std::move(ergaenzung), std::move(befristung)});
  }
  UtilmdTransactionBuilder third_party_answer(ThirdPartyAnswer answer) && {
    return std::move(*this).set(&UtilmdTransactionSpec::third_party_answer, std::move(answer));
  }
  UtilmdTransactionBuilder item_description(std::string a, std::string b) && {
    return std::move(*this).set(&UtilmdTransactionSpec::item_description, Pair{std::move(a), std::move(b)});
  }
  UtilmdTransactionBuilder agreement(std::string a, std::string b) && {
    return std::move(*this).set(&UtilmdTransactionSpec::agreement, Pair{std::move(a), std::move(b)});
  }
  UtilmdTransactionBuilder tn_reference(std::string value) && {
    return std::move(*this).set(&UtilmdTransactionSpec::tn_reference, std::move(value));
  }
  UtilmdTransactionBuilder dated_reference(DatedReference reference) && {
    return std::move(*this).append(&UtilmdTransactionSpec::dated_references, std::move(reference));
  }
  UtilmdTransactionBuilder time_series_reference(std::string value) && {
    return std::move(*this).set(&UtilmdTransactionSpec::time_series_reference, std::move(value));
  }
  UtilmdTransactionBuilder produktpaket(utilmd_codes::Produktpaket paket) && {
    return std::move(*this).append(&UtilmdTransactionSpec::produktpakete, std::move(paket));
  }
  UtilmdTransactionBuilder sg8_block(Sg8Block block) && {
    return std::move(*this).append(&UtilmdTransactionSpec::sg8_blocks, std::move(block));
  }
  UtilmdTransactionBuilder z01_characteristic(std::string class_type, std::string characteristic) && {
    Pair item{std::move(class_type), std::move(characteristic)};
    return std::move(*this).append(&UtilmdTransactionSpec::z01_characteristics, std::move(item));
  }
  UtilmdTransactionBuilder name_party(NameParty party) && {
    return std::move(*this).append(&UtilmdTransactionSpec::name_parties, std::move(party));
  }
  UtilmdTransactionBuilder address_party(AddressParty party) && {
    return std::move(*this).append(&UtilmdTransactionSpec::address_parties, std::move(party));
  }
  UtilmdTransactionBuilder id_party(std::string qualifier, std::string party_id) && {
    return std::move(*this).append(&UtilmdTransactionSpec::id_parties, Pair{std::move(qualifier), std::move(party_id)});
  }

  UtilmdBuilder<Sender, Receiver> done() && {
    header_.inner_.transactions.push_back(std::move(spec_));
    return std::move(header_);
  }

 private:
  friend class UtilmdBuilder<Sender, Receiver>;
  UtilmdTransactionBuilder(UtilmdBuilder<Sender, Receiver> header, UtilmdTransactionSpec spec)
      : header_(std::move(header)), spec_(std::move(spec)) {}

  template <class Field, class Value>
  UtilmdTransactionBuilder set(Field UtilmdTransactionSpec::*field, Value value) && {
    spec_.*field = std::move(value);
    return std::move(*this);
  }
  template <class List, class Value>
  UtilmdTransactionBuilder append(List UtilmdTransactionSpec::*list, Value value) && {
    (spec_.*list).push_back(std::move(value));
    return std::move(*this);
  }

  UtilmdBuilder<Sender, Receiver> header_;
  UtilmdTransactionSpec spec_;
};

template <class Sender, class Receiver>
UtilmdTransactionBuilder<Sender, Receiver> UtilmdBuilder<Sender, Receiver>::transaction(std::string ide_qualifier,
                                                                                       std::string vorgangsnummer) && {
  UtilmdTransactionSpec spec;
  spec.ide_qualifier = std::move(ide_qualifier);
  spec.vorgangsnummer = std::move(vorgangsnummer);
  return UtilmdTransactionBuilder<Sender, Receiver>(std::move(*this), std::move(spec));
}

}  // namespace edi_energy::builders::utilmd

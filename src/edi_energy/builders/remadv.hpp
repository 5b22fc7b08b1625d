// The REMADV builder: the answer to an invoice, a Zahlungsavis that confirms it or a Rückmeldung
// that refuses it with reasons for the whole invoice (Kopfebene) and per position.
#pragma once

#include <concepts>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "edi_energy/builders/agency.hpp"
#include "edi_energy/builders/typestate.hpp"
#include "edi_energy/builders/party_typestate.hpp"
#include "edi_energy/error.hpp"
#include "edi_energy/release.hpp"

namespace edi_energy::builders::remadv {

// One reason: an Antwortcode (DE 4465) and the Entscheidungsbaum it is drawn from (DE 1082).
struct Abweichungsgrund {
  std::string antwortcode;
  std::optional<std::string> ebd;

  friend bool operator==(const Abweichungsgrund&, const Abweichungsgrund&) = default;
};

// One refused invoice position.
struct Positionsfehler {
  std::vector<Abweichungsgrund> gruende;
  std::optional<std::string> erlaeuterung;
  std::uint16_t positionsnummer = 0;

  friend bool operator==(const Positionsfehler&, const Positionsfehler&) = default;
};

// The invoice answered.
struct Rechnungsbezug {
  std::string dokumentenart;    // DE 1001 of the invoice, such as "380"
  std::string rechnungsnummer;  // its BGM DE 1004
  std::string faelliger_betrag;
  std::string ueberweisungsbetrag;
  std::string rechnungsdatum;

  friend bool operator==(const Rechnungsbezug&, const Rechnungsbezug&) = default;
};

struct RemadvBuilderInner {
  std::string message_reference = "1";
  std::string currency = "EUR";
  std::vector<Abweichungsgrund> kopf_gruende;
  std::vector<Positionsfehler> positionsfehler;
  std::optional<std::string> sender;
  std::optional<std::string> receiver;
  std::optional<std::string> document_code;  // BGM DE 1001; "239" when absent
  std::optional<std::string> document_id;    // BGM DE 1004; the message reference when absent
  std::optional<std::string> document_date;  // DTM+137; the current UTC time when absent
  std::optional<std::string> pruefidentifikator;
  std::optional<Rechnungsbezug> rechnungsbezug;
  release::Release release;
  AgencyKind sender_agency = AgencyKind::Automatic;
  AgencyKind receiver_agency = AgencyKind::Automatic;
};

// The message of `inner`, UNH to UNT.
Result<Written> write_segments(const RemadvBuilderInner& inner);

template <class SenderState = Unset, class ReceiverState = Unset>
class RemadvBuilder : public PartyTypestate<RemadvBuilder, RemadvBuilderInner, SenderState, ReceiverState> {
  using Base = PartyTypestate<RemadvBuilder, RemadvBuilderInner, SenderState, ReceiverState>;
  using Inner = RemadvBuilderInner;

 public:
  explicit RemadvBuilder(release::Release release)
    requires std::same_as<SenderState, Unset> && std::same_as<ReceiverState, Unset>
      : Base(Base::defaults(std::move(release))) {}

  RemadvBuilder message_reference(std::string text) && { return this->set(&Inner::message_reference, std::move(text)); }
  RemadvBuilder currency(std::string code) && { return this->set(&Inner::currency, std::move(code)); }
  RemadvBuilder document_code(std::string code) && { return this->set(&Inner::document_code, std::move(code)); }
  RemadvBuilder document_id(std::string text) && { return this->set(&Inner::document_id, std::move(text)); }
  RemadvBuilder document_date(std::string text) && { return this->set(&Inner::document_date, std::move(text)); }
  RemadvBuilder pruefidentifikator(std::uint32_t number) && {
    return this->set(&Inner::pruefidentifikator, std::to_string(number));
  }
  RemadvBuilder rechnungsbezug(Rechnungsbezug invoice) && {
    return this->set(&Inner::rechnungsbezug, std::move(invoice));
  }
  RemadvBuilder kopf_grund(Abweichungsgrund grund) && { return this->append(&Inner::kopf_gruende, std::move(grund)); }
  RemadvBuilder positionsfehler(Positionsfehler position) && {
    return this->append(&Inner::positionsfehler, std::move(position));
  }

 private:
  template <template <class, class> class, class, class, class>
  friend class builders::PartyTypestate;
  explicit RemadvBuilder(Inner inner) : Base(std::move(inner)) {}
};

}  // namespace edi_energy::builders::remadv

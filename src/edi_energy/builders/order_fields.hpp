// What the ORDERS, ORDRSP and QUOTES builders share: the fields of their records, the setters of
// those fields, and the segments every one of the three writes alike.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "edi_energy/builders/agency.hpp"
#include "edi_energy/builders/layout_writer.hpp"
#include "edi_energy/builders/party_typestate.hpp"
#include "edi_energy/release.hpp"

namespace edi_energy::builders {

struct Reference {
  std::string qualifier;
  std::string value;

  friend bool operator==(const Reference&, const Reference&) = default;
};

struct OrderFields {
  std::string message_reference = "1";
  std::vector<Reference> references;  // one RFF each, in order
  std::optional<std::string> sender;
  std::optional<std::string> receiver;
  std::optional<std::string> document_id;    // BGM DE 1004; the message reference when absent
  std::optional<std::string> document_date;  // DTM+137; the current UTC time when absent
  std::optional<std::string> document_code;  // BGM DE 1001; a default per message type when absent
  std::optional<std::uint32_t> pruefidentifikator;
  release::Release release;
  AgencyKind sender_agency = AgencyKind::Automatic;
  AgencyKind receiver_agency = AgencyKind::Automatic;
};

// The setters of the shared fields, for a builder over a record derived from `OrderFields`.
template <template <class, class> class Builder, class Inner, class SenderState, class ReceiverState>
class OrderTypestate : public PartyTypestate<Builder, Inner, SenderState, ReceiverState> {
  using Self = Builder<SenderState, ReceiverState>;

 public:
  Self message_reference(std::string text) && { return this->set(&Inner::message_reference, std::move(text)); }
  Self reference(std::string qualifier, std::string value) && {
    return this->append(&Inner::references, Reference{std::move(qualifier), std::move(value)});
  }
  Self document_id(std::string text) && { return this->set(&Inner::document_id, std::move(text)); }
  Self document_date(std::string text) && { return this->set(&Inner::document_date, std::move(text)); }
  Self document_code(std::string code) && { return this->set(&Inner::document_code, std::move(code)); }
  Self pruefidentifikator(std::uint32_t number) && { return this->set(&Inner::pruefidentifikator, number); }

 protected:
  using PartyTypestate<Builder, Inner, SenderState, ReceiverState>::PartyTypestate;
};

// UNH, then BGM with the document code (or `default_code`) and DTM+137.
LayoutWriter open_order_message(const OrderFields& fields, std::string_view message_type, std::string_view directory,
                                std::string_view default_code);

// IMD++abonnement, then IMD++item_description: the MIGs use no DE 7077, so each is the DE 7081
// code of its own IMD.
void write_item_descriptions(LayoutWriter& out, const std::optional<std::string>& abonnement,
                             const std::optional<std::string>& item_description);

// One RFF per reference, then RFF+Z13 when there is a Prüfidentifikator.
void write_references(LayoutWriter& out, const OrderFields& fields);

}  // namespace edi_energy::builders

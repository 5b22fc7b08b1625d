// The ORDRSP builder: the answer to an ORDERS, carrying an Antwortcode with its
// Entscheidungsbaum, UNH to UNT.
#pragma once

#include <concepts>
#include <optional>
#include <string>
#include <utility>

#include "edi_energy/builders/order_fields.hpp"
#include "edi_energy/error.hpp"
#include "edi_energy/release.hpp"

namespace edi_energy::builders::ordrsp {

struct OrdrespBuilderInner : OrderFields {
  std::optional<std::string> abonnement;         // IMD++abonnement
  std::optional<std::string> antwortcode;        // AJT DE 4465
  std::optional<std::string> antwort_ebd;        // AJT DE 1082
  std::optional<std::string> adjustment_reason;  // FTX
  std::optional<std::string> item_description;   // IMD++code, the Produkt-/Leistungsbeschreibung
  bool line_item = false;                        // LIN+1
};

// The message of `inner`, UNH to UNT.
Result<Written> write_segments(const OrdrespBuilderInner& inner);

template <class SenderState = Unset, class ReceiverState = Unset>
class OrdrespBuilder : public OrderTypestate<OrdrespBuilder, OrdrespBuilderInner, SenderState, ReceiverState> {
  using Base = OrderTypestate<OrdrespBuilder, OrdrespBuilderInner, SenderState, ReceiverState>;
  using Inner = OrdrespBuilderInner;

 public:
  explicit OrdrespBuilder(release::Release release)
    requires std::same_as<SenderState, Unset> && std::same_as<ReceiverState, Unset>
      : Base(Base::defaults(std::move(release))) {}

  OrdrespBuilder abonnement(std::string code) && { return this->set(&Inner::abonnement, std::move(code)); }
  OrdrespBuilder antwortcode(std::string code) && { return this->set(&Inner::antwortcode, std::move(code)); }
  OrdrespBuilder antwort_ebd(std::string ebd) && { return this->set(&Inner::antwort_ebd, std::move(ebd)); }
  OrdrespBuilder adjustment_reason(std::string text) && {
    return this->set(&Inner::adjustment_reason, std::move(text));
  }
  OrdrespBuilder item_description(std::string code) && {
    return this->set(&Inner::item_description, std::move(code));
  }
  OrdrespBuilder line_item(bool set) && { return this->set(&Inner::line_item, set); }

 private:
  template <template <class, class> class, class, class, class>
  friend class builders::PartyTypestate;
  explicit OrdrespBuilder(Inner inner) : Base(std::move(inner)) {}
};

}  // namespace edi_energy::builders::ordrsp

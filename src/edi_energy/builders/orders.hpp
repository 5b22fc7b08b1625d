// The ORDERS builder: an order of the WiM, ESA and Sperrung processes (a Wertebestellung, a
// Sperrung or Entsperrung), UNH to UNT.
#pragma once

#include <concepts>
#include <optional>
#include <string>
#include <utility>

#include "edi_energy/builders/order_fields.hpp"
#include "edi_energy/error.hpp"
#include "edi_energy/release.hpp"

namespace edi_energy::builders::orders {

struct OrdersBuilderInner : OrderFields {
  std::optional<std::string> location;           // NAD+DP with LOC+172
  std::optional<std::string> ausfuehrungsdatum;  // DTM+203
  std::optional<std::string> abonnement;         // IMD++abonnement
  std::optional<std::string> item_description;  // IMD++code, the Produkt-/Leistungsbeschreibung
};

// The message of `inner`, UNH to UNT.
Result<Written> write_segments(const OrdersBuilderInner& inner);

template <class SenderState = Unset, class ReceiverState = Unset>
class OrdersBuilder : public OrderTypestate<OrdersBuilder, OrdersBuilderInner, SenderState, ReceiverState> {
  using Base = OrderTypestate<OrdersBuilder, OrdersBuilderInner, SenderState, ReceiverState>;
  using Inner = OrdersBuilderInner;

 public:
  explicit OrdersBuilder(release::Release release)
    requires std::same_as<SenderState, Unset> && std::same_as<ReceiverState, Unset>
      : Base(Base::defaults(std::move(release))) {}

  OrdersBuilder location(std::string text) && { return this->set(&Inner::location, std::move(text)); }
  OrdersBuilder ausfuehrungsdatum(std::string text) && { return this->set(&Inner::ausfuehrungsdatum, std::move(text)); }
  OrdersBuilder abonnement(std::string code) && { return this->set(&Inner::abonnement, std::move(code)); }
  OrdersBuilder item_description(std::string text) && { return this->set(&Inner::item_description, std::move(text)); }

 private:
  template <template <class, class> class, class, class, class>
  friend class builders::PartyTypestate;
  explicit OrdersBuilder(Inner inner) : Base(std::move(inner)) {}
};

}  // namespace edi_energy::builders::orders

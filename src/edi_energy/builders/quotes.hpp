// The QUOTES builder: the Angebot of an energy service provider that answers a REQOTE, UNH to
// UNT.
#pragma once

#include <concepts>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "edi_energy/builders/order_fields.hpp"
#include "edi_energy/error.hpp"
#include "edi_energy/release.hpp"

namespace edi_energy::builders::quotes {

// PRI+CAL:amount::specification:1:unit
struct Price {
  std::string amount;
  std::string specification;  // DE 5387
  std::string unit;           // DE 6411

  friend bool operator==(const Price&, const Price&) = default;
};

// DTM+279:value:format
struct DatedValue {
  std::string value;
  std::string format;

  friend bool operator==(const DatedValue&, const DatedValue&) = default;
};

// CTA+IC+:name and COM+address:EM
struct Contact {
  std::string name;
  std::string address;

  friend bool operator==(const Contact&, const Contact&) = default;
};

// Separates the count of a Bindungsfrist from its period unit code ("802" months, "803" weeks,
// "804" days); a count alone is in days.
inline constexpr char bindungsfrist_unit_separator = '\x01';

struct QuotesBuilderInner : OrderFields {
  std::vector<std::string> artikel_identifiers;  // PIA+Z02+id:Z09 each
  std::vector<std::string> srw_identifiers;      // PIA+5+id:SRW each
  std::vector<Price> prices;
  std::optional<std::string> location;  // LOC+172
  std::optional<std::string> dtm_469;   // DTM+469, format 303
  std::optional<DatedValue> dtm_279;
  std::optional<std::string> bindungsfrist;  // DTM+273: count, separator, unit code
  std::optional<std::string> remark;         // FTX+ACB
  std::optional<std::string> currency;       // CUX+2:currency:4
  std::optional<Contact> contact;
  // The line item (LIN, PIA, PRI) is written only for a product or a line-item code; without
  // either the identifiers and prices above are left out.
  std::optional<std::string> product;
  // LIN DE 1229 of the line item, "Z67" for a product when absent; an empty code writes the LIN
  // without one, for columns whose line item is named by its article number instead.
  std::optional<std::string> line_item_code;
  std::optional<std::string> single_price;  // PRI+CAL:price when there is no price list
  bool delivery_point = false;              // NAD+DP
};

// The message of `inner`, UNH to UNT.
Result<Written> write_segments(const QuotesBuilderInner& inner);

template <class SenderState = Unset, class ReceiverState = Unset>
class QuotesBuilder : public OrderTypestate<QuotesBuilder, QuotesBuilderInner, SenderState, ReceiverState> {
  using Base = OrderTypestate<QuotesBuilder, QuotesBuilderInner, SenderState, ReceiverState>;
  using Inner = QuotesBuilderInner;

 public:
  explicit QuotesBuilder(release::Release release)
    requires std::same_as<SenderState, Unset> && std::same_as<ReceiverState, Unset>
      : Base(Base::defaults(std::move(release))) {}

  QuotesBuilder artikel_identifier(std::string id) && {
    return this->append(&Inner::artikel_identifiers, std::move(id));
  }
  QuotesBuilder srw_identifier(std::string id) && { return this->append(&Inner::srw_identifiers, std::move(id)); }
  QuotesBuilder price(Price price) && { return this->append(&Inner::prices, std::move(price)); }
  QuotesBuilder location(std::string text) && { return this->set(&Inner::location, std::move(text)); }
  QuotesBuilder dtm_469(std::string text) && { return this->set(&Inner::dtm_469, std::move(text)); }
  QuotesBuilder dtm_279(DatedValue value) && { return this->set(&Inner::dtm_279, std::move(value)); }
  QuotesBuilder bindungsfrist(std::string text) && { return this->set(&Inner::bindungsfrist, std::move(text)); }
  QuotesBuilder remark(std::string text) && { return this->set(&Inner::remark, std::move(text)); }
  QuotesBuilder currency(std::string code) && { return this->set(&Inner::currency, std::move(code)); }
  QuotesBuilder contact(Contact contact) && { return this->set(&Inner::contact, std::move(contact)); }
  QuotesBuilder product(std::string text) && { return this->set(&Inner::product, std::move(text)); }
  QuotesBuilder line_item_code(std::string code) && { return this->set(&Inner::line_item_code, std::move(code)); }
  QuotesBuilder single_price(std::string text) && { return this->set(&Inner::single_price, std::move(text)); }
  QuotesBuilder delivery_point(bool set) && { return this->set(&Inner::delivery_point, set); }

 private:
  template <template <class, class> class, class, class, class>
  friend class builders::PartyTypestate;
  explicit QuotesBuilder(Inner inner) : Base(std::move(inner)) {}
};

}  // namespace edi_energy::builders::quotes

#include "edi_energy/builders/orders.hpp"

namespace edi_energy::builders::orders {

Result<Written> write_segments(const OrdersBuilderInner& inner) {
  LayoutWriter out = open_order_message(inner, "ORDERS", "09B", "");
  if (inner.ausfuehrungsdatum) {
    out.by("ausfuehrungsdatum");
    out.date_303("203", *inner.ausfuehrungsdatum);
  }
  write_item_descriptions(out, inner.abonnement, inner.item_description);
  write_references(out, inner);
  out.party("MS", inner.sender, inner.sender_agency, "sender");
  out.party("MR", inner.receiver, inner.receiver_agency, "receiver");
  if (inner.location) {
    out.by("location");
    out.simple("NAD", {"DP"});
    out.by("location");
    out.simple("LOC", {"172", *inner.location});
  }
  out.simple("UNS", {"S"});
  return std::move(out).finish(inner.message_reference);
}

}  // namespace edi_energy::builders::orders

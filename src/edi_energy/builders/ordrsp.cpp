#include "edi_energy/builders/ordrsp.hpp"

namespace edi_energy::builders::ordrsp {

Result<Written> write_segments(const OrdrespBuilderInner& inner) {
  LayoutWriter out = open_order_message(inner, "ORDRSP", "10A", "7");
  write_item_descriptions(out, inner.abonnement, inner.item_description);
  write_references(out, inner);
  if (inner.antwortcode) {
    out.by(1, "antwort_ebd");
    out.by("antwortcode");
    out.adjustment(*inner.antwortcode, inner.antwort_ebd);
  }
  if (inner.adjustment_reason) {
    out.by("adjustment_reason");
    out.simple("FTX", {*inner.adjustment_reason});
  }
  out.party("MS", inner.sender, inner.sender_agency, "sender");
  out.party("MR", inner.receiver, inner.receiver_agency, "receiver");
  if (inner.line_item) {
    out.by("line_item");
    out.simple("LIN", {"1"});
  }
  out.simple("UNS", {"S"});
  return std::move(out).finish(inner.message_reference);
}

}  // namespace edi_energy::builders::ordrsp

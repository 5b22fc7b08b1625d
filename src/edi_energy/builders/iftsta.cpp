#include "edi_energy/builders/iftsta.hpp"

#include "edi_energy/builders/layout_writer.hpp"
#include "edi_energy/builders/timestamps.hpp"

namespace edi_energy::builders::iftsta {

namespace {

void write_status(LayoutWriter& out, const IftstaBuilderInner& inner) {
  if (!inner.status_category || !inner.status) return;
  out.by("status");
  // A reason is only readable with the code list it is drawn from.
  if (inner.status_reason && inner.status_reason_code_list) {
    out.composites("STS", {{*inner.status_category}, {*inner.status},
                           {*inner.status_reason, *inner.status_reason_code_list}});
  } else if (inner.status->empty()) {
    // A category whose status names no DE 4405 (an Abweisung): no empty trailing element.
    out.simple("STS", {*inner.status_category});
  } else {
    out.simple("STS", {*inner.status_category, *inner.status});
  }
}

}  // namespace

Result<Written> write_segments(const IftstaBuilderInner& inner) {
  LayoutWriter out(inner.message_reference, "IFTSTA", "18A", inner.release);
  out.by(0, "document_code");
  out.by(1, inner.document_id ? "document_id" : "message_reference");
  out.simple("BGM", {inner.document_code, inner.document_id.value_or(inner.message_reference)});
  out.by("document_date");
  out.date_303("137", date_or_now(inner.document_date));
  // Receiver before sender: the MIG's order of the two party groups.
  out.party("MR", inner.receiver, inner.receiver_agency, "receiver");
  out.party("MS", inner.sender, inner.sender_agency, "sender");
  if (inner.equipment_qualifier) {
    out.simple("EQD", {*inner.equipment_qualifier});
    if (inner.pruefidentifikator) out.reference("Z13", std::to_string(*inner.pruefidentifikator));
    if (inner.location) out.simple("LOC", {"172", *inner.location});
    write_status(out, inner);
    return std::move(out).finish(inner.message_reference);
  }
  if (inner.vorgangsnummer) {
    out.by("vorgangsnummer");
    out.simple("CNI", {*inner.vorgangsnummer});
  }
  if (inner.location) out.simple("LOC", {"172", *inner.location});
  write_status(out, inner);
  if (inner.pruefidentifikator) out.reference("Z13", std::to_string(*inner.pruefidentifikator));
  if (inner.ave_reference) out.reference("AVE", *inner.ave_reference);
  if (inner.order_reference) {
    out.by("order_reference");
    out.reference("AGI", *inner.order_reference);
  }
  if (inner.dtm_76_date) out.date("76", *inner.dtm_76_date, "102");
  if (inner.vertragsende) {
    out.by("vertragsende");
    out.date_303("93", *inner.vertragsende);
  }
  return std::move(out).finish(inner.message_reference);
}

}  // namespace edi_energy::builders::iftsta

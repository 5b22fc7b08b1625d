#include "edi_energy/builders/remadv.hpp"

#include "edi_energy/builders/layout_writer.hpp"
#include "edi_energy/builders/timestamps.hpp"

namespace edi_energy::builders::remadv {

Result<std::string> write_segments(const RemadvBuilderInner& inner) {
  LayoutWriter out(inner.message_reference, "REMADV", "05A", inner.release);
  out.simple("BGM", {inner.document_code.value_or("239"), inner.document_id.value_or(inner.message_reference)});
  out.date_303("137", date_or_now(inner.document_date));
  if (inner.pruefidentifikator) out.reference("Z13", *inner.pruefidentifikator);
  if (inner.sender) out.party("MS", *inner.sender, inner.sender_agency);
  if (inner.receiver) out.party("MR", *inner.receiver, inner.receiver_agency);
  out.composites("CUX", {{"2", inner.currency, "11"}});
  if (const auto& invoice = inner.rechnungsbezug) {
    out.simple("DOC", {invoice->dokumentenart, invoice->rechnungsnummer});
    out.composites("MOA", {{"9", invoice->faelliger_betrag}});
    out.composites("MOA", {{"12", invoice->ueberweisungsbetrag}});
    out.date_303("137", invoice->rechnungsdatum);
  }
  for (const Abweichungsgrund& grund : inner.kopf_gruende) out.adjustment(grund.antwortcode, grund.ebd);
  for (const Positionsfehler& position : inner.positionsfehler) {
    out.simple("DLI", {"1", std::to_string(position.positionsnummer)});
    for (const Abweichungsgrund& grund : position.gruende) out.adjustment(grund.antwortcode, grund.ebd);
    if (position.erlaeuterung) out.simple("FTX", {"ABO", "", "", *position.erlaeuterung});
  }
  out.simple("UNS", {"S"});
  // The amount transferred closes the message; nothing is transferred without an invoice.
  out.composites("MOA", {{"12", inner.rechnungsbezug ? std::string_view(inner.rechnungsbezug->ueberweisungsbetrag)
                                                      : std::string_view("0")}});
  return std::move(out).finish(inner.message_reference);
}

}  // namespace edi_energy::builders::remadv

#include "edi_energy/builders/remadv.hpp"

#include "edi_energy/builders/layout_writer.hpp"
#include "edi_energy/builders/timestamps.hpp"

#include <fmt/format.h>

namespace edi_energy::builders::remadv {

Result<Written> write_segments(const RemadvBuilderInner& inner) {
  LayoutWriter out(inner.message_reference, "REMADV", "05A", inner.release);
  out.by(0, "document_code");
  out.by(1, inner.document_id ? "document_id" : "message_reference");
  out.simple("BGM", {inner.document_code.value_or("239"), inner.document_id.value_or(inner.message_reference)});
  out.by("document_date");
  out.date_303("137", date_or_now(inner.document_date));
  if (inner.pruefidentifikator) out.reference("Z13", *inner.pruefidentifikator);
  out.party("MS", inner.sender, inner.sender_agency, "sender");
  out.party("MR", inner.receiver, inner.receiver_agency, "receiver");
  out.by("currency");
  out.composites("CUX", {{"2", inner.currency, "11"}});
  if (const auto& invoice = inner.rechnungsbezug) {
    out.by(0, "rechnungsbezug.dokumentenart");
    out.by(1, "rechnungsbezug.rechnungsnummer");
    out.simple("DOC", {invoice->dokumentenart, invoice->rechnungsnummer});
    out.by("rechnungsbezug.faelliger_betrag");
    out.composites("MOA", {{"9", invoice->faelliger_betrag}});
    out.by("rechnungsbezug.ueberweisungsbetrag");
    out.composites("MOA", {{"12", invoice->ueberweisungsbetrag}});
    out.by("rechnungsbezug.rechnungsdatum");
    out.date_303("137", invoice->rechnungsdatum);
  }
  for (std::size_t at = 0; at < inner.kopf_gruende.size(); ++at) {
    out.by(fmt::format("kopf_gruende[{}]", at));
    out.adjustment(inner.kopf_gruende[at].antwortcode, inner.kopf_gruende[at].ebd);
  }
  for (std::size_t at = 0; at < inner.positionsfehler.size(); ++at) {
    const Positionsfehler& position = inner.positionsfehler[at];
    out.by(fmt::format("positionsfehler[{}].positionsnummer", at));
    out.simple("DLI", {"1", std::to_string(position.positionsnummer)});
    for (std::size_t nth = 0; nth < position.gruende.size(); ++nth) {
      out.by(fmt::format("positionsfehler[{}].gruende[{}]", at, nth));
      out.adjustment(position.gruende[nth].antwortcode, position.gruende[nth].ebd);
    }
    if (position.erlaeuterung) {
      out.by(fmt::format("positionsfehler[{}].erlaeuterung", at));
      out.simple("FTX", {"ABO", "", "", *position.erlaeuterung});
    }
  }
  out.simple("UNS", {"S"});
  // The amount transferred closes the message; nothing is transferred without an invoice.
  if (inner.rechnungsbezug) out.by("rechnungsbezug.ueberweisungsbetrag");
  out.composites("MOA", {{"12", inner.rechnungsbezug ? std::string_view(inner.rechnungsbezug->ueberweisungsbetrag)
                                                      : std::string_view("0")}});
  return std::move(out).finish(inner.message_reference);
}

}  // namespace edi_energy::builders::remadv

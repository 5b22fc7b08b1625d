#include "edi_energy/builders/quotes.hpp"

#include <fmt/format.h>

#include <string_view>

namespace edi_energy::builders::quotes {

namespace {

void write_bindungsfrist(LayoutWriter& out, std::string_view bindungsfrist) {
  const auto separator = bindungsfrist.find(bindungsfrist_unit_separator);
  if (separator == std::string_view::npos) {
    out.date("273", bindungsfrist, "804");
  } else {
    out.date("273", bindungsfrist.substr(0, separator), bindungsfrist.substr(separator + 1));
  }
}

void write_line_item(LayoutWriter& out, const QuotesBuilderInner& inner) {
  const std::string_view code = inner.line_item_code ? std::string_view(*inner.line_item_code) : "Z67";
  if (code.empty()) {
    out.simple("LIN", {"1"});
  } else {
    out.simple("LIN", {"1", code});
  }
  if (inner.product) {
    out.by("product");
    out.composites("PIA", {{"5"}, {*inner.product, "Z11"}});
  }
  for (const std::string& id : inner.artikel_identifiers) out.composites("PIA", {{"Z02"}, {id, "Z09"}});
  for (const std::string& id : inner.srw_identifiers) out.composites("PIA", {{"5"}, {id, "SRW"}});
  for (std::size_t at = 0; at < inner.prices.size(); ++at) {
    const Price& price = inner.prices[at];
    out.by(fmt::format("prices[{}]", at));
    out.composites("PRI", {{"CAL", price.amount, "", price.specification, "1", price.unit}});
  }
  if (inner.prices.empty() && inner.single_price) {
    out.by("single_price");
    out.composites("PRI", {{"CAL", *inner.single_price}});
  }
}

}  // namespace

Result<Written> write_segments(const QuotesBuilderInner& inner) {
  LayoutWriter out = open_order_message(inner, "QUOTES", "10A", "310");
  if (inner.dtm_469) out.date_303("469", *inner.dtm_469);
  if (inner.dtm_279) out.date("279", inner.dtm_279->value, inner.dtm_279->format);
  if (inner.bindungsfrist) {
    out.by("bindungsfrist");
    write_bindungsfrist(out, *inner.bindungsfrist);
  }
  if (inner.remark) out.simple("FTX", {"ACB", "", "", *inner.remark});
  write_references(out, inner);
  if (inner.currency) {
    out.by("currency");
    out.composites("CUX", {{"2", *inner.currency, "4"}});
  }
  out.party("MS", inner.sender, inner.sender_agency, "sender");
  // The Ansprechpartner belongs to the sender's party group.
  if (inner.contact) {
    out.by("contact");
    out.composites("CTA", {{"IC"}, {"", inner.contact->name}});
    out.by("contact");
    out.composites("COM", {{inner.contact->address, "EM"}});
  }
  out.party("MR", inner.receiver, inner.receiver_agency, "receiver");
  if (inner.delivery_point) out.simple("NAD", {"DP"});
  if (inner.location) {
    out.by("location");
    out.simple("LOC", {"172", *inner.location});
  }
  if (inner.product || inner.line_item_code) write_line_item(out, inner);
  out.simple("UNS", {"S"});
  return std::move(out).finish(inner.message_reference);
}

}  // namespace edi_energy::builders::quotes

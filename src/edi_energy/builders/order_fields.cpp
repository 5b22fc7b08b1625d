#include "edi_energy/builders/order_fields.hpp"

#include <fmt/format.h>

#include "edi_energy/builders/timestamps.hpp"

namespace edi_energy::builders {

LayoutWriter open_order_message(const OrderFields& fields, std::string_view message_type, std::string_view directory,
                                std::string_view default_code) {
  LayoutWriter out(fields.message_reference, message_type, directory, fields.release);
  out.by(0, "document_code");
  out.by(1, fields.document_id ? "document_id" : "message_reference");
  out.simple("BGM", {fields.document_code ? std::string_view(*fields.document_code) : default_code,
                     fields.document_id.value_or(fields.message_reference)});
  out.by("document_date");
  out.date_303("137", date_or_now(fields.document_date));
  return out;
}

void write_item_descriptions(LayoutWriter& out, const std::optional<std::string>& abonnement,
                             const std::optional<std::string>& item_description) {
  if (abonnement) {
    out.by("abonnement");
    out.simple("IMD", {"", *abonnement});
  }
  if (item_description) {
    out.by("item_description");
    out.simple("IMD", {"", *item_description});
  }
}

void write_references(LayoutWriter& out, const OrderFields& fields) {
  for (std::size_t at = 0; at < fields.references.size(); ++at) {
    out.by(fmt::format("references[{}]", at));
    out.reference(fields.references[at].qualifier, fields.references[at].value);
  }
  if (fields.pruefidentifikator) out.reference("Z13", std::to_string(*fields.pruefidentifikator));
}

}  // namespace edi_energy::builders

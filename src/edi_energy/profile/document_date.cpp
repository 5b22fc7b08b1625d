#include "edi_energy/profile/document_date.hpp"

#include "support/time_text/iso8601_date.hpp"

namespace edi_energy::profile {

std::expected<std::chrono::year_month_day, std::string> parse_document_date(std::string_view text) {
  auto date = support::time_text::parse_iso8601_date(text);
  if (!date) return std::unexpected(support::time_text::reason(date.error()));
  return *date;
}

}  // namespace edi_energy::profile

// The dates of a profile document ("valid_from", "valid_until") read as ISO 8601 dates, with
// the failure reasons that the rest of the module reports for dates.
#pragma once

#include <chrono>
#include <expected>
#include <string>
#include <string_view>

namespace edi_energy::profile {

// Calendar (2026-03-29, 20260329), ordinal (2026-088) and ISO week (2026-W13-7) dates, with a
// four-digit or signed six-digit year. The error is the reason text, such as
// "day was not in range".
std::expected<std::chrono::year_month_day, std::string> parse_document_date(std::string_view text);

}  // namespace edi_energy::profile

// ISO 8601 dates as text: calendar, ordinal and week dates in basic or extended notation, with an
// optional time of day and offset that are checked and then ignored.
#pragma once

#include <chrono>
#include <expected>
#include <string_view>

#include "support/time_text/parse_error.hpp"

namespace support::time_text {

// Years from -9999 to 9999: four digits, or a sign and six digits.
std::expected<std::chrono::year_month_day, ParseError> parse_iso8601_date(std::string_view text);

}  // namespace support::time_text

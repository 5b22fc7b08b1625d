// A calendar date as "YYYY-MM-DD" for messages and listings; years outside 0..9999 carry a sign
// ("-0044-03-15", "+10000-01-01") so that they cannot be misread.
#pragma once

#include <chrono>
#include <string>

namespace support::time_text {

std::string date_text(std::chrono::year_month_day date);

}  // namespace support::time_text

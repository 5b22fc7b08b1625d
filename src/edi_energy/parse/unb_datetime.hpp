// The preparation date and time of a UNB (YYMMDD or CCYYMMDD, HHMM or HHMMSS): a checked
// calendar date-time, or nothing for anything else. Never fails. The one reading of these
// fields for the parse, the envelope check and the interchange builder.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string_view>

#include "edi_energy/interchange.hpp"

namespace edi_energy::parse {

struct ClockTime {
  std::uint8_t hour = 0;
  std::uint8_t minute = 0;
  std::uint8_t second = 0;
};

// A day of the Gregorian calendar; a two-digit year is one of 2000 to 2099.
std::optional<std::chrono::year_month_day> parse_unb_date(std::string_view date);
// A time of a 24-hour clock, seconds 0 when not given.
std::optional<ClockTime> parse_unb_time(std::string_view time);

// What a syntax-3 UNB writes: DE 0017 as YYMMDD, DE 0019 as HHMM; the longer forms are read
// above but are syntax 4's.
bool is_syntax3_unb_date(std::string_view date);
bool is_syntax3_unb_time(std::string_view time);

std::optional<interchange::LocalDateTime> parse_unb_datetime(std::string_view date, std::string_view time);

}  // namespace edi_energy::parse

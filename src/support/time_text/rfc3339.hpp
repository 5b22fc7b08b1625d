// RFC 3339 date-times as text: the strict grammar that instants given as text must follow, and
// the one normal form in which they are written back. Shared by the deadline functions and the
// CloudEvents `time` check, so that both accept and write exactly the same texts.
#pragma once

#include <chrono>
#include <cstdint>
#include <expected>
#include <string>
#include <string_view>

#include "support/time_text/parse_error.hpp"

namespace support::time_text {

// A date-time as written: local date and clock in its own UTC offset.
struct Rfc3339DateTime {
  std::chrono::year_month_day date;
  std::uint8_t hour = 0;
  std::uint8_t minute = 0;
  std::uint8_t second = 0;
  std::uint32_t nanosecond = 0;
  std::int32_t offset_minutes = 0;  // east of UTC positive; below 24 hours either way
};

// Four-digit year, "-", month, "-", day, one separator character of any kind, hour ":" minute ":"
// second, an optional fraction (digits past the ninth are dropped), then "Z", "z" or a numeric
// offset "+HH:MM"/"-HH:MM"; nothing after it. A second of 60 is taken only where a leap second
// can occur (the last second of a month in UTC) and reads as 59.999999999.
std::expected<Rfc3339DateTime, ParseError> parse_rfc3339(std::string_view text);

// "YYYY-MM-DDTHH:MM:SS", the fraction without trailing zeros (none when zero), then "Z" for a
// zero offset or a sign and "HH:MM". The year must lie in 0 to 9999, as every parsed one does.
std::string format_rfc3339(const Rfc3339DateTime& date_time);

// `value` as exactly `width` decimal digits (1 to 10), zero-padded; higher digits are dropped.
void append_digits(std::string& text, unsigned value, int width);

}  // namespace support::time_text

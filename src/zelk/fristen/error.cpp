#include "zelk/fristen/error.hpp"

#include <cstdlib>

#include <fmt/format.h>

#include "support/internal_fault.hpp"

namespace zelk_fristen {
namespace {

// "-0001-03-05", "2026-03-29": the year at least four digits wide, a sign only when negative.
std::string display_date(std::chrono::year_month_day date) {
  const int year = static_cast<int>(date.year());
  return fmt::format("{:0{}}-{:02}-{:02}", year, year < 0 ? 5 : 4, static_cast<unsigned>(date.month()),
                     static_cast<unsigned>(date.day()));
}

// "2:30:00.0", "15:00:00.5": the hour unpadded and the fraction trimmed to its significant digits.
std::string display_clock(ClockTime clock) {
  std::uint32_t fraction = clock.nanosecond();
  int width = 9;
  while (width > 1 && fraction % 10 == 0) {
    fraction /= 10;
    --width;
  }
  return fmt::format("{}:{:02}:{:02}.{:0{}}", clock.hour(), clock.minute(), clock.second(), fraction, width);
}

// "+00:53:28"
std::string display_offset(std::int32_t offset_seconds) {
  const int magnitude = std::abs(offset_seconds);
  return fmt::format("{}{:02}:{:02}:{:02}", offset_seconds < 0 ? '-' : '+', magnitude / 3600, magnitude / 60 % 60,
                     magnitude % 60);
}

}  // namespace

std::string message(const FristError& error) {
  switch (error.kind) {
    case FristError::Kind::skipped_local_time:
      return fmt::format(
          "CRITICAL: timezone database failure — could not resolve {} Europe/Berlin for date {}. Cannot compute a "
          "correct regulatory Frist. Ensure tzdata is installed and up to date.",
          display_clock(error.clock), display_date(error.date));
    case FristError::Kind::unrepresentable_offset:
      return fmt::format("the Europe/Berlin offset {} in force at {} on {} cannot be written as an RFC 3339 offset",
                         display_offset(error.offset_seconds), display_clock(error.clock), display_date(error.date));
    case FristError::Kind::out_of_range:
      return "the deadline falls outside the supported years -9999 to 9999";
  }
  throw support::InternalFault("FristError with a kind outside its enumeration");
}

}  // namespace zelk_fristen

#include "support/time_text/date_text.hpp"

#include <fmt/format.h>

namespace support::time_text {

std::string date_text(std::chrono::year_month_day date) {
  const int year = static_cast<int>(date.year());
  const auto month = static_cast<unsigned>(date.month());
  const auto day = static_cast<unsigned>(date.day());
  if (year < 0) return fmt::format("-{:04}-{:02}-{:02}", -year, month, day);
  if (year > 9999) return fmt::format("+{}-{:02}-{:02}", year, month, day);
  return fmt::format("{:04}-{:02}-{:02}", year, month, day);
}

}  // namespace support::time_text

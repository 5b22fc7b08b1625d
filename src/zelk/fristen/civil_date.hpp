// The span of calendar dates that deadlines are computed over (years -9999 to 9999), and the
// day arithmetic that must not step outside it.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>

namespace zelk_fristen {

inline constexpr std::chrono::year_month_day earliest_date{std::chrono::year{-9999}, std::chrono::January,
                                                           std::chrono::day{1}};
inline constexpr std::chrono::year_month_day latest_date{std::chrono::year{9999}, std::chrono::December,
                                                         std::chrono::day{31}};

constexpr bool in_supported_range(std::chrono::year_month_day date) {
  return date.ok() && date >= earliest_date && date <= latest_date;
}

// The date `days` after `date` (before it for a negative count), or nullopt outside the span.
constexpr std::optional<std::chrono::year_month_day> add_days(std::chrono::year_month_day date, std::int64_t days) {
  constexpr std::int64_t earliest = std::chrono::sys_days{earliest_date}.time_since_epoch().count();
  constexpr std::int64_t latest = std::chrono::sys_days{latest_date}.time_since_epoch().count();
  if (!in_supported_range(date)) return std::nullopt;
  const std::int64_t start = std::chrono::sys_days{date}.time_since_epoch().count();
  // Both bounds are far inside int64, so checking against them first keeps the sum in range.
  if (days > latest - start || days < earliest - start) return std::nullopt;
  return std::chrono::year_month_day{std::chrono::sys_days{std::chrono::days{start + days}}};
}

constexpr std::optional<std::chrono::year_month_day> day_after(std::chrono::year_month_day date) {
  return add_days(date, 1);
}

}  // namespace zelk_fristen

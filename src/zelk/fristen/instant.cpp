#include "zelk/fristen/instant.hpp"

#include <limits>

#include "zelk/fristen/civil_date.hpp"

namespace zelk_fristen {
namespace {

using std::chrono::seconds;
using std::chrono::sys_days;
using std::chrono::sys_seconds;

constexpr bool valid_offset(std::int32_t offset_seconds) {
  return offset_seconds >= -Instant::max_offset_seconds && offset_seconds <= Instant::max_offset_seconds;
}

constexpr std::int64_t floor_div(std::int64_t value, std::int64_t divisor) {
  const std::int64_t quotient = value / divisor;
  return (value % divisor < 0) ? quotient - 1 : quotient;
}

// Seconds since the epoch of the first and one past the last local second of the span.
constexpr std::int64_t earliest_local_second = sys_seconds{sys_days{earliest_date}}.time_since_epoch().count();
constexpr std::int64_t end_local_second =
    sys_seconds{sys_days{latest_date}}.time_since_epoch().count() + ClockTime::seconds_per_day;

bool local_second_in_span(std::int64_t local_second) {
  return local_second >= earliest_local_second && local_second < end_local_second;
}

}  // namespace

std::optional<Instant> Instant::from_local(std::chrono::year_month_day date, ClockTime clock,
                                           std::int32_t offset_seconds) {
  if (!in_supported_range(date) || !valid_offset(offset_seconds)) return std::nullopt;
  const std::int64_t local_second = sys_seconds{sys_days{date}}.time_since_epoch().count() + clock.second_of_day();
  return Instant(sys_seconds{seconds{local_second - offset_seconds}}, clock.nanosecond(), offset_seconds);
}

std::optional<Instant> Instant::from_utc(sys_seconds utc_seconds, std::uint32_t nanosecond,
                                         std::int32_t offset_seconds) {
  if (!valid_offset(offset_seconds) || nanosecond >= ClockTime::nanoseconds_per_second) return std::nullopt;
  const std::int64_t utc = utc_seconds.time_since_epoch().count();
  // Far outside the span already; also keeps the sum below from overflowing.
  if (utc < earliest_local_second - 2 * ClockTime::seconds_per_day ||
      utc > end_local_second + 2 * ClockTime::seconds_per_day) {
    return std::nullopt;
  }
  if (!local_second_in_span(utc + offset_seconds)) return std::nullopt;
  return Instant(utc_seconds, nanosecond, offset_seconds);
}

std::chrono::year_month_day Instant::local_date() const {
  const std::int64_t local_second = utc_seconds_.time_since_epoch().count() + offset_seconds_;
  return std::chrono::year_month_day{sys_days{std::chrono::days{floor_div(local_second, ClockTime::seconds_per_day)}}};
}

ClockTime Instant::local_clock() const {
  const std::int64_t local_second = utc_seconds_.time_since_epoch().count() + offset_seconds_;
  const std::int64_t second_of_day = local_second - floor_div(local_second, ClockTime::seconds_per_day) *
                                                        ClockTime::seconds_per_day;
  // In range by construction of the floor division.
  return *ClockTime::from_second_of_day(second_of_day, nanosecond_);
}

std::optional<Instant> Instant::at_offset(std::int32_t offset_seconds) const {
  return from_utc(utc_seconds_, nanosecond_, offset_seconds);
}

std::optional<Instant> Instant::plus(seconds elapsed) const {
  const std::int64_t utc = utc_seconds_.time_since_epoch().count();
  const std::int64_t step = elapsed.count();
  // Any step that overflows int64 lies far beyond the span anyway.
  if ((step > 0 && utc > std::numeric_limits<std::int64_t>::max() - step) ||
      (step < 0 && utc < std::numeric_limits<std::int64_t>::min() - step)) {
    return std::nullopt;
  }
  return from_utc(sys_seconds{seconds{utc + step}}, nanosecond_, offset_seconds_);
}

}  // namespace zelk_fristen

// Shorthands for building dates, clock times and instants in the deadline tests.
#pragma once

#include <chrono>
#include <cstdint>
#include <ostream>

#include <fmt/format.h>

#include "zelk/fristen/clock_time.hpp"
#include "zelk/fristen/instant.hpp"
#include "zelk/fristen/error.hpp"

namespace zelk_fristen::test_support {

inline std::chrono::year_month_day date(int year, unsigned month, unsigned day) {
  return std::chrono::year_month_day{std::chrono::year{year}, std::chrono::month{month}, std::chrono::day{day}};
}

inline ClockTime clock(unsigned hour, unsigned minute, unsigned second = 0, std::uint32_t nanosecond = 0) {
  return ClockTime::from_hms(hour, minute, second, nanosecond).value();
}

inline constexpr std::int32_t utc = 0;
inline constexpr std::int32_t cet = 3600;
inline constexpr std::int32_t cest = 7200;

// Local wall-clock time at a fixed offset; the tests only build instants that exist.
inline Instant at(std::chrono::year_month_day day, ClockTime time, std::int32_t offset_seconds) {
  return Instant::from_local(day, time, offset_seconds).value();
}

}  // namespace zelk_fristen::test_support

namespace zelk_fristen {

inline void PrintTo(const Instant& instant, std::ostream* out) {
  const auto day = instant.local_date();
  const auto time = instant.local_clock();
  *out << fmt::format("{}-{:02}-{:02}T{:02}:{:02}:{:02}.{:09} offset {}s", static_cast<int>(day.year()),
                      static_cast<unsigned>(day.month()), static_cast<unsigned>(day.day()), time.hour(),
                      time.minute(), time.second(), time.nanosecond(), instant.offset_seconds());
}

inline void PrintTo(const FristError& error, std::ostream* out) { *out << message(error); }

}  // namespace zelk_fristen

// The one error of the deadline rules: a Berlin wall-clock time without an instant, a Berlin
// offset that RFC 3339 cannot write, or a result outside the years -9999 to 9999.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>

#include "zelk/fristen/clock_time.hpp"

namespace zelk_fristen {

struct FristError {
  enum class Kind : std::uint8_t {
    // The zone skips the wall-clock time on that date (a spring-forward gap).
    skipped_local_time,
    // The Berlin offset then in force has seconds (local mean time before 1893).
    unrepresentable_offset,
    // The result would fall outside the years -9999 to 9999.
    out_of_range,
  };

  Kind kind = Kind::out_of_range;
  // skipped_local_time and unrepresentable_offset: the local date and clock time concerned.
  std::chrono::year_month_day date{};
  ClockTime clock{};
  // unrepresentable_offset: the offset in force.
  std::int32_t offset_seconds = 0;

  friend bool operator==(const FristError&, const FristError&) = default;
};

// A result beyond the years -9999 to 9999 carries nothing more to say.
inline constexpr FristError out_of_range_error{.kind = FristError::Kind::out_of_range};

std::string message(const FristError& error);

}  // namespace zelk_fristen

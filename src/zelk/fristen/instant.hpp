// A moment in time together with the UTC offset it is shown in. Two instants are equal when they
// denote the same moment, whatever their offsets. The local date in the offset always lies in
// the years -9999 to 9999, so formatting an instant never meets a date it cannot hold.
#pragma once

#include <chrono>
#include <compare>
#include <cstdint>
#include <optional>

#include "zelk/fristen/clock_time.hpp"

namespace zelk_fristen {

class Instant {
 public:
  // Offsets must be shorter than a day in either direction.
  static constexpr std::int32_t max_offset_seconds = 86'399;

  // The moment at which a clock set to `offset_seconds` shows `clock` on `date`.
  static std::optional<Instant> from_local(std::chrono::year_month_day date, ClockTime clock,
                                           std::int32_t offset_seconds);
  // The moment `utc_seconds` + `nanosecond`, shown at `offset_seconds`.
  static std::optional<Instant> from_utc(std::chrono::sys_seconds utc_seconds, std::uint32_t nanosecond,
                                         std::int32_t offset_seconds);

  std::chrono::sys_seconds utc_seconds() const { return utc_seconds_; }
  std::uint32_t nanosecond() const { return nanosecond_; }
  std::int32_t offset_seconds() const { return offset_seconds_; }

  std::chrono::year_month_day local_date() const;
  ClockTime local_clock() const;

  // The same moment shown at another offset; nullopt when its local date leaves the span.
  std::optional<Instant> at_offset(std::int32_t offset_seconds) const;
  // The moment `elapsed` later, at the same offset; nullopt when its local date leaves the span.
  std::optional<Instant> plus(std::chrono::seconds elapsed) const;

  friend bool operator==(const Instant& left, const Instant& right) {
    return left.utc_seconds_ == right.utc_seconds_ && left.nanosecond_ == right.nanosecond_;
  }
  friend std::strong_ordering operator<=>(const Instant& left, const Instant& right) {
    if (const auto order = left.utc_seconds_ <=> right.utc_seconds_; order != 0) return order;
    return left.nanosecond_ <=> right.nanosecond_;
  }

 private:
  Instant(std::chrono::sys_seconds utc_seconds, std::uint32_t nanosecond, std::int32_t offset_seconds)
      : utc_seconds_(utc_seconds), nanosecond_(nanosecond), offset_seconds_(offset_seconds) {}

  std::chrono::sys_seconds utc_seconds_;
  std::uint32_t nanosecond_;
  std::int32_t offset_seconds_;
};

}  // namespace zelk_fristen

// A wall-clock time of day without a zone: hour, minute, second and nanosecond.
// Only valid times can be built, so everything downstream may rely on the ranges.
#pragma once

#include <compare>
#include <cstdint>
#include <optional>

namespace zelk_fristen {

class ClockTime {
 public:
  static constexpr std::int64_t nanoseconds_per_second = 1'000'000'000;
  static constexpr std::int64_t seconds_per_day = 86'400;

  // Midnight.
  constexpr ClockTime() = default;

  static constexpr std::optional<ClockTime> from_hms(unsigned hour, unsigned minute, unsigned second = 0,
                                                     std::uint32_t nanosecond = 0) {
    if (hour > 23 || minute > 59 || second > 59 || nanosecond >= nanoseconds_per_second) {
      return std::nullopt;
    }
    return ClockTime(static_cast<std::uint8_t>(hour), static_cast<std::uint8_t>(minute),
                     static_cast<std::uint8_t>(second), nanosecond);
  }

  // `seconds` must lie in 0..86399 and `nanosecond` below one second; anything else gives nullopt.
  static constexpr std::optional<ClockTime> from_second_of_day(std::int64_t seconds, std::uint32_t nanosecond) {
    if (seconds < 0 || seconds >= seconds_per_day) return std::nullopt;
    return from_hms(static_cast<unsigned>(seconds / 3600), static_cast<unsigned>(seconds / 60 % 60),
                    static_cast<unsigned>(seconds % 60), nanosecond);
  }

  // 23:59:59.999999999, the last instant that still belongs to a day.
  static constexpr ClockTime end_of_day() { return ClockTime(23, 59, 59, nanoseconds_per_second - 1); }
  static constexpr ClockTime noon() { return ClockTime(12, 0, 0, 0); }

  constexpr unsigned hour() const { return hour_; }
  constexpr unsigned minute() const { return minute_; }
  constexpr unsigned second() const { return second_; }
  constexpr std::uint32_t nanosecond() const { return nanosecond_; }
  constexpr std::int64_t second_of_day() const { return hour_ * 3600 + minute_ * 60 + second_; }

  friend constexpr bool operator==(const ClockTime&, const ClockTime&) = default;
  friend constexpr std::strong_ordering operator<=>(const ClockTime&, const ClockTime&) = default;

 private:
  constexpr ClockTime(std::uint8_t hour, std::uint8_t minute, std::uint8_t second, std::uint32_t nanosecond)
      : hour_(hour), minute_(minute), second_(second), nanosecond_(nanosecond) {}

  std::uint8_t hour_ = 0;
  std::uint8_t minute_ = 0;
  std::uint8_t second_ = 0;
  std::uint32_t nanosecond_ = 0;
};

}  // namespace zelk_fristen

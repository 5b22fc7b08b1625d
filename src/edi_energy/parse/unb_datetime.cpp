#include "edi_energy/parse/unb_datetime.hpp"

#include <algorithm>

namespace edi_energy::parse {
namespace {

bool all_digits(std::string_view text) {
  return std::ranges::all_of(text, [](char c) { return c >= '0' && c <= '9'; });
}

// Two or four digits already checked.
int number_at(std::string_view text, std::size_t position, std::size_t length) {
  int value = 0;
  for (std::size_t i = position; i < position + length; ++i) value = value * 10 + (text[i] - '0');
  return value;
}

}  // namespace

std::optional<std::chrono::year_month_day> parse_unb_date(std::string_view date) {
  if ((date.size() != 6 && date.size() != 8) || !all_digits(date)) return std::nullopt;
  const std::size_t year_digits = date.size() - 4;
  const int year = date.size() == 6 ? 2000 + number_at(date, 0, 2) : number_at(date, 0, 4);
  const std::chrono::year_month_day day{std::chrono::year{year},
                                        std::chrono::month{static_cast<unsigned>(number_at(date, year_digits, 2))},
                                        std::chrono::day{static_cast<unsigned>(number_at(date, year_digits + 2, 2))}};
  if (!day.ok()) return std::nullopt;
  return day;
}

std::optional<ClockTime> parse_unb_time(std::string_view time) {
  if ((time.size() != 4 && time.size() != 6) || !all_digits(time)) return std::nullopt;
  const int hour = number_at(time, 0, 2);
  const int minute = number_at(time, 2, 2);
  const int second = time.size() == 6 ? number_at(time, 4, 2) : 0;
  if (hour > 23 || minute > 59 || second > 59) return std::nullopt;
  return ClockTime{static_cast<std::uint8_t>(hour), static_cast<std::uint8_t>(minute),
                   static_cast<std::uint8_t>(second)};
}

bool is_syntax3_unb_date(std::string_view date) { return date.size() == 6 && parse_unb_date(date).has_value(); }

bool is_syntax3_unb_time(std::string_view time) { return time.size() == 4 && parse_unb_time(time).has_value(); }

std::optional<interchange::LocalDateTime> parse_unb_datetime(std::string_view date, std::string_view time) {
  const auto day = parse_unb_date(date);
  if (!day) return std::nullopt;
  const auto clock = parse_unb_time(time);
  if (!clock) return std::nullopt;
  return interchange::LocalDateTime{*day, clock->hour, clock->minute, clock->second};
}

}  // namespace edi_energy::parse

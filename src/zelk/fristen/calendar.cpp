#include "zelk/fristen/calendar.hpp"

#include <algorithm>
#include <array>

#include "zelk/fristen/civil_date.hpp"

namespace zelk_fristen {
namespace {

using std::chrono::day;
using std::chrono::month;
using std::chrono::month_day;
using std::chrono::sys_days;
using std::chrono::year;
using std::chrono::year_month_day;

constexpr std::array<month_day, 13> fixed_holidays{{
    {std::chrono::January, day{1}},     // New Year
    {std::chrono::January, day{6}},     // Epiphany
    {std::chrono::March, day{8}},       // International Women's Day
    {std::chrono::May, day{1}},         // Labour Day
    {std::chrono::August, day{15}},     // Assumption
    {std::chrono::September, day{20}},  // World Children's Day
    {std::chrono::October, day{3}},     // Day of German Unity
    {std::chrono::October, day{31}},    // Reformation Day
    {std::chrono::November, day{1}},    // All Saints' Day
    {std::chrono::December, day{24}},   // Christmas Eve
    {std::chrono::December, day{25}},   // Christmas Day
    {std::chrono::December, day{26}},   // Second day of Christmas
    {std::chrono::December, day{31}},   // New Year's Eve
}};

// Days from Easter Sunday: Good Friday, Easter Monday, Ascension, Whit Sunday, Whit Monday,
// Corpus Christi.
constexpr std::array<int, 6> easter_offsets{-2, 1, 39, 49, 50, 60};

// Floor division and its remainder: the computus must hold for negative years too.
constexpr int floor_div(int value, int divisor) {
  const int quotient = value / divisor;
  return (value % divisor < 0) ? quotient - 1 : quotient;
}
constexpr int floor_mod(int value, int divisor) { return value - floor_div(value, divisor) * divisor; }


}  // namespace

year_month_day easter_sunday(year year_value) {
  const int y = static_cast<int>(year_value);
  const int a = floor_mod(y, 19);
  const int b = floor_div(y, 100);
  const int c = floor_mod(y, 100);
  const int d = floor_div(b, 4);
  const int e = floor_mod(b, 4);
  const int f = floor_div(b + 8, 25);
  const int g = floor_div(b - f + 1, 3);
  const int h = floor_mod(19 * a + b - d - g + 15, 30);
  const int i = floor_div(c, 4);
  const int k = floor_mod(c, 4);
  const int l = floor_mod(32 + 2 * e + 2 * i - h - k, 7);
  const int m = floor_div(a + 11 * h + 22 * l, 451);
  const int month_and_day = h + l - 7 * m + 114;
  return year_month_day{year_value, month{static_cast<unsigned>(floor_div(month_and_day, 31))},
                        day{static_cast<unsigned>(floor_mod(month_and_day, 31) + 1)}};
}

year_month_day buss_und_bettag(year year_value) {
  const sys_days november_22{year_value / std::chrono::November / 22};
  const std::chrono::weekday weekday{november_22};
  return year_month_day{november_22 - (weekday - std::chrono::Wednesday)};
}

bool is_werktag(year_month_day date) {
  if (!date.ok()) return false;
  const std::chrono::weekday weekday{sys_days{date}};
  if (weekday == std::chrono::Saturday || weekday == std::chrono::Sunday) return false;
  const month_day date_in_year{date.month(), date.day()};
  if (std::ranges::find(fixed_holidays, date_in_year) != fixed_holidays.end()) return false;
  if (date.month() == std::chrono::November && date == buss_und_bettag(date.year())) return false;
  const sys_days easter{easter_sunday(date.year())};
  const auto days_from_easter = (sys_days{date} - easter).count();
  return std::ranges::find(easter_offsets, days_from_easter) == easter_offsets.end();
}

std::expected<year_month_day, FristError> first_werktag_from(year_month_day date) {
  if (!in_supported_range(date)) return std::unexpected(out_of_range_error);
  std::optional<year_month_day> candidate = date;
  while (candidate && !is_werktag(*candidate)) candidate = day_after(*candidate);
  if (!candidate) return std::unexpected(out_of_range_error);
  return *candidate;
}

std::expected<year_month_day, FristError> nth_werktag_after(year_month_day date, std::uint32_t n) {
  if (!in_supported_range(date)) return std::unexpected(out_of_range_error);
  // Each Werktag takes at least one day: a count beyond the days left cannot be reached.
  if (n > (sys_days{latest_date} - sys_days{date}).count()) return std::unexpected(out_of_range_error);
  std::optional<year_month_day> current = date;
  for (std::uint32_t counted = 0; counted < n;) {
    current = day_after(*current);
    if (!current) return std::unexpected(out_of_range_error);
    if (is_werktag(*current)) ++counted;
  }
  return *current;
}

}  // namespace zelk_fristen

#include <gtest/gtest.h>

#include <array>
#include <limits>

#include "fristen_test_support.hpp"
#include "zelk/fristen/calendar.hpp"

namespace zelk_fristen {
namespace {

using std::chrono::sys_days;
using std::chrono::year;
using std::chrono::year_month_day;
using test_support::date;

constexpr int floor_div(int value, int divisor) {
  return value / divisor - (value % divisor < 0 ? 1 : 0);
}
constexpr int floor_mod(int value, int divisor) { return value - floor_div(value, divisor) * divisor; }

// Gauss' Easter formula in Lichtenberg's form: a second, independent route to the same date.
year_month_day lichtenberg_easter(int y) {
  const int k = floor_div(y, 100);
  const int m = 15 + floor_div(3 * k + 3, 4) - floor_div(8 * k + 13, 25);
  const int s = 2 - floor_div(3 * k + 3, 4);
  const int a = floor_mod(y, 19);
  const int d = floor_mod(19 * a + m, 30);
  const int r = floor_div(d + floor_div(a, 11), 29);
  const int og = 21 + d - r;
  const int sz = 7 - floor_mod(y + floor_div(y, 4) + s, 7);
  const int oe = 7 - floor_mod(og - sz, 7);
  const int march_day = og + oe;
  return march_day <= 31 ? date(y, 3, static_cast<unsigned>(march_day))
                         : date(y, 4, static_cast<unsigned>(march_day - 31));
}

TEST(FristenEaster, AgreesWithGaussOverEveryYear) {
  for (int y = -9999; y <= 9999; ++y) {
    const year_month_day easter = easter_sunday(year{y});
    ASSERT_EQ(easter, lichtenberg_easter(y)) << "year " << y;
    ASSERT_EQ(std::chrono::weekday{sys_days{easter}}, std::chrono::Sunday) << "year " << y;
    ASSERT_GE(easter, date(y, 3, 22)) << "year " << y;
    ASSERT_LE(easter, date(y, 4, 25)) << "year " << y;
  }
}

TEST(FristenEaster, MatchesPublishedDates) {
  for (const year_month_day easter : {date(1818, 3, 22), date(1943, 4, 25), date(2000, 4, 23), date(2285, 3, 22)}) {
    EXPECT_EQ(easter_sunday(easter.year()), easter);
  }
}

TEST(FristenBussUndBettag, IsElevenDaysBeforeFirstAdventInEveryYear) {
  for (int y = -9999; y <= 9999; ++y) {
    // First Advent: the fourth Sunday before Christmas Day, i.e. the Sunday from 27 November to 3 December.
    const sys_days christmas{date(y, 12, 25)};
    const sys_days sunday_before_christmas =
        christmas - (std::chrono::weekday{christmas} - std::chrono::Sunday) -
        (std::chrono::weekday{christmas} == std::chrono::Sunday ? std::chrono::days{7} : std::chrono::days{0});
    const sys_days first_advent = sunday_before_christmas - std::chrono::weeks{3};
    ASSERT_EQ(buss_und_bettag(year{y}), year_month_day{first_advent - std::chrono::days{11}}) << "year " << y;
  }
}

// Every day of five centuries against a predicate built from the holiday rules and the Gauss Easter.
TEST(FristenWerktag, AgreesWithHolidayRulesAcrossCenturies) {
  constexpr std::array<std::pair<unsigned, unsigned>, 13> fixed{
      {{1, 1}, {1, 6}, {3, 8}, {5, 1}, {8, 15}, {9, 20}, {10, 3},
       {10, 31}, {11, 1}, {12, 24}, {12, 25}, {12, 26}, {12, 31}}};
  for (sys_days day{date(1800, 1, 1)}; day <= sys_days{date(2299, 12, 31)}; day += std::chrono::days{1}) {
    const year_month_day ymd{day};
    const std::chrono::weekday weekday{day};
    bool holiday = weekday == std::chrono::Saturday || weekday == std::chrono::Sunday;
    for (const auto& [month, dom] : fixed) {
      holiday = holiday || (static_cast<unsigned>(ymd.month()) == month && static_cast<unsigned>(ymd.day()) == dom);
    }
    const auto from_easter = (day - sys_days{lichtenberg_easter(static_cast<int>(ymd.year()))}).count();
    for (const int offset : {-2, 1, 39, 49, 50, 60}) holiday = holiday || from_easter == offset;
    const bool repentance = ymd.month() == std::chrono::November && weekday == std::chrono::Wednesday &&
                            ymd.day() >= std::chrono::day{16} && ymd.day() <= std::chrono::day{22};
    holiday = holiday || repentance;
    ASSERT_EQ(is_werktag(ymd), !holiday) << static_cast<int>(ymd.year()) << "-" << static_cast<unsigned>(ymd.month())
                                         << "-" << static_cast<unsigned>(ymd.day());
  }
}

TEST(FristenNthWerktag, CountsOnlyWerktageAfterStart) {
  const std::tuple<year_month_day, std::uint32_t, year_month_day> cases[] = {
      {date(2026, 3, 1), 0, date(2026, 3, 1)},      // a Sunday stays with n = 0
      {date(2026, 12, 18), 4, date(2026, 12, 28)},  // weekend and 24.-27.12.
      {date(2026, 12, 30), 1, date(2027, 1, 4)},    // 31.12., 1.1., weekend
      {date(2025, 4, 17), 1, date(2025, 4, 22)}};   // across Easter
  for (const auto& [start, n, expected] : cases) EXPECT_EQ(nth_werktag_after(start, n), expected);
  EXPECT_EQ(first_werktag_from(date(2026, 7, 6)), date(2026, 7, 6));
  EXPECT_EQ(first_werktag_from(date(2026, 12, 24)), date(2026, 12, 28));
}

TEST(FristenNthWerktag, RunningPastYear9999IsAnError) {
  // 9999-12-31 is a holiday, so no Werktag follows 9999-12-30.
  EXPECT_EQ(nth_werktag_after(date(9999, 12, 30), 1), std::unexpected(out_of_range_error));
  EXPECT_EQ(first_werktag_from(date(9999, 12, 31)), std::unexpected(out_of_range_error));
  EXPECT_EQ(nth_werktag_after(date(2026, 1, 1), std::numeric_limits<std::uint32_t>::max()),
            std::unexpected(out_of_range_error));
  EXPECT_EQ(nth_werktag_after(date(-9999, 1, 1), 5'500'000), std::unexpected(out_of_range_error));
  EXPECT_TRUE(nth_werktag_after(date(9999, 12, 31), 0).has_value());
}

}  // namespace
}  // namespace zelk_fristen

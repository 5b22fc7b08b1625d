#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "fristen_test_support.hpp"
#include "zelk/fristen/berlin_time.hpp"
#include "zelk/fristen/berlin_zone.hpp"

namespace zelk_fristen {
namespace {

using std::chrono::sys_seconds;
using std::chrono::year_month_day;
using namespace test_support;

sys_seconds last_sunday_one_utc(int year, std::chrono::month month) {
  return sys_seconds{std::chrono::sys_days{std::chrono::year{year} / month / std::chrono::Sunday[std::chrono::last]}} +
         std::chrono::hours{1};
}

std::int64_t seconds_of(sys_seconds moment) { return moment.time_since_epoch().count(); }

// Summer time in West Germany and then Germany: from 1981 to 1995 it ended on the last Sunday of
// September, from 1996 on the last Sunday of October; both at 01:00 UTC.
TEST(FristenBerlinZone, GeneratedTableMatchesTheRulesOfKnownYears) {
  const auto table = berlin_transitions();
  ASSERT_TRUE(std::ranges::is_sorted(table, {}, &ZoneTransition::utc_second));
  const int last_year = static_cast<int>(
      year_month_day{std::chrono::floor<std::chrono::days>(sys_seconds{std::chrono::seconds{table.back().utc_second}})}
          .year());
  ASSERT_GE(last_year, 1996);
  for (int year = 1981; year <= last_year; ++year) {
    const auto start = seconds_of(sys_seconds{std::chrono::sys_days{date(year, 1, 1)}});
    const auto end = seconds_of(sys_seconds{std::chrono::sys_days{date(year + 1, 1, 1)}});
    std::vector<ZoneTransition> changes;
    std::ranges::copy_if(table, std::back_inserter(changes),
                         [&](const ZoneTransition& t) { return t.utc_second >= start && t.utc_second < end; });
    const auto summer_end = year <= 1995 ? std::chrono::September : std::chrono::October;
    ASSERT_EQ(changes.size(), 2u) << year;
    EXPECT_EQ(changes[0].utc_second, seconds_of(last_sunday_one_utc(year, std::chrono::March))) << year;
    EXPECT_EQ(changes[0].offset_seconds, cest) << year;
    EXPECT_EQ(changes[1].utc_second, seconds_of(last_sunday_one_utc(year, summer_end))) << year;
    EXPECT_EQ(changes[1].offset_seconds, cet) << year;
  }
  // Local mean time until CET began at 00:00 on 1 April 1893, 23:06:32 UTC the evening before.
  EXPECT_EQ(berlin_initial_offset_seconds(), 3208);
  EXPECT_EQ(table.front().utc_second, seconds_of(sys_seconds{std::chrono::sys_days{date(1893, 3, 31)}}) + 83192);
  EXPECT_EQ(table.front().offset_seconds, cet);
}

// Past the table the rule takes over without a seam, up to the last supported year.
TEST(FristenBerlinZone, OffsetAfterTableFollowsTheEuRule) {
  for (const int year : {2038, 2400, 9999}) {
    for (const auto& [month, before, after] : {std::tuple{std::chrono::March, cet, cest},
                                               std::tuple{std::chrono::October, cest, cet}}) {
      EXPECT_EQ(berlin_offset_at(last_sunday_one_utc(year, month) - std::chrono::seconds{1}), before) << year;
      EXPECT_EQ(berlin_offset_at(last_sunday_one_utc(year, month)), after) << year;
    }
  }
}

TEST(FristenBerlinAt, ResolvesWallClockTime) {
  const std::tuple<year_month_day, ClockTime, Instant, std::int32_t> cases[] = {
      {date(2026, 1, 15), clock(12, 0), at(date(2026, 1, 15), clock(11, 0), utc), cet},
      // Autumn: the repeated hour takes the earlier reading, still in summer time.
      {date(2026, 10, 25), clock(2, 30), at(date(2026, 10, 25), clock(0, 30), utc), cest},
      {date(2026, 10, 25), clock(3, 0), at(date(2026, 10, 25), clock(2, 0), utc), cet},
      // Spring: the last second before the gap and the first after it.
      {date(2026, 3, 29), clock(1, 59, 59, 999'999'999), at(date(2026, 3, 29), clock(0, 59, 59, 999'999'999), utc), cet},
      {date(2026, 3, 29), clock(3, 0), at(date(2026, 3, 29), clock(1, 0), utc), cest},
      // Double summer time of 1945 and a day far beyond the table.
      {date(1945, 6, 1), clock(12, 0), at(date(1945, 6, 1), clock(9, 0), utc), 10800},
      {date(9999, 12, 31), clock(23, 0), at(date(9999, 12, 31), clock(22, 0), utc), cet}};
  for (const auto& [day, local, expected, offset] : cases) {
    const auto resolved = berlin_at(day, local);
    ASSERT_TRUE(resolved.has_value()) << message(resolved.error());
    EXPECT_EQ(*resolved, expected);
    EXPECT_EQ(resolved->offset_seconds(), offset);
    EXPECT_EQ(resolved->local_clock(), local);
    // Noon is shown at UTC.
    EXPECT_EQ(noon_berlin(day), berlin_at(day, clock(12, 0))->at_offset(utc).value());
  }
}

TEST(FristenBerlinAt, SkippedTimeAndLocalMeanTimeAreErrors) {
  for (const ClockTime skipped : {clock(2, 0), clock(2, 59, 59, 999'999'999)}) {
    const auto resolved = berlin_at(date(2026, 3, 29), skipped);
    ASSERT_FALSE(resolved.has_value());
    EXPECT_EQ(resolved.error().kind, FristError::Kind::skipped_local_time);
    EXPECT_EQ(resolved.error().clock, skipped);
  }
  EXPECT_EQ(message(berlin_at(date(2026, 3, 29), clock(2, 30)).error()),
            "CRITICAL: timezone database failure — could not resolve 2:30:00.0 Europe/Berlin for date 2026-03-29. "
            "Cannot compute a correct regulatory Frist. Ensure tzdata is installed and up to date.");

  const auto mean_time = berlin_at(date(1890, 6, 2), clock(12, 0));
  ASSERT_FALSE(mean_time.has_value());
  EXPECT_EQ(mean_time.error().kind, FristError::Kind::unrepresentable_offset);
  EXPECT_EQ(message(mean_time.error()),
            "the Europe/Berlin offset +00:53:28 in force at 12:00:00.0 on 1890-06-02 cannot be written as an RFC "
            "3339 offset");
  // Shown at UTC, the same moment is fine.
  EXPECT_EQ(noon_berlin(date(1890, 6, 2)), at(date(1890, 6, 2), clock(11, 6, 32), utc));
}

TEST(FristenBerlinDay, IsTheDateOnTheBerlinWallClock) {
  const std::pair<Instant, year_month_day> cases[] = {
      {at(date(2026, 1, 12), clock(23, 30), utc), date(2026, 1, 13)},
      {at(date(2026, 1, 12), clock(22, 59, 59), utc), date(2026, 1, 12)},
      {at(date(2026, 7, 12), clock(22, 0), utc), date(2026, 7, 13)},
      {at(date(2026, 7, 13), clock(9, 0), 50400), date(2026, 7, 12)}};
  for (const auto& [instant, expected] : cases) EXPECT_EQ(berlin_day(instant), expected);
  EXPECT_EQ(berlin_day(at(date(9999, 12, 31), clock(23, 30), utc)), std::unexpected(out_of_range_error));
}

}  // namespace
}  // namespace zelk_fristen

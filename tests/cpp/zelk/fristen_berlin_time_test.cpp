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

std::vector<ZoneTransition> table_changes_in(int year) {
  const auto start = sys_seconds{std::chrono::sys_days{date(year, 1, 1)}}.time_since_epoch().count();
  const auto end = sys_seconds{std::chrono::sys_days{date(year + 1, 1, 1)}}.time_since_epoch().count();
  std::vector<ZoneTransition> changes;
  for (const ZoneTransition& transition : berlin_transitions()) {
    if (transition.utc_second >= start && transition.utc_second < end) changes.push_back(transition);
  }
  return changes;
}

// Summer time in West Germany and then Germany: from 1981 to 1995 it ended on the last Sunday of
// September, from 1996 on the last Sunday of October; both at 01:00 UTC.
TEST(FristenBerlinZone, GeneratedTableMatchesTheRulesOfKnownYears) {
  const sys_seconds last_change{std::chrono::seconds{berlin_transitions().back().utc_second}};
  const int last_table_year =
      static_cast<int>(year_month_day{std::chrono::floor<std::chrono::days>(last_change)}.year());
  ASSERT_GE(last_table_year, 1996);
  for (int year = 1981; year <= last_table_year; ++year) {
    const std::chrono::month summer_end = year <= 1995 ? std::chrono::September : std::chrono::October;
    const std::vector<ZoneTransition> changes = table_changes_in(year);
    ASSERT_EQ(changes.size(), 2u) << year;
    EXPECT_EQ(changes[0].utc_second, last_sunday_one_utc(year, std::chrono::March).time_since_epoch().count()) << year;
    EXPECT_EQ(changes[0].offset_seconds, cest) << year;
    EXPECT_EQ(changes[1].utc_second, last_sunday_one_utc(year, summer_end).time_since_epoch().count()) << year;
    EXPECT_EQ(changes[1].offset_seconds, cet) << year;
  }
}

TEST(FristenBerlinZone, LocalMeanTimeUntilStandardTimeIn1893) {
  EXPECT_EQ(berlin_initial_offset_seconds(), 3208);
  // CET began at 00:00 local mean time on 1 April 1893, 23:06:32 UTC the evening before.
  const auto first = berlin_transitions().front();
  EXPECT_EQ(first.utc_second, sys_seconds{std::chrono::sys_days{date(1893, 3, 31)}}.time_since_epoch().count() +
                                  23 * 3600 + 6 * 60 + 32);
  EXPECT_EQ(first.offset_seconds, cet);
  EXPECT_TRUE(std::ranges::is_sorted(berlin_transitions(), {}, &ZoneTransition::utc_second));
}

// Past the table the rule takes over without a seam, up to the last supported year.
TEST(FristenBerlinZone, OffsetAfterTableFollowsTheEuRule) {
  for (const int year : {2030, 2037, 2038, 2039, 2100, 2400, 9999}) {
    for (const auto month : {std::chrono::March, std::chrono::October}) {
      const sys_seconds change = last_sunday_one_utc(year, month);
      const std::int32_t before = month == std::chrono::March ? cet : cest;
      const std::int32_t after = month == std::chrono::March ? cest : cet;
      EXPECT_EQ(berlin_offset_at(change - std::chrono::seconds{1}), before) << year;
      EXPECT_EQ(berlin_offset_at(change), after) << year;
    }
    EXPECT_EQ(berlin_offset_at(sys_seconds{std::chrono::sys_days{date(year, 1, 15)}}), cet) << year;
    EXPECT_EQ(berlin_offset_at(sys_seconds{std::chrono::sys_days{date(year, 7, 15)}}), cest) << year;
  }
}

struct ResolutionCase {
  year_month_day day;
  ClockTime local;
  Instant expected;
  std::int32_t expected_offset;
};

class FristenBerlinAt : public ::testing::TestWithParam<ResolutionCase> {};

TEST_P(FristenBerlinAt, ResolvesWallClockTime) {
  const auto resolved = berlin_at(GetParam().day, GetParam().local);
  ASSERT_TRUE(resolved.has_value()) << message(resolved.error());
  EXPECT_EQ(*resolved, GetParam().expected);
  EXPECT_EQ(resolved->offset_seconds(), GetParam().expected_offset);
  EXPECT_EQ(resolved->local_date(), GetParam().day);
  EXPECT_EQ(resolved->local_clock(), GetParam().local);
}

INSTANTIATE_TEST_SUITE_P(
    DaylightSaving, FristenBerlinAt,
    ::testing::Values(
        ResolutionCase{date(2026, 7, 1), clock(12, 0), at(date(2026, 7, 1), clock(10, 0), utc), cest},
        ResolutionCase{date(2026, 1, 15), clock(12, 0), at(date(2026, 1, 15), clock(11, 0), utc), cet},
        // Autumn: the repeated hour takes the earlier reading, still in summer time.
        ResolutionCase{date(2026, 10, 25), clock(2, 30), at(date(2026, 10, 25), clock(0, 30), utc), cest},
        ResolutionCase{date(2026, 10, 25), clock(2, 0), at(date(2026, 10, 25), clock(0, 0), utc), cest},
        ResolutionCase{date(2026, 10, 25), clock(1, 59, 59), at(date(2026, 10, 24), clock(23, 59, 59), utc), cest},
        ResolutionCase{date(2026, 10, 25), clock(3, 0), at(date(2026, 10, 25), clock(2, 0), utc), cet},
        // Spring: the last second before the gap and the first after it.
        ResolutionCase{date(2026, 3, 29), clock(1, 59, 59, 999'999'999),
                       at(date(2026, 3, 29), clock(0, 59, 59, 999'999'999), utc), cet},
        ResolutionCase{date(2026, 3, 29), clock(3, 0), at(date(2026, 3, 29), clock(1, 0), utc), cest},
        // Double summer time of 1945 and a day far beyond the table.
        ResolutionCase{date(1945, 6, 1), clock(12, 0), at(date(1945, 6, 1), clock(9, 0), utc), 10800},
        ResolutionCase{date(9999, 12, 31), clock(23, 59, 59, 999'999'999),
                       at(date(9999, 12, 31), clock(22, 59, 59, 999'999'999), utc), cet}));

class FristenBerlinGap : public ::testing::TestWithParam<ClockTime> {};

TEST_P(FristenBerlinGap, SkippedTimeIsAnErrorNamingTimeAndDate) {
  const auto resolved = berlin_at(date(2026, 3, 29), GetParam());
  ASSERT_FALSE(resolved.has_value());
  EXPECT_EQ(resolved.error().kind, FristError::Kind::skipped_local_time);
  EXPECT_EQ(resolved.error().clock, GetParam());
}

INSTANTIATE_TEST_SUITE_P(SpringForward, FristenBerlinGap,
                         ::testing::Values(clock(2, 0), clock(2, 30), clock(2, 59, 59, 999'999'999)));

TEST(FristenBerlinGap, MessageText) {
  const auto resolved = berlin_at(date(2026, 3, 29), clock(2, 30));
  ASSERT_FALSE(resolved.has_value());
  EXPECT_EQ(message(resolved.error()),
            "CRITICAL: timezone database failure — could not resolve 2:30:00.0 Europe/Berlin for date 2026-03-29. "
            "Cannot compute a correct regulatory Frist. Ensure tzdata is installed and up to date.");
}

TEST(FristenBerlinAt, LocalMeanTimeHasNoRfc3339Offset) {
  const auto resolved = berlin_at(date(1890, 6, 2), clock(12, 0));
  ASSERT_FALSE(resolved.has_value());
  EXPECT_EQ(resolved.error().kind, FristError::Kind::unrepresentable_offset);
  EXPECT_EQ(resolved.error().offset_seconds, 3208);
  EXPECT_EQ(message(resolved.error()),
            "the Europe/Berlin offset +00:53:28 in force at 12:00:00.0 on 1890-06-02 cannot be written as an RFC "
            "3339 offset");
  // Shown at UTC, the same moment is fine.
  EXPECT_EQ(noon_berlin(date(1890, 6, 2)), at(date(1890, 6, 2), clock(11, 6, 32), utc));
}

TEST(FristenNoonBerlin, IsNoonBerlinShownAtUtc) {
  for (const year_month_day day : {date(2026, 1, 15), date(2026, 7, 1), date(2026, 3, 29), date(2026, 10, 25)}) {
    const auto noon = noon_berlin(day);
    ASSERT_TRUE(noon.has_value());
    EXPECT_EQ(noon->offset_seconds(), utc);
    EXPECT_EQ(*noon, berlin_at(day, clock(12, 0)).value());
  }
}

struct BerlinDayCase {
  Instant instant;
  year_month_day expected;
};

class FristenBerlinDay : public ::testing::TestWithParam<BerlinDayCase> {};

TEST_P(FristenBerlinDay, IsTheDateOnTheBerlinWallClock) {
  EXPECT_EQ(berlin_day(GetParam().instant), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Offsets, FristenBerlinDay,
    ::testing::Values(BerlinDayCase{at(date(2026, 1, 12), clock(23, 30), utc), date(2026, 1, 13)},
                      BerlinDayCase{at(date(2026, 1, 12), clock(22, 59, 59), utc), date(2026, 1, 12)},
                      BerlinDayCase{at(date(2026, 7, 12), clock(22, 0), utc), date(2026, 7, 13)},
                      BerlinDayCase{at(date(2026, 7, 12), clock(21, 59, 59, 999'999'999), utc), date(2026, 7, 12)},
                      BerlinDayCase{at(date(2026, 7, 13), clock(8, 0), -36000), date(2026, 7, 13)},
                      BerlinDayCase{at(date(2026, 7, 13), clock(9, 0), 50400), date(2026, 7, 12)}));

TEST(FristenBerlinDay, DayAfterYear9999IsAnError) {
  EXPECT_EQ(berlin_day(at(date(9999, 12, 31), clock(23, 30), utc)),
            std::unexpected(out_of_range_error));
}

}  // namespace
}  // namespace zelk_fristen

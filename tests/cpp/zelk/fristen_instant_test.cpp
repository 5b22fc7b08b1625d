#include <gtest/gtest.h>

#include <limits>

#include "fristen_test_support.hpp"

namespace zelk_fristen {
namespace {

using namespace test_support;

TEST(FristenInstant, EqualityAndOrderIgnoreTheOffset) {
  const Instant london = at(date(2026, 7, 1), clock(10, 0), utc);
  EXPECT_EQ(at(date(2026, 7, 1), clock(12, 0), cest), london);
  EXPECT_EQ(at(date(2026, 7, 1), clock(6, 0), -14400), london);
  EXPECT_LT(at(date(2026, 7, 1), clock(11, 59), cest), london);
  EXPECT_LT(london, at(date(2026, 7, 1), clock(10, 0, 0, 1), utc));
}

TEST(FristenInstant, LocalFieldsRoundTripAtEveryOffset) {
  const std::tuple<std::chrono::year_month_day, ClockTime, std::int32_t> cases[] = {
      {date(1969, 12, 31), clock(23, 59, 59, 999'999'999), utc},
      {date(-1, 12, 31), clock(0, 0), 3208},
      {date(-9999, 1, 1), clock(12, 0), 43200},
      {date(2024, 2, 29), clock(23, 59), -86399}};
  for (const auto& [day, time, offset] : cases) {
    const auto instant = Instant::from_local(day, time, offset);
    ASSERT_TRUE(instant.has_value());
    EXPECT_EQ(instant->local_date(), day);
    EXPECT_EQ(instant->local_clock(), time);
    EXPECT_EQ(instant->offset_seconds(), offset);
    EXPECT_EQ(instant->at_offset(utc), *instant);
  }
}

TEST(FristenInstant, RefusesWhatCannotBeHeld) {
  EXPECT_FALSE(Instant::from_local(date(2026, 2, 30), clock(0, 0), utc).has_value());
  EXPECT_FALSE(Instant::from_local(date(10000, 1, 1), clock(0, 0), utc).has_value());
  EXPECT_FALSE(Instant::from_local(date(2026, 1, 1), clock(0, 0), 86400).has_value());
  // 9999-12-31 23:00 at UTC is 10000-01-01 in Berlin.
  const Instant last_hour = at(date(9999, 12, 31), clock(23, 0), utc);
  EXPECT_FALSE(last_hour.at_offset(cet).has_value());
  EXPECT_FALSE(last_hour.plus(std::chrono::hours{1}).has_value());
  EXPECT_TRUE(last_hour.plus(std::chrono::minutes{59}).has_value());
  EXPECT_FALSE(last_hour.plus(std::chrono::seconds{std::numeric_limits<std::int64_t>::max()}).has_value());
  EXPECT_FALSE(last_hour.plus(std::chrono::seconds{std::numeric_limits<std::int64_t>::min()}).has_value());

  EXPECT_FALSE(ClockTime::from_hms(24, 0).has_value());
  EXPECT_FALSE(ClockTime::from_hms(23, 60).has_value());
  EXPECT_FALSE(ClockTime::from_hms(23, 59, 60).has_value());
  EXPECT_FALSE(ClockTime::from_hms(0, 0, 0, 1'000'000'000).has_value());
  EXPECT_EQ(ClockTime::from_hms(23, 59, 59, 999'999'999), ClockTime::end_of_day());
}

}  // namespace
}  // namespace zelk_fristen

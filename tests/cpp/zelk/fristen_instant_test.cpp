#include <gtest/gtest.h>

#include <limits>

#include "fristen_test_support.hpp"

namespace zelk_fristen {
namespace {

using namespace test_support;

TEST(FristenInstant, EqualityAndOrderIgnoreTheOffset) {
  const Instant berlin = at(date(2026, 7, 1), clock(12, 0), cest);
  const Instant london = at(date(2026, 7, 1), clock(10, 0), utc);
  const Instant new_york = at(date(2026, 7, 1), clock(6, 0), -14400);
  EXPECT_EQ(berlin, london);
  EXPECT_EQ(london, new_york);
  EXPECT_LT(at(date(2026, 7, 1), clock(11, 59), cest), london);
  EXPECT_LT(london, at(date(2026, 7, 1), clock(10, 0, 0, 1), utc));
}

struct LocalCase {
  std::chrono::year_month_day day;
  ClockTime time;
  std::int32_t offset;
};

class FristenInstantLocal : public ::testing::TestWithParam<LocalCase> {};

TEST_P(FristenInstantLocal, LocalFieldsRoundTripAtEveryOffset) {
  const auto instant = Instant::from_local(GetParam().day, GetParam().time, GetParam().offset);
  ASSERT_TRUE(instant.has_value());
  EXPECT_EQ(instant->local_date(), GetParam().day);
  EXPECT_EQ(instant->local_clock(), GetParam().time);
  EXPECT_EQ(instant->offset_seconds(), GetParam().offset);
  const auto shifted = instant->at_offset(utc);
  ASSERT_TRUE(shifted.has_value());
  EXPECT_EQ(*shifted, *instant);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FristenInstantLocal,
    ::testing::Values(LocalCase{date(2026, 3, 29), clock(10, 15, 59, 5), cest},
                      LocalCase{date(1969, 12, 31), clock(23, 59, 59, 999'999'999), utc},
                      LocalCase{date(-1, 12, 31), clock(0, 0), 3208},
                      LocalCase{date(-9999, 1, 1), clock(12, 0), 43200},
                      LocalCase{date(9999, 12, 31), clock(11, 0), -43200},
                      LocalCase{date(2024, 2, 29), clock(23, 59), -86399}));

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
}

TEST(FristenClockTime, RefusesOutOfRangeFields) {
  EXPECT_FALSE(ClockTime::from_hms(24, 0).has_value());
  EXPECT_FALSE(ClockTime::from_hms(23, 60).has_value());
  EXPECT_FALSE(ClockTime::from_hms(23, 59, 60).has_value());
  EXPECT_FALSE(ClockTime::from_hms(0, 0, 0, 1'000'000'000).has_value());
  EXPECT_EQ(ClockTime::from_hms(23, 59, 59, 999'999'999), ClockTime::end_of_day());
}

}  // namespace
}  // namespace zelk_fristen

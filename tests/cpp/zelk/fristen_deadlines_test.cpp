#include <gtest/gtest.h>

#include "fristen_test_support.hpp"
#include "zelk/fristen/deadlines.hpp"

namespace zelk_fristen {
namespace {

using namespace test_support;

struct DueCase {
  const char* what;
  Instant received;
  Instant expected;
  // The offset the result is shown in, which callers print.
  std::int32_t expected_offset;
};

void expect_due(const std::expected<Instant, FristError>& due, const DueCase& expected) {
  ASSERT_TRUE(due.has_value()) << expected.what << ": " << message(due.error());
  EXPECT_EQ(*due, expected.expected) << expected.what;
  EXPECT_EQ(due->offset_seconds(), expected.expected_offset) << expected.what;
}

struct ContrlCase {
  DueCase due;
  ContrlAnlass anlass;
};

class FristenContrl : public ::testing::TestWithParam<ContrlCase> {};

TEST_P(FristenContrl, DueTime) {
  expect_due(contrl_due_at(GetParam().due.received, GetParam().anlass), GetParam().due);
}

INSTANTIATE_TEST_SUITE_P(
    WindowsAndAnlass, FristenContrl,
    ::testing::Values(
        ContrlCase{{"regelfall moved to the end of the spring window", at(date(2026, 3, 31), clock(14, 0), cest),
                    at(date(2026, 4, 1), clock(22, 0), utc), utc},
                   ContrlAnlass::regelfall},
        ContrlCase{{"regelfall just before the spring window", at(date(2026, 3, 31), clock(11, 59), cest),
                    at(date(2026, 3, 31), clock(17, 59), cest), cest},
                   ContrlAnlass::regelfall},
        ContrlCase{{"due exactly at the autumn window start", at(date(2026, 9, 30), clock(12, 0), cest),
                    at(date(2026, 10, 1), clock(22, 0), utc), utc},
                   ContrlAnlass::regelfall},
        ContrlCase{{"due exactly at the autumn window end stays", at(date(2026, 10, 1), clock(18, 0), cest),
                    at(date(2026, 10, 2), clock(0, 0), cest), cest},
                   ContrlAnlass::regelfall},
        ContrlCase{{"window bounds are Berlin time, received shown at UTC", at(date(2026, 3, 31), clock(15, 50), utc),
                    at(date(2026, 4, 1), clock(22, 0), utc), utc},
                   ContrlAnlass::regelfall},
        ContrlCase{{"window dates are the same in a leap year", at(date(2028, 3, 31), clock(13, 0), cest),
                    at(date(2028, 4, 1), clock(22, 0), utc), utc},
                   ContrlAnlass::regelfall},
        ContrlCase{{"due after the window", at(date(2026, 4, 1), clock(19, 0), cest),
                    at(date(2026, 4, 2), clock(1, 0), cest), cest},
                   ContrlAnlass::regelfall},
        ContrlCase{{"strom on a Friday: 15 minutes", at(date(2026, 7, 3), clock(10, 0), cest),
                    at(date(2026, 7, 3), clock(10, 15), cest), cest},
                   ContrlAnlass::strom_utilmd_orders},
        ContrlCase{{"strom on a Saturday: 6 hours", at(date(2026, 7, 4), clock(10, 0), cest),
                    at(date(2026, 7, 4), clock(16, 0), cest), cest},
                   ContrlAnlass::strom_utilmd_orders},
        ContrlCase{{"strom late Friday, due on Saturday: 15 minutes", at(date(2026, 7, 3), clock(23, 50), cest),
                    at(date(2026, 7, 4), clock(0, 5), cest), cest},
                   ContrlAnlass::strom_utilmd_orders},
        ContrlCase{{"strom on a Berlin Saturday that is Friday in UTC", at(date(2026, 7, 3), clock(22, 10), utc),
                    at(date(2026, 7, 4), clock(4, 10), utc), utc},
                   ContrlAnlass::strom_utilmd_orders},
        ContrlCase{{"gas alocat: 45 minutes", at(date(2026, 1, 14), clock(9, 30), cet),
                    at(date(2026, 1, 14), clock(10, 15), cet), cet},
                   ContrlAnlass::gas_alocat}));

TEST(FristenContrl, AnlassNamesRoundTrip) {
  for (const ContrlAnlass anlass :
       {ContrlAnlass::regelfall, ContrlAnlass::strom_utilmd_orders, ContrlAnlass::gas_alocat}) {
    EXPECT_EQ(contrl_anlass_from_name(contrl_anlass_name(anlass)), anlass);
  }
  EXPECT_EQ(contrl_anlass_from_name("Regelfall"), std::nullopt);
  EXPECT_EQ(contrl_anlass_from_name(""), std::nullopt);
}

TEST(FristenContrl, DuePastYear9999IsAnError) {
  EXPECT_EQ(contrl_due_at(at(date(9999, 12, 31), clock(20, 0), utc), ContrlAnlass::regelfall),
            std::unexpected(out_of_range_error));
}

class FristenAperakStrom : public ::testing::TestWithParam<DueCase> {};

TEST_P(FristenAperakStrom, DueTime) { expect_due(aperak_strom_due_at(GetParam().received), GetParam()); }

INSTANTIATE_TEST_SUITE_P(
    Cases, FristenAperakStrom,
    ::testing::Values(
        DueCase{"Saturday late", at(date(2026, 7, 4), clock(23, 50), cest),
                at(date(2026, 7, 5), clock(10, 0), utc), utc},
        DueCase{"Saturday early", at(date(2026, 7, 4), clock(0, 10), cest),
                at(date(2026, 7, 5), clock(10, 0), utc), utc},
        DueCase{"Saturday in winter", at(date(2026, 1, 17), clock(9, 0), cet),
                at(date(2026, 1, 18), clock(11, 0), utc), utc},
        DueCase{"Saturday before the spring change", at(date(2026, 3, 28), clock(9, 0), cet),
                at(date(2026, 3, 29), clock(10, 0), utc), utc},
        DueCase{"Friday late runs past midnight", at(date(2026, 7, 3), clock(23, 50), cest),
                at(date(2026, 7, 4), clock(0, 35), cest), cest},
        DueCase{"Berlin Saturday given at UTC", at(date(2026, 7, 3), clock(22, 30), utc),
                at(date(2026, 7, 5), clock(10, 0), utc), utc}));

class FristenAperakGas : public ::testing::TestWithParam<DueCase> {};

TEST_P(FristenAperakGas, FolgeprozessIsNoonOfTheNextWerktag) {
  expect_due(aperak_gas_folgeprozess_due_at(GetParam().received), GetParam());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FristenAperakGas,
    ::testing::Values(
        DueCase{"before Christmas", at(date(2026, 12, 23), clock(10, 0), cet),
                at(date(2026, 12, 28), clock(11, 0), utc), utc},
        DueCase{"Friday", at(date(2026, 7, 3), clock(10, 0), cest), at(date(2026, 7, 6), clock(10, 0), utc), utc},
        DueCase{"late Sunday at UTC is Monday in Berlin", at(date(2026, 7, 5), clock(22, 0), utc),
                at(date(2026, 7, 7), clock(10, 0), utc), utc},
        DueCase{"Sunday evening", at(date(2026, 7, 5), clock(21, 0), utc),
                at(date(2026, 7, 6), clock(10, 0), utc), utc}));

class FristenWerktagDeadline : public ::testing::TestWithParam<std::pair<DueCase, std::uint32_t>> {};

TEST_P(FristenWerktagDeadline, EndOfNthWerktag) {
  const auto& [expected, n] = GetParam();
  expect_due(deadline_at_werktage(expected.received, n), expected);
  expect_due(end_of_werktag_after(expected.received, n), expected);
  if (n == 3) expect_due(aperak_gas_initialprozess_due_at(expected.received), expected);
}

const ClockTime last_nanosecond = clock(23, 59, 59, 999'999'999);

INSTANTIATE_TEST_SUITE_P(
    Cases, FristenWerktagDeadline,
    ::testing::Values(
        std::pair{DueCase{"n = 0 on a Sunday", at(date(2026, 7, 5), clock(10, 0), cest),
                          at(date(2026, 7, 5), last_nanosecond, cest), cest},
                  0u},
        std::pair{DueCase{"Christmas is skipped", at(date(2026, 12, 23), clock(10, 0), cet),
                          at(date(2026, 12, 28), last_nanosecond, cet), cet},
                  1u},
        std::pair{DueCase{"23:30 UTC on a Monday in winter is Tuesday in Berlin",
                          at(date(2026, 1, 12), clock(23, 30), utc),
                          at(date(2026, 1, 14), last_nanosecond, cet), cet},
                  1u},
        std::pair{DueCase{"three Werktage across the spring change", at(date(2026, 3, 26), clock(10, 0), cet),
                          at(date(2026, 3, 31), last_nanosecond, cest), cest},
                  3u}));

TEST(FristenWerktagAt, ZeroBehavesAsOne) {
  const Instant received = at(date(2026, 7, 6), clock(10, 0), cest);
  EXPECT_EQ(nth_werktag_at(received, 0, clock(11, 0)), at(date(2026, 7, 7), clock(11, 0), cest));
  EXPECT_EQ(nth_werktag_at(received, 1, clock(11, 0)), at(date(2026, 7, 7), clock(11, 0), cest));
  EXPECT_EQ(nth_werktag_at(received, 2, clock(11, 0)), at(date(2026, 7, 8), clock(11, 0), cest));
}

TEST(FristenWerktagAt, CarriesTheOffsetOfTheDueDay) {
  const auto due = nth_werktag_at(at(date(2026, 3, 27), clock(10, 0), cet), 1, clock(11, 0));
  ASSERT_TRUE(due.has_value());
  EXPECT_EQ(*due, at(date(2026, 3, 30), clock(9, 0), utc));
  EXPECT_EQ(due->offset_seconds(), cest);
}

TEST(FristenWerktagAt, PastYear9999IsAnError) {
  const Instant received = at(date(9999, 12, 30), clock(10, 0), cet);
  EXPECT_EQ(nth_werktag_at(received, 1, clock(11, 0)), std::unexpected(out_of_range_error));
  EXPECT_EQ(deadline_at_werktage(received, 1), std::unexpected(out_of_range_error));
  EXPECT_EQ(aperak_gas_folgeprozess_due_at(received), std::unexpected(out_of_range_error));
  EXPECT_EQ(aperak_gas_initialprozess_due_at(received), std::unexpected(out_of_range_error));
  EXPECT_TRUE(deadline_at_werktage(received, 0).has_value());
}

}  // namespace
}  // namespace zelk_fristen

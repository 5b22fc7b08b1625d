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

TEST(FristenContrl, DueTimeByAnlassAndFormatumstellungWindow) {
  const std::pair<DueCase, ContrlAnlass> cases[] = {
      {{"regelfall moved to the end of the spring window", at(date(2026, 3, 31), clock(14, 0), cest),
        at(date(2026, 4, 1), clock(22, 0), utc), utc}, ContrlAnlass::regelfall},
      {{"regelfall just before the spring window", at(date(2026, 3, 31), clock(11, 59), cest),
        at(date(2026, 3, 31), clock(17, 59), cest), cest}, ContrlAnlass::regelfall},
      {{"due exactly at the autumn window start", at(date(2026, 9, 30), clock(12, 0), cest),
        at(date(2026, 10, 1), clock(22, 0), utc), utc}, ContrlAnlass::regelfall},
      {{"due exactly at the autumn window end stays", at(date(2026, 10, 1), clock(18, 0), cest),
        at(date(2026, 10, 2), clock(0, 0), cest), cest}, ContrlAnlass::regelfall},
      {{"window bounds are Berlin time, received shown at UTC", at(date(2026, 3, 31), clock(15, 50), utc),
        at(date(2026, 4, 1), clock(22, 0), utc), utc}, ContrlAnlass::regelfall},
      {{"strom late Friday, due on Saturday: 15 minutes", at(date(2026, 7, 3), clock(23, 50), cest),
        at(date(2026, 7, 4), clock(0, 5), cest), cest}, ContrlAnlass::strom_utilmd_orders},
      {{"strom on a Berlin Saturday that is Friday in UTC: 6 hours", at(date(2026, 7, 3), clock(22, 10), utc),
        at(date(2026, 7, 4), clock(4, 10), utc), utc}, ContrlAnlass::strom_utilmd_orders},
      {{"gas alocat: 45 minutes", at(date(2026, 1, 14), clock(9, 30), cet),
        at(date(2026, 1, 14), clock(10, 15), cet), cet}, ContrlAnlass::gas_alocat},
      {{"due on the last day in UTC, after the last Berlin day: in no window",
        at(date(9999, 12, 31), clock(17, 30), utc), at(date(9999, 12, 31), clock(23, 30), utc), utc},
       ContrlAnlass::regelfall}};
  for (const auto& [due, anlass] : cases) expect_due(contrl_due_at(due.received, anlass), due);
  EXPECT_EQ(contrl_due_at(at(date(9999, 12, 31), clock(20, 0), utc), ContrlAnlass::regelfall),
            std::unexpected(out_of_range_error));

  EXPECT_EQ(contrl_anlass_from_name(contrl_anlass_name(ContrlAnlass::gas_alocat)), ContrlAnlass::gas_alocat);
  EXPECT_EQ(contrl_anlass_from_name("Regelfall"), std::nullopt);
}

TEST(FristenAperak, StromIsNoonSundayAfterABerlinSaturdayAndGasNoonOfTheNextWerktag) {
  const DueCase strom[] = {
      {"Saturday in summer", at(date(2026, 7, 4), clock(23, 50), cest), at(date(2026, 7, 5), clock(10, 0), utc), utc},
      {"Saturday before the spring change", at(date(2026, 3, 28), clock(9, 0), cet),
       at(date(2026, 3, 29), clock(10, 0), utc), utc},
      {"Friday late runs past midnight", at(date(2026, 7, 3), clock(23, 50), cest),
       at(date(2026, 7, 4), clock(0, 35), cest), cest},
      {"Berlin Saturday given at UTC", at(date(2026, 7, 3), clock(22, 30), utc), at(date(2026, 7, 5), clock(10, 0), utc), utc},
      {"last Friday of the calendar", at(date(9999, 12, 31), clock(22, 30), utc),
       at(date(9999, 12, 31), clock(23, 15), utc), utc},
      {"Saturday in local mean time", at(date(1850, 3, 16), clock(9, 0), utc),
       at(date(1850, 3, 17), clock(11, 6, 32), utc), utc}};
  for (const DueCase& due : strom) expect_due(aperak_strom_due_at(due.received), due);
  // The last Friday evening is a Saturday in Berlin, whose Sunday lies beyond the calendar.
  EXPECT_EQ(aperak_strom_due_at(at(date(9999, 12, 31), clock(23, 0), utc)), std::unexpected(out_of_range_error));
  const DueCase gas[] = {
      {"before Christmas", at(date(2026, 12, 23), clock(10, 0), cet), at(date(2026, 12, 28), clock(11, 0), utc), utc},
      {"late Sunday at UTC is Monday in Berlin", at(date(2026, 7, 5), clock(22, 0), utc),
       at(date(2026, 7, 7), clock(10, 0), utc), utc}};
  for (const DueCase& due : gas) expect_due(aperak_gas_folgeprozess_due_at(due.received), due);
}

// Callers show a moved due time in Berlin time: it comes at the Berlin offset, an unmoved one at the
// receipt's, even when both are UTC.
TEST(FristenDueTime, TellsAMovedDueTimeFromOneCountedFromReceipt) {
  const struct {
    const char* what;
    std::expected<DueTime, FristError> due;
    Instant expected;
    std::int32_t expected_offset;
    bool moved;
  } cases[] = {
      {"contrl inside the spring window", contrl_due(at(date(2026, 3, 31), clock(12, 0), utc), ContrlAnlass::regelfall),
       at(date(2026, 4, 2), clock(0, 0), cest), cest, true},
      {"contrl outside a window", contrl_due(at(date(2026, 3, 10), clock(12, 0), utc), ContrlAnlass::regelfall),
       at(date(2026, 3, 10), clock(18, 0), utc), utc, false},
      {"aperak strom on a Saturday", aperak_strom_due(at(date(2026, 1, 10), clock(9, 0), utc)),
       at(date(2026, 1, 11), clock(12, 0), cet), cet, true},
      {"aperak strom on a Friday", aperak_strom_due(at(date(2026, 1, 9), clock(9, 0), utc)),
       at(date(2026, 1, 9), clock(9, 45), utc), utc, false}};
  for (const auto& c : cases) {
    ASSERT_TRUE(c.due.has_value()) << c.what;
    EXPECT_EQ(c.due->at, c.expected) << c.what;
    EXPECT_EQ(c.due->at.offset_seconds(), c.expected_offset) << c.what;
    EXPECT_EQ(c.due->moved, c.moved) << c.what;
  }
}

TEST(FristenWerktagDeadline, EndOfNthWerktagAfterTheBerlinDayOfReceipt) {
  const ClockTime last_nanosecond = clock(23, 59, 59, 999'999'999);
  const std::pair<DueCase, std::uint32_t> cases[] = {
      {{"n = 0 on a Sunday", at(date(2026, 7, 5), clock(10, 0), cest), at(date(2026, 7, 5), last_nanosecond, cest), cest}, 0},
      {{"Christmas is skipped", at(date(2026, 12, 23), clock(10, 0), cet), at(date(2026, 12, 28), last_nanosecond, cet), cet}, 1},
      {{"23:30 UTC on a Monday in winter is Tuesday in Berlin", at(date(2026, 1, 12), clock(23, 30), utc),
        at(date(2026, 1, 14), last_nanosecond, cet), cet}, 1},
      {{"three Werktage across the spring change", at(date(2026, 3, 26), clock(10, 0), cet),
        at(date(2026, 3, 31), last_nanosecond, cest), cest}, 3}};
  for (const auto& [due, n] : cases) {
    expect_due(deadline_at_werktage(due.received, n), due);
    expect_due(end_of_werktag_after(due.received, n), due);
    if (n == 3) expect_due(aperak_gas_initialprozess_due_at(due.received), due);
  }
}

TEST(FristenWerktagAt, ZeroActsAsOneAndTheDueDayGivesTheOffset) {
  const Instant received = at(date(2026, 7, 6), clock(10, 0), cest);
  EXPECT_EQ(nth_werktag_at(received, 0, clock(11, 0)), at(date(2026, 7, 7), clock(11, 0), cest));
  EXPECT_EQ(nth_werktag_at(received, 2, clock(11, 0)), at(date(2026, 7, 8), clock(11, 0), cest));
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
  EXPECT_TRUE(deadline_at_werktage(received, 0).has_value());
}

}  // namespace
}  // namespace zelk_fristen

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <set>

#include "fristen_test_support.hpp"
#include "zelk/fristen/antwort.hpp"
#include "zelk/fristen/berlin_zone.hpp"
#include "zelk/fristen/calendar.hpp"

namespace zelk_fristen::antwort {
namespace {

using namespace zelk_fristen::test_support;

bool is_pid(std::uint32_t pid) { return pid >= 10000 && pid <= 99999; }

TEST(FristenObligationTable, RecordsAreWellFormedWithDistinctTriggers) {
  std::set<std::uint32_t> triggers;
  for (const AntwortObligation& record : answer_obligation_table()) {
    SCOPED_TRACE(record.trigger_pid);
    EXPECT_TRUE(triggers.insert(record.trigger_pid).second);
    EXPECT_THAT(std::string(record.ebd.value_or("E_0000")), ::testing::MatchesRegex("E_[0-9][0-9][0-9][0-9]"));
    EXPECT_FALSE(record.name.empty() || record.answered_by.empty() || record.source.empty());
    EXPECT_TRUE(is_pid(record.trigger_pid) && is_pid(record.bestaetigung_pid) && is_pid(record.ablehnung_pid));
    // Werktag shapes count at least one day, same-day shapes none; the "_at" shapes carry a clock.
    const FristShape::Kind kind = record.shape.kind();
    const bool same_day = kind == FristShape::Kind::same_day_at || kind == FristShape::Kind::same_day;
    const bool at_clock = kind == FristShape::Kind::werktag_at || kind == FristShape::Kind::same_day_at;
    EXPECT_EQ(record.shape.werktage() == 0, same_day);
    EXPECT_EQ(record.shape.clock().has_value(), at_clock);
  }
  EXPECT_EQ(triggers.size(), 65u);
}

TEST(FristenObligationLookup, FindsTriggersOnly) {
  const AntwortObligation* anmeldung = antwort_obligation(55001);
  ASSERT_NE(anmeldung, nullptr);
  EXPECT_EQ(anmeldung->ebd, "E_0622");
  EXPECT_EQ(anmeldung->answered_by, "NB");
  EXPECT_EQ(anmeldung->bestaetigung_pid, 55002u);
  EXPECT_EQ(anmeldung->ablehnung_pid, 55003u);
  EXPECT_EQ(anmeldung->shape, FristShape::werktag_at(1, clock(11, 0)));
  ASSERT_NE(antwort_obligation(17116), nullptr);
  EXPECT_EQ(antwort_obligation(17116)->ebd, std::nullopt);
  EXPECT_EQ(antwort_obligation(55002), nullptr);
  EXPECT_EQ(antwort_obligation(0), nullptr);
  EXPECT_EQ(obligation_family_name(ObligationFamily::geli_gas), "geli-gas");
  EXPECT_EQ(frist_shape_name(FristShape::end_of_werktag(2).kind()), "end_of_werktag");
}

struct ShapeCase {
  const char* what;
  FristShape shape;
  Instant received;
  Instant expected;
};

TEST(FristenShapeDueAt, DueTime) {
  const FristShape fifteen_hundred = FristShape::same_day_at(clock(15, 0));
  const ShapeCase cases[] = {
      {"werktag_at 1 at 11:00 from Monday", FristShape::werktag_at(1, clock(11, 0)),
       at(date(2026, 7, 6), clock(10, 0), cest), at(date(2026, 7, 7), clock(11, 0), cest)},
      {"same_day_at a nanosecond before", fifteen_hundred, at(date(2026, 7, 6), clock(14, 59, 59, 999'999'999), cest),
       at(date(2026, 7, 6), clock(15, 0), cest)},
      {"same_day_at exactly at the time rolls", fifteen_hundred, at(date(2026, 7, 6), clock(15, 0), cest),
       at(date(2026, 7, 7), clock(15, 0), cest)},
      {"same_day_at on Christmas Eve", fifteen_hundred, at(date(2026, 12, 24), clock(9, 0), cet),
       at(date(2026, 12, 28), clock(15, 0), cet)},
      {"same_day_at by the Berlin day, given at UTC", fifteen_hundred, at(date(2026, 7, 6), clock(12, 59), utc),
       at(date(2026, 7, 6), clock(15, 0), cest)},
      {"end_of_werktag 4", FristShape::end_of_werktag(4), at(date(2026, 7, 6), clock(10, 0), cest),
       at(date(2026, 7, 10), clock(23, 59, 59, 999'999'999), cest)},
      {"same_day on a Sunday", FristShape::same_day(), at(date(2026, 3, 29), clock(10, 0), cest),
       at(date(2026, 3, 29), clock(23, 59, 59, 999'999'999), cest)},
      // 15:00 of the day of receipt, in local mean time, has passed: only the next Werktag's counts.
      {"same_day_at past, the day of receipt in local mean time", fifteen_hundred,
       at(date(1893, 3, 30), clock(14, 30), utc), at(date(1893, 4, 4), clock(15, 0), cet)}};  // past Easter
  for (const ShapeCase& c : cases) {
    const auto due = c.shape.due_at(c.received);
    ASSERT_TRUE(due.has_value()) << c.what << ": " << message(due.error());
    EXPECT_EQ(*due, c.expected) << c.what;
    EXPECT_EQ(due->offset_seconds(), c.expected.offset_seconds()) << c.what;
  }
}

TEST(FristenShapeDueAt, ADueTimeInLocalMeanTimeIsAnError) {
  const auto due = FristShape::same_day_at(clock(15, 0)).due_at(at(date(1893, 3, 30), clock(13, 0), utc));
  ASSERT_FALSE(due.has_value());
  EXPECT_EQ(due.error().kind, FristError::Kind::unrepresentable_offset);
  EXPECT_EQ(due.error().date, date(1893, 3, 30));
}

TEST(FristenShapeDueAt, SixtyFirstWerktagAtMidnight) {
  const AntwortObligation* neuanlage = antwort_obligation(55600);
  ASSERT_NE(neuanlage, nullptr);
  const Instant received = at(date(2026, 1, 5), clock(10, 0), cet);
  const auto due = neuanlage->shape.due_at(received);
  ASSERT_TRUE(due.has_value());
  EXPECT_EQ(due->local_clock(), ClockTime{});
  int werktage = 0;
  for (std::chrono::sys_days day{date(2026, 1, 6)}; day <= std::chrono::sys_days{due->local_date()};
       day += std::chrono::days{1}) {
    werktage += is_werktag(std::chrono::year_month_day{day}) ? 1 : 0;
  }
  EXPECT_EQ(werktage, 61);
  EXPECT_TRUE(is_werktag(due->local_date()));
}

// Every record, for receipts around weekends and both clock changes: the due time exists, lies
// after the receipt, falls on a Werktag and is shown at the Berlin offset of that moment.
TEST(FristenShapeDueAt, EveryRecordGivesALaterBerlinWerktagDeadline) {
  const std::vector<Instant> receipts{
      at(date(2026, 3, 27), clock(16, 0), cet),  at(date(2026, 3, 28), clock(23, 30), utc),
      at(date(2026, 3, 29), clock(2, 30), utc),  at(date(2026, 10, 24), clock(12, 0), cest),
      at(date(2026, 10, 25), clock(1, 30), utc), at(date(2026, 12, 23), clock(15, 0), cet),
      at(date(2026, 7, 6), clock(0, 0), cest)};
  for (const AntwortObligation& record : answer_obligation_table()) {
    for (const Instant& received : receipts) {
      const auto due = record.shape.due_at(received);
      ASSERT_TRUE(due.has_value()) << record.trigger_pid << ": " << message(due.error());
      EXPECT_GT(*due, received) << record.trigger_pid;
      EXPECT_TRUE(is_werktag(due->local_date())) << record.trigger_pid;
      EXPECT_EQ(due->offset_seconds(), berlin_offset_at(due->utc_seconds())) << record.trigger_pid;
    }
  }
}

}  // namespace
}  // namespace zelk_fristen::antwort

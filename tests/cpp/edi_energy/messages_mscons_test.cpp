#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "edi_energy/messages/mscons.hpp"
#include "../edifact/parsed_segments.hpp"

namespace {

using namespace edi_energy::messages::segments;
using namespace edi_energy::messages::mscons;
using edifact_test::parsed;
using std::nullopt;

constexpr std::string_view HEADER =
    "UNH+M1+MSCONS:D:04B:UN:2.4c'BGM+7+DOC1+9'DTM+137:202604010000?+00:303'RFF+Z13:13002'DTM+171:1:102'"
    "NAD+MS+9900000000010::293'NAD+MR+9900000000003::293'";

MsconsMessage mscons(std::string_view text) {
  return MsconsMessage::from_parts(parsed(text), "M1", "2.4c", 13002);
}

TEST(MsconsTree, OneMeteringPointWithTwoQuantities) {
  const auto message = mscons(std::string(HEADER) +
                              "UNS+D'NAD+DP'LOC+172+DE00014545768S0000000000000003054'LIN+1'PIA+5+1-1?:1.29.0:SRW'"
                              "QTY+220:10.5:KWH'DTM+163:1:303'DTM+164:2:303'QTY+220:11:KWH'DTM+163:3:303'UNT+16+M1'");
  EXPECT_EQ(message.nad_ms->party_id, "9900000000010");
  EXPECT_EQ(message.nad_mr->party_id, "9900000000003");
  // Header DTMs only: the message date and the reference's date.
  EXPECT_EQ(message.dtms.size(), 2u);
  ASSERT_EQ(message.references.size(), 1u);
  EXPECT_EQ(message.references[0], (MsconsReference{{"Z13", "13002"}, {{"171", "1", "102"}}}));
  ASSERT_EQ(message.delivery_points.size(), 1u);
  const auto& point = message.delivery_points[0];
  EXPECT_EQ(point.nad.qualifier, "DP");
  ASSERT_EQ(point.time_series.size(), 1u);
  const auto& series = point.time_series[0];
  EXPECT_EQ(series.loc, (Loc{"172", "DE00014545768S0000000000000003054"}));
  ASSERT_EQ(series.line_items.size(), 1u);
  const auto& item = series.line_items[0];
  EXPECT_EQ(item.pia, (Pia{"5", "1-1:1.29.0", "SRW"}));
  ASSERT_EQ(item.quantities.size(), 2u);
  EXPECT_EQ(item.quantities[0].qty, (Qty{"220", "10.5", "KWH"}));
  EXPECT_EQ(item.quantities[0].dtms.size(), 2u);
  EXPECT_EQ(item.quantities[1].dtms, (std::vector<Dtm>{{"163", "3", "303"}}));
}

TEST(MsconsTree, WithoutUnsEverythingIsHeader) {
  const auto message = mscons("UNH+M1+MSCONS'NAD+MS+1'LOC+172+X'LIN+1'QTY+220:1'DTM+163:1:303'RFF+AGI:2'UNT+8+M1'");
  EXPECT_TRUE(message.delivery_points.empty());
  EXPECT_EQ(message.dtms.size(), 1u);
  EXPECT_EQ(message.references.size(), 1u);
  EXPECT_EQ(message.nad_ms->party_id, "1");
}

TEST(MsconsTree, TimeSeriesHeaderKeepsTheLastCciAndItsOwnRffsAndDtms) {
  const auto message = mscons(
      "UNH+M1+MSCONS'UNS+D'NAD+MS+1'LOC+172+A'CCI+Z01'RFF+MG:1'CCI+Z02'DTM+9:1:102'LIN+1'CCI+Z03'UNT+9+M1'");
  const auto& series = message.delivery_points.at(0).time_series.at(0);
  EXPECT_EQ(series.cci, (Cci{"Z02", nullopt, nullopt}));
  EXPECT_EQ(series.rffs, (std::vector<Rff>{{"MG", "1"}}));
  EXPECT_EQ(series.dtms.size(), 1u);
  // The CCI after the LIN is in no level.
  EXPECT_EQ(series.line_items.size(), 1u);
}

TEST(MsconsTree, PiaCountsOnlyDirectlyAfterItsLin) {
  const auto message = mscons(
      "UNH+M1+MSCONS'UNS+D'NAD+DP'LOC+172+A'LIN+1'QTY+220:1'PIA+5+1-1?:1.8.0'LIN+2'PIA++X'QTY+220:2'UNT+11+M1'");
  const auto& items = message.delivery_points.at(0).time_series.at(0).line_items;
  ASSERT_EQ(items.size(), 2u);
  EXPECT_EQ(items[0].pia, nullopt);
  ASSERT_EQ(items[0].quantities.size(), 1u);
  EXPECT_TRUE(items[0].quantities[0].dtms.empty());
  // An unreadable PIA right after the LIN is still consumed, and the QTY after it is kept.
  EXPECT_EQ(items[1].pia, nullopt);
  EXPECT_EQ(items[1].quantities.size(), 1u);
}

TEST(MsconsTree, OrphansArePassedOverAndEmptyLevelsAreKept) {
  const auto message = mscons(
      "UNH+M1+MSCONS'UNS+D'LIN+0'QTY+220:0'NAD+DP'LIN+1'LOC+172+A'LOC+172+B'LIN+2'DTM+163:9:303'"
      "QTY+220:5'STS+Z31++Z32'DTM+163:1:303'QTY++x'DTM+164:2:303'NAD+DP'LOC+Z16+C'LIN+3'QTY+220:6'");
  ASSERT_EQ(message.delivery_points.size(), 2u);
  const auto& first = message.delivery_points[0];
  ASSERT_EQ(first.time_series.size(), 2u);
  EXPECT_TRUE(first.time_series[0].line_items.empty());
  const auto& item = first.time_series[1].line_items.at(0);
  EXPECT_EQ(item.lin.line_number, "2");
  ASSERT_EQ(item.quantities.size(), 1u);
  // The DTM before the first QTY is passed over; the unreadable QTY ends the open quantity
  // and opens none, so the DTM after it is lost as well.
  EXPECT_EQ(item.quantities[0].dtms, (std::vector<Dtm>{{"163", "1", "303"}}));
  EXPECT_EQ(item.quantities[0].sts, (std::vector<Sts>{{"Z31", nullopt, "Z32"}}));
  // No UNT: the end closes every open level.
  const auto& last = message.delivery_points[1].time_series.at(0).line_items.at(0);
  EXPECT_EQ(last.quantities.at(0).qty.quantity, "6");
}

}  // namespace

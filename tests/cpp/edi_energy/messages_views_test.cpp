#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "edi_energy/messages/aperak.hpp"
#include "edi_energy/messages/contrl.hpp"
#include "edi_energy/messages/ordrsp.hpp"
#include "edi_energy/messages/partin.hpp"
#include "edi_energy/messages/plain.hpp"
#include "../edifact/parsed_segments.hpp"

namespace {

using namespace edi_energy::messages;
using namespace edi_energy::messages::segments;
using edi_energy::message_type::MessageType;
using edifact_test::parsed;
using std::nullopt;

template <class Message>
Message view_of(std::string_view text) {
  return Message::from_parts(parsed(text), "M1", "S2.1", 55001);
}

TEST(TypedViews, PlainViewWithoutHeaderSegmentsStillHoldsEverySegment) {
  const auto remadv = view_of<remadv::RemadvMessage>("UNH+M1+REMADV:D:05A:UN:2.9d'FTX+AAO'UNT+3+M1'");
  EXPECT_EQ(remadv.bgm, nullopt);
  EXPECT_TRUE(remadv.dtms.empty());
  EXPECT_EQ(remadv.nad_ms, nullopt);
  EXPECT_EQ(remadv.nad_mr, nullopt);
  EXPECT_EQ(remadv.core.segments.size(), 3u);
  EXPECT_EQ(remadv.core.message_type, MessageType::Remadv);
}

TEST(TypedViews, CommonFieldsSkipUnreadableBgmAndTakeDatesFromEveryGroup) {
  const auto orders = view_of<orders::OrdersMessage>(
      "UNH+M1+ORDERS:D:09B:UN:1.1a'BGM++X'BGM+Z10+DOC2'DTM+137:202601010000?+00:303'"
      "NAD+MR+9900000000003::293'NAD+MS+9900000000010::293'LIN+1'DTM+163:202602010000?+00:303'UNT+9+M1'");
  EXPECT_EQ(orders.bgm, (Bgm{"Z10", "DOC2", nullopt}));
  ASSERT_EQ(orders.dtms.size(), 2u);
  EXPECT_EQ(orders.dtms[1].qualifier, "163");
  EXPECT_EQ(orders.nad_ms->party_id, "9900000000010");
  EXPECT_EQ(orders.nad_mr->party_id, "9900000000003");
}

TEST(TypedViews, AperakErrorBlocksRunFromErcToTheNextErcOrUnt) {
  const auto aperak = view_of<aperak::AperakMessage>(
      "UNH+M1+APERAK:D:07B:UN:2.1i'BGM+313+DOC'FTX+AAO+++vorher'RFF+ACW:ORIG1'"
      "ERC+Z29'FTX+Z02+++Fehler eins'RFF+AGO:ID1'ERC+'FTX+Z02+++ohne Block'ERC+Z31'FTX+Z02+++Fehler zwei'"
      "UNT+12+M1'FTX+Z02+++danach'");
  EXPECT_EQ(aperak.acw, (Rff{"ACW", "ORIG1"}));
  ASSERT_EQ(aperak.errors.size(), 2u);
  // The unreadable ERC+ closes the first block without opening one; its FTX is in none.
  EXPECT_EQ(aperak.errors[0], (aperak::AperakError{{"Z29"}, {{"Z02", "Fehler eins"}}, {{"AGO", "ID1"}}}));
  EXPECT_EQ(aperak.errors[1], (aperak::AperakError{{"Z31"}, {{"Z02", "Fehler zwei"}}, {}}));
}

TEST(TypedViews, AperakTakesOnlyTheFirstAcwReference) {
  const auto aperak = view_of<aperak::AperakMessage>("UNH+M1+APERAK'RFF+ACW'RFF+ACW:LATER'UNT+4+M1'");
  EXPECT_EQ(aperak.acw, (Rff{"ACW", nullopt}));
}

TEST(TypedViews, ContrlResponsesCarrySegmentErrorsWithTheirUcdRuns) {
  const auto contrl = view_of<contrl::ContrlMessage>(
      "UNH+C1+CONTRL:D:3:UN:2.0b'UCI++S:500+R:500+7'UCI+IC1+S:500+R:500+4'"
      "UCM+M1+UTILMD:D:11A:UN:S2.1+4'UCS+5+12'UCD+13+2:1'UCD+12+3'UCS+9'FTX+X'UCD+14+1'"
      "UCM+M2+MSCONS:D:04B:UN:2.4c+7'UCM+M3+MSCONS'UNT+12+C1'");
  EXPECT_EQ(contrl.uci, (Uci{"IC1", "S", "R", "4"}));
  ASSERT_EQ(contrl.responses.size(), 2u);  // UCM+M3 lacks its action and opens nothing
  const auto& first = contrl.responses[0];
  EXPECT_EQ(first.ucm.message_ref, "M1");
  ASSERT_EQ(first.segment_errors.size(), 2u);
  EXPECT_EQ(first.segment_errors[0].ucs, (Ucs{"5", "12"}));
  EXPECT_EQ(first.segment_errors[0].element_errors,
            (std::vector<contrl::ContrlElementError>{{"13", "2", "1"}, {"12", "3", nullopt}}));
  // The UCD after FTX broke the run and belongs nowhere.
  EXPECT_TRUE(first.segment_errors[1].element_errors.empty());
  EXPECT_TRUE(contrl.responses[1].segment_errors.empty());
  EXPECT_EQ(contrl.responses[1].ucm.association_code, "2.4c");
}

TEST(TypedViews, ContrlNeverHasAPruefidentifikator) {
  const auto contrl = view_of<contrl::ContrlMessage>("UNH+C1+CONTRL:D:3:UN:2.0b'BGM+E01+55001'UNT+3+C1'");
  EXPECT_EQ(contrl.detect_pruefidentifikator().error().message(), "Pruefidentifikator not found in BGM segment");
}

TEST(TypedViews, OrdrspKeepsEveryReadableFtxAndOnlyTheFirstAjt) {
  const auto ordrsp = view_of<ordrsp::OrdrespMessage>(
      "UNH+M1+ORDRSP:D:10A:UN:1.0'FTX+ACB+++eins'AJT++1'FTX++++kaputt'AJT+Z01'FTX+Z17+++zwei'UNT+7+M1'");
  EXPECT_EQ(ordrsp.ftxs, (std::vector<Ftx>{{"ACB", "eins"}, {"Z17", "zwei"}}));
  EXPECT_EQ(ordrsp.ajt, nullopt);
  EXPECT_EQ(view_of<ordrsp::OrdrespMessage>("UNH+M1+ORDRSP'AJT+Z01+2'UNT+3+M1'").ajt, (Ajt{"Z01", "2"}));
}

TEST(TypedViews, PartinListsEveryComEmptyOnesIncluded) {
  const auto partin = view_of<partin::PartinMessage>(
      "UNH+M1+PARTIN:D:20B:UN:1.0e'NAD+MS+1'COM+a?@b.de:EM'CTA+IC'COM'NAD+Z01'COM+0301:TE'UNT+8+M1'");
  EXPECT_EQ(partin.coms, (std::vector<Com>{{"a@b.de", "EM"}, {}, {"0301", "TE"}}));
}

}  // namespace

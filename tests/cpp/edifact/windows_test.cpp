#include <gtest/gtest.h>

#include <optional>
#include <span>
#include <string>
#include <vector>

#include "edifact/de/deserialize.hpp"
#include "edifact/de/message_window.hpp"
#include "edifact/validator/unh.hpp"
#include "parsed_segments.hpp"

namespace {

using edifact::EdifactError;
using edifact::de::MessageWindow;
using edifact::de::MessageWindows;
using edifact::model::Segment;
using edifact_test::parsed;
using Text = std::optional<std::string_view>;

struct HeaderCase {
  std::string name;
  std::string segments;
  Text unh_type, unh_code;        // the first UNH anywhere in the list
  Text window_type, window_code;  // a UNH that leads the window, empty texts absent
  friend void PrintTo(const HeaderCase& c, std::ostream* out) { *out << c.name; }
};

class MessageHeader : public testing::TestWithParam<HeaderCase> {};

TEST_P(MessageHeader, TypeAndAssociationCodeComeFromTheUnh) {
  const std::vector<Segment> segments = parsed(GetParam().segments);
  EXPECT_EQ(edifact::validator::unh_message_type(segments), GetParam().unh_type);
  EXPECT_EQ(edifact::validator::unh_association_code(segments), GetParam().unh_code);
  const MessageWindow window = MessageWindow::from_segments(segments);
  EXPECT_EQ(window.message_type, GetParam().window_type);
  EXPECT_EQ(window.association_code, GetParam().window_code);
}

INSTANTIATE_TEST_SUITE_P(
    Headers, MessageHeader,
    testing::Values(
        HeaderCase{"Full", "UNH+1+UTILMD:D:11A:UN:S2.1'BGM+E01'UNT+3+1'", "UTILMD", "S2.1", "UTILMD", "S2.1"},
        HeaderCase{"NoAssociationCode", "UNH+1+UTILMD:D:11A:UN'", "UTILMD", {}, "UTILMD", {}},
        HeaderCase{"EmptyType", "UNH+1+:D:11A:UN:S2.1'", "", "S2.1", {}, "S2.1"},
        HeaderCase{"OnlyReference", "UNH+1'", {}, {}, {}, {}},
        HeaderCase{"FirstSegmentNotUnh", "BGM+E01'UNH+1+UTILMD'", "UTILMD", {}, {}, {}},
        HeaderCase{"FirstUnhOnly", "UNH+1'UNH+2+MSCONS:D:04B:UN:2.4c'", {}, {}, {}, {}},
        HeaderCase{"EscapedTextIsUnescaped", "UNH+1+UTI?+LMD:D:11A:UN:S2?:1'", "UTI+LMD", "S2:1", "UTI+LMD", "S2:1"},
        HeaderCase{"LaterRepetitionIgnored", "UNA:+.?*'UNH+1+UTILMD*X:D:11A:UN:S2.1'", "UTILMD", {}, "UTILMD", {}},
        HeaderCase{"NoSegments", "", {}, {}, {}, {}}),
    [](const testing::TestParamInfo<HeaderCase>& info) { return info.param.name; });

TEST(MessageHeader, WindowTextsStayValidWhenTheWindowMovesAndItsSourceIsGone) {
  MessageWindow moved = MessageWindow::from_segments(parsed("UNH+1+UTI?+LMD:D:11A:UN:S2.1'UNT+2+1'"));
  MessageWindow copy = moved;
  moved = MessageWindow{};
  EXPECT_EQ(copy.message_type, "UTI+LMD");
  EXPECT_EQ(copy.association_code, "S2.1");
}

// One line per yielded item: the tags of a window, or the error text.
std::vector<std::string> cut(const std::vector<Segment>& segments) {
  std::vector<std::string> items;
  MessageWindows windows(segments);
  while (auto item = windows.next()) {
    if (!*item) {
      items.push_back(item->error().message());
      continue;
    }
    std::string tags;
    for (const Segment& segment : (*item)->segments) tags += (tags.empty() ? "" : " ") + std::string(segment.tag());
    items.push_back(tags);
  }
  return items;
}

struct CutCase {
  std::string name;
  std::string segments;
  std::vector<std::string> items;
  friend void PrintTo(const CutCase& c, std::ostream* out) { *out << c.name; }
};

class WindowCutting : public testing::TestWithParam<CutCase> {};

TEST_P(WindowCutting, YieldsWindowsThenStops) { EXPECT_EQ(cut(parsed(GetParam().segments)), GetParam().items); }

INSTANTIATE_TEST_SUITE_P(
    Interchanges, WindowCutting,
    testing::Values(
        CutCase{"TwoMessagesWithoutEnvelopeSegments",
                "UNB+UNOC:3+A+B+250101:1200+1'UNH+1+UTILMD'BGM+E01'UNT+3+1'UNH+2+UTILMD'BGM+E01'UNT+3+2'UNZ+2+1'",
                {"UNH BGM UNT", "UNH BGM UNT"}},
        CutCase{"StraySegmentsOutsideMessagesAreDropped",
                "UNG+X'BGM+E01'UNT+2+1'UNH+1+UTILMD'UNT+2+1'UNE+1+1'DTM+137'", {"UNH UNT"}},
        CutCase{"NestedUnhEndsIterationAfterEarlierWindows", "UNH+1+UTILMD'UNT+2+1'UNH+2+UTILMD'UNH+3+UTILMD'UNT+2+3'",
                {"UNH UNT", "segment UNH is not valid for message type ENVELOPE"}},
        CutCase{"UnterminatedMessageAtTheEnd", "UNB+UNOC:3'UNH+1+UTILMD'BGM+E01'",
                {"unexpected end of input at byte offset 32"}},
        CutCase{"NoMessages", "UNB+UNOC:3'UNZ+0+1'", {}}),
    [](const testing::TestParamInfo<CutCase>& info) { return info.param.name; });

TEST(WindowCutting, ErrorsCarryTheOffendingSegmentsSpanAndNothingFollows) {
  const std::vector<Segment> segments = parsed("UNH+1+UTILMD'BGM+E01'UNH+2+UTILMD'UNT+2+2'");
  MessageWindows windows(segments);
  auto first = windows.next();
  ASSERT_TRUE(first.has_value());
  ASSERT_FALSE(first->has_value());
  EXPECT_EQ(first->error().kind, EdifactError::Kind::SegmentNotAllowed);
  EXPECT_EQ(first->error().span, segments[2].span());
  EXPECT_FALSE(windows.next().has_value());
  EXPECT_FALSE(windows.next().has_value());
}

// A typed reader is a record with a static reader of the right signature.
struct Bgm {
  static edifact::Result<Bgm> edifact_deserialize(std::span<const Segment>) { return Bgm{}; }
};
struct NotAReader {
  static Bgm edifact_deserialize(std::span<const Segment>) { return {}; }
};
static_assert(edifact::de::EdifactDeserialize<Bgm>);
static_assert(!edifact::de::EdifactDeserialize<NotAReader>);

}  // namespace

#include <gtest/gtest.h>

#include <optional>
#include <span>
#include <string>
#include <vector>

#include "edifact/de/deserialize.hpp"
#include "edifact/de/message_window.hpp"
#include "edifact/parse.hpp"

namespace {

using edifact::EdifactError;
using edifact::de::MessageWindow;
using edifact::de::MessageWindows;
using edifact::model::Segment;

std::vector<Segment> owned_segments(std::string_view text) {
  std::vector<Segment> segments;
  auto reader = edifact::from_bytes_with_config(text, {});
  while (auto item = reader.next()) {
    if (!*item) {
      ADD_FAILURE() << "test input does not parse: " << item->error().message();
      break;
    }
    segments.push_back(std::move(**item).into_owned());
  }
  return segments;
}

struct HeaderCase {
  std::string name;
  std::string segments;
  std::optional<std::string> message_type;
  std::optional<std::string> association_code;
  friend void PrintTo(const HeaderCase& c, std::ostream* out) { *out << c.name; }
};

class WindowHeader : public testing::TestWithParam<HeaderCase> {};

TEST_P(WindowHeader, ReadsTypeAndCodeFromTheUnh) {
  const MessageWindow window = MessageWindow::from_segments(owned_segments(GetParam().segments));
  EXPECT_EQ(window.message_type, GetParam().message_type);
  EXPECT_EQ(window.association_code, GetParam().association_code);
}

INSTANTIATE_TEST_SUITE_P(
    Headers, WindowHeader,
    testing::Values(
        HeaderCase{"Full", "UNH+1+UTILMD:D:11A:UN:S2.1'BGM+E01'UNT+3+1'", "UTILMD", "S2.1"},
        HeaderCase{"NoAssociationCode", "UNH+1+UTILMD:D:11A:UN'", "UTILMD", std::nullopt},
        HeaderCase{"EmptyType", "UNH+1+:D:11A:UN:S2.1'", std::nullopt, "S2.1"},
        HeaderCase{"OnlyReference", "UNH+1'", std::nullopt, std::nullopt},
        HeaderCase{"FirstSegmentNotUnh", "BGM+E01'UNH+1+UTILMD'", std::nullopt,
                   std::nullopt},
        HeaderCase{"EscapedTextIsUnescaped", "UNH+1+UTI?+LMD:D:11A:UN:S2?:1'", "UTI+LMD",
                   "S2:1"}),
    [](const testing::TestParamInfo<HeaderCase>& info) { return info.param.name; });

TEST(WindowHeader, TextsStayValidWhenTheWindowMovesAndItsSourceIsGone) {
  MessageWindow moved = [] {
    std::vector<Segment> segments = owned_segments("UNH+1+UTI?+LMD:D:11A:UN:S2.1'UNT+2+1'");
    MessageWindow window = MessageWindow::from_segments(std::move(segments));
    return window;
  }();
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
    for (const Segment& segment : (*item)->segments) tags += std::string(segment.tag()) + " ";
    items.push_back(tags.substr(0, tags.size() - 1));
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

TEST_P(WindowCutting, YieldsWindowsThenStops) {
  EXPECT_EQ(cut(owned_segments(GetParam().segments)), GetParam().items);
}

INSTANTIATE_TEST_SUITE_P(
    Interchanges, WindowCutting,
    testing::Values(
        CutCase{"TwoMessagesWithoutEnvelopeSegments",
                "UNB+UNOC:3+A+B+250101:1200+1'UNH+1+UTILMD'BGM+E01'UNT+3+1'"
                "UNH+2+UTILMD'BGM+E01'UNT+3+2'UNZ+2+1'",
                {"UNH BGM UNT", "UNH BGM UNT"}},
        CutCase{"StraySegmentsOutsideMessagesAreDropped",
                "UNG+X'BGM+E01'UNT+2+1'UNH+1+UTILMD'UNT+2+1'UNE+1+1'DTM+137'",
                {"UNH UNT"}},
        CutCase{"NestedHeaderEndsIteration",
                "UNB+UNOC:3'UNH+1+UTILMD'BGM+E01'UNH+2+UTILMD'BGM+E01'UNT+3+2'UNZ+1+1'",
                {"segment UNH is not valid for message type ENVELOPE"}},
        CutCase{"WindowsBeforeAnErrorAreKept",
                "UNH+1+UTILMD'UNT+2+1'UNH+2+UTILMD'UNH+3+UTILMD'UNT+2+3'",
                {"UNH UNT", "segment UNH is not valid for message type ENVELOPE"}},
        CutCase{"UnterminatedMessageAtTheEnd", "UNB+UNOC:3'UNH+1+UTILMD'BGM+E01'",
                {"unexpected end of input at byte offset 32"}},
        CutCase{"NoMessages", "UNB+UNOC:3'UNZ+0+1'", {}}),
    [](const testing::TestParamInfo<CutCase>& info) { return info.param.name; });

TEST(WindowCutting, ErrorsCarryTheOffendingSegmentsSpanAndNothingFollows) {
  const std::vector<Segment> segments =
      owned_segments("UNH+1+UTILMD'BGM+E01'UNH+2+UTILMD'UNT+2+2'");
  MessageWindows windows(segments);
  auto first = windows.next();
  ASSERT_TRUE(first.has_value());
  ASSERT_FALSE(first->has_value());
  EXPECT_EQ(first->error().kind, EdifactError::Kind::SegmentNotAllowed);
  EXPECT_EQ(first->error().span, segments[2].span);
  EXPECT_FALSE(windows.next().has_value());
  EXPECT_FALSE(windows.next().has_value());
}

struct Bgm {
  std::string document_name;
  static edifact::Result<Bgm> edifact_deserialize(std::span<const Segment> segments) {
    for (const Segment& segment : segments) {
      if (segment.tag() != "BGM") continue;
      auto name = segment.required_component(0, 0);
      if (!name) return std::unexpected(std::move(name).error());
      return Bgm{std::string(*name)};
    }
    return std::unexpected(EdifactError::missing_segment("BGM", "message body"));
  }
};
struct NotAReader {};

static_assert(edifact::de::EdifactDeserialize<Bgm>);
static_assert(!edifact::de::EdifactDeserialize<NotAReader>);

}  // namespace

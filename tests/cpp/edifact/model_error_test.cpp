#include <gtest/gtest.h>

#include <limits>
#include <string>

#include "edifact/error.hpp"
#include "edifact/model/segment.hpp"
#include "edifact/model/segment_builder.hpp"

namespace {

using edifact::EdifactError;
using edifact::model::Segment;
using edifact::model::SegmentBuilder;
using edifact::model::Span;

Segment sample_segment(const std::string& buffer) {
  // "LOC+172+DE1:Z" as if parsed from `buffer`, with texts and tag borrowed from it.
  std::string_view input(buffer);
  return SegmentBuilder(input.substr(0, 3), {0, 14}, {0, 3})
      .element({4, 7})
      .component(input.substr(4, 3), {4, 7})
      .element({8, 13})
      .component(input.substr(8, 3), {8, 11})
      .component(input.substr(12, 1), {12, 13})
      .build();
}

TEST(Segment, RequiredComponentReportsMissingElementsAndEmptyComponents) {
  const std::string buffer = "LOC+172+DE1:Z'";
  const Segment segment = sample_segment(buffer);
  EXPECT_EQ(segment.required_component(1, 1).value(), "Z");
  EXPECT_EQ(segment.required_component(2, 0).error().message(), "missing required element 2 in segment LOC");
  EXPECT_EQ(segment.required_component(0, 1).error().message(),
            "missing required component 1 in element 0 of segment LOC");

  const Segment empty_value = Segment::from_texts("LOC", {{""}});
  EXPECT_EQ(empty_value.required_component(0, 0).error().kind, EdifactError::Kind::MissingComponent);

  // Only the first repetition counts.
  const Segment repeated =
      SegmentBuilder("LOC").element().component("172").repetition().component("X").component("Y").build();
  EXPECT_EQ(repeated.required_component(0, 1).error().kind, EdifactError::Kind::MissingComponent);

  const Segment bare = SegmentBuilder("UNS", {0, 4}, {0, 3}).build();
  EXPECT_EQ(bare.required_component(0, 0).error().kind, EdifactError::Kind::MissingElement);
}

TEST(Segment, OffsetShiftsEverySpanAndSaturates) {
  const std::string buffer = "LOC+172+DE1:Z'";
  Segment shifted = sample_segment(buffer).offset(100);
  EXPECT_EQ(shifted.span(), (Span{100, 114}));
  EXPECT_EQ(shifted.tag_span(), (Span{100, 103}));
  EXPECT_EQ(shifted.elements()[1].span(), (Span{108, 113}));
  EXPECT_EQ(shifted.elements()[1].components()[1].span, (Span{112, 113}));

  constexpr auto max = std::numeric_limits<std::size_t>::max();
  Segment saturated = sample_segment(buffer).offset(max - 5);
  EXPECT_EQ(saturated.span(), (Span{max - 5, max}));
  EXPECT_EQ(saturated.elements()[1].components()[1].span, (Span{max, max}));
}

TEST(Segment, IntoOwnedOutlivesItsBufferAndCompares) {
  auto buffer = std::make_unique<std::string>("LOC+172+DE1:Z'");
  Segment original = sample_segment(*buffer);
  Segment owned = Segment(original).into_owned();
  EXPECT_EQ(owned, original);
  Segment copy = owned;  // copies share the immutable storage
  buffer.reset();
  EXPECT_EQ(copy.tag(), "LOC");
  EXPECT_EQ(copy.elements()[1].components()[0].text, "DE1");
  EXPECT_EQ(owned.elements()[0].components()[0].text, "172");
}

struct MessageCase {
  EdifactError error;
  std::string text;
};

class ErrorMessage : public testing::TestWithParam<MessageCase> {};

TEST_P(ErrorMessage, RendersTheFixedText) { EXPECT_EQ(GetParam().error.message(), GetParam().text); }

INSTANTIATE_TEST_SUITE_P(
    Texts, ErrorMessage,
    testing::Values(
        MessageCase{EdifactError::invalid_delimiter(0x07, 12), "invalid delimiter byte 0x07 at offset 12"},
        MessageCase{EdifactError::invalid_delimiter(175, 0), "invalid delimiter byte 0xAF at offset 0"},
        MessageCase{EdifactError::invalid_segment_tag("U\"\\"), "invalid segment tag \"U\\\"\\\\\""},
        MessageCase{EdifactError::character_not_in_repertoire(U'é', 7, "UNOA"),
                    "character 'é' at offset 7 is not in the UNOA character repertoire"},
        MessageCase{EdifactError::character_not_in_repertoire(U'\x01', 3, "UNOB"),
                    "character '\\u{1}' at offset 3 is not in the UNOB character repertoire"},
        MessageCase{EdifactError::duplicate_reference("UNH", "1", {120, 160}),
                    "duplicate UNH reference '1' at bytes 120..160"},
        MessageCase{EdifactError::not_suppressed("QTY", 1, 1, edifact::error::SuppressionKind::TrailingSpaces),
                    "segment QTY element 1 component 1: trailing spaces are not suppressed"},
        MessageCase{EdifactError::io("broken pipe"), "broken pipe"},
        MessageCase{EdifactError::validation_failed(3, nullptr), "validation failed with 3 error(s)"},
        MessageCase{EdifactError::segment_count_mismatch("M1", 5, 4, {}),
                    "segment count mismatch in message M1: UNT declared 5, found 4"},
        MessageCase{EdifactError::limit_exceeded("max_segments", 10000),
                    "input exceeded the configured max_segments limit of 10000"},
        MessageCase{EdifactError::invalid_representation("DTM", 0, 1, "20x", "n..35"),
                    "segment DTM element 0 component 1: \"20x\" is not n..35"},
        MessageCase{EdifactError::incompatible_release_scopes("S2.1", "G1.0"),
                    "incompatible release scopes: cannot compose \"S2.1\" with \"G1.0\""},
        MessageCase{EdifactError::element_count("BGM", 5, 1, 4), "segment BGM has 5 elements, expected between 1 and 4"},
        MessageCase{EdifactError::component_count("NAD", 2, 3, 2), "segment NAD element 2 has 3 components, expected 2"},
        MessageCase{EdifactError::layout_mismatch("LOC", "NAD"), "segment layout is for LOC, but the segment is NAD"}));

}  // namespace

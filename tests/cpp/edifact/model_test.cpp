#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "edifact/model/owned_element.hpp"
#include "edifact/model/segment.hpp"
#include "edifact/model/segment_builder.hpp"
#include "edifact/parse/from_bytes.hpp"
#include "edifact/write/writer.hpp"
#include "support/internal_fault.hpp"

namespace {

using edifact::model::Component;
using edifact::model::ComponentList;
using edifact::model::Element;
using edifact::model::OwnedElement;
using edifact::model::Segment;
using edifact::model::SegmentBuilder;
using edifact::model::Span;

// "TAG+a@4:b*c" and so on: structure, texts and the start of every span.
std::string render(const Segment& segment) {
  std::string text = std::string(segment.tag()) + "@" + std::to_string(segment.span().start) + ".." +
                     std::to_string(segment.span().end);
  const auto list = [&](ComponentList components) {
    for (std::size_t index = 0; index < components.size(); ++index) {
      if (index > 0) text += ':';
      text += std::string(components[index].text) + "@" + std::to_string(components[index].span.start);
    }
  };
  for (const Element element : segment.elements()) {
    text += "+[" + std::to_string(element.span().start) + ".." + std::to_string(element.span().end) + "]";
    list(element.components());
    for (const ComponentList repetition : element.repetitions()) {
      text += '*';
      list(repetition);
    }
  }
  return text;
}

bool lies_in(std::string_view text, const std::string& buffer) {
  const std::less_equal<const char*> not_after;
  return not_after(buffer.data(), text.data()) && not_after(text.data() + text.size(), buffer.data() + buffer.size());
}

// All segments of `input`, borrowing from it.
std::vector<Segment> parse(std::string_view input) {
  std::vector<Segment> segments;
  auto iterator = edifact::from_bytes_with_config(input, {});
  while (auto item = iterator.next()) segments.push_back(std::move(item->value()));
  return segments;
}

// Inputs in every shape a segment takes; all with a UNA declaring "*" as repetition separator.
const std::vector<std::string> shapes = {
    "UNA:+.?*'UNS'",
    "UNA:+.?*'LOC+172+DE1:Z'",
    "UNA:+.?*'FTX+ACB++a?'b:c??d:e?*f+'",
    "UNA:+.?*'RFF+a:b*c:d*e+f*g'",
    "UNA:+.?*'DTM+:+::'",
};

class SegmentShapes : public testing::TestWithParam<std::string> {};

// A segment rebuilt from itself through the builder, moved to a document of its own, or
// shifted there and back, is the same segment: the three kinds of document agree.
TEST_P(SegmentShapes, SurviveEveryKindOfDocument) {
  const std::vector<Segment> parsed = parse(GetParam());
  ASSERT_EQ(parsed.size(), 1u);
  const Segment& segment = parsed[0];
  EXPECT_EQ(SegmentBuilder(segment).build(), segment);
  EXPECT_EQ(render(SegmentBuilder(segment).build()), render(segment));
  EXPECT_EQ(Segment(segment).into_owned(), segment);
  EXPECT_EQ(render(Segment(segment).offset(1000)), render(SegmentBuilder(segment).build().offset(1000)));
  for (std::size_t index = 0; index < segment.elements().size(); ++index) {
    EXPECT_EQ(segment.with_element(index, segment.elements()[index].into_owned()), segment) << index;
  }
}

INSTANTIATE_TEST_SUITE_P(Parsed, SegmentShapes, testing::ValuesIn(shapes));

TEST(Segment, ReadsStructureTextsAndSpansOfAParse) {
  const std::string input = "UNA:+.?*'FTX+ACB++a?'b:c??d:e?*f*g+'\r\nUNS'";
  const std::vector<Segment> segments = parse(input);
  ASSERT_EQ(segments.size(), 2u);
  EXPECT_EQ(render(segments[0]), "FTX@9..36+[13..16]ACB@13+[17..17]@17+[18..34]a'b@18:c?d@23:e*f@28*g@33+[35..35]@35");
  EXPECT_EQ(render(segments[1]), "UNS@38..42");
  EXPECT_TRUE(segments[1].elements().empty());
  EXPECT_EQ(segments[0].elements()[2].repetitions().size(), 1u);
  // Only texts with release characters are copies.
  EXPECT_FALSE(lies_in(segments[0].elements()[2].components()[0].text, input));
  EXPECT_TRUE(lies_in(segments[0].elements()[0].components()[0].text, input));
}

TEST(Segment, CopiesKeepTheirDocumentAliveAndIntoOwnedLeavesTheBuffer) {
  auto buffer = std::make_unique<std::string>("LOC+172+DE1:Z?''RFF+Z13:17103'UNT+3+1'");
  std::vector<Segment> segments = parse(*buffer);
  ASSERT_EQ(segments.size(), 3u);
  const Segment copy = segments[1];
  Segment owned = Segment(segments[0]).into_owned();
  segments.clear();
  EXPECT_EQ(copy.elements()[0].components()[1].text, "17103");
  EXPECT_FALSE(lies_in(owned.tag(), *buffer));
  EXPECT_FALSE(lies_in(owned.elements()[1].components()[0].text, *buffer));
  buffer.reset();
  EXPECT_EQ(render(owned), "LOC@0..16+[4..7]172@4+[8..15]DE1@8:Z'@12");
  // Owned already: kept, not copied again.
  const std::string_view text = owned.elements()[0].components()[0].text;
  const Segment again = Segment(owned).into_owned();
  EXPECT_EQ(again.elements()[0].components()[0].text.data(), text.data());
}

TEST(Segment, OffsetMovesOnlyTheSegmentItIsGiven) {
  const std::string input = "LOC+172'RFF+Z13'";
  const std::vector<Segment> segments = parse(input);
  const Segment shifted = Segment(segments[0]).offset(100);
  EXPECT_EQ(render(shifted), "LOC@100..108+[104..107]172@104");
  EXPECT_EQ(render(segments[0]), "LOC@0..8+[4..7]172@4");
  EXPECT_EQ(render(segments[1]), "RFF@8..16+[12..15]Z13@12");
}

TEST(Segment, WithElementReplacesOneElementAndLeavesTheOriginal) {
  const std::string input = "UNT+99+M1'";
  const Segment unt = parse(input).at(0);
  const Segment rewritten = unt.with_element(0, OwnedElement{"4"});
  EXPECT_EQ(render(rewritten), "UNT@0..10+[0..0]4@0+[7..9]M1@7");
  EXPECT_EQ(render(unt), "UNT@0..10+[4..6]99@4+[7..9]M1@7");
  // Past the end: the elements between are empty data elements.
  const Segment longer = unt.with_element(3, OwnedElement{"x", "y"});
  ASSERT_EQ(longer.elements().size(), 4u);
  EXPECT_TRUE(longer.elements()[2].components().empty());
  EXPECT_EQ(edifact::segments_to_bytes(std::vector{longer}).value(), "UNT+99+M1++x:y'");
}

// Built elements: the writer's view of them is the test of their structure.
struct BuiltCase {
  std::string name;
  Segment segment;
  std::string written;
};

class BuiltSegments : public testing::TestWithParam<BuiltCase> {};

TEST_P(BuiltSegments, WriteAsBuilt) {
  std::string bytes;
  edifact::writer::Writer<edifact::writer::BorrowedSink> writer(
      std::ref(bytes), edifact::tokenizer::ServiceStringAdvice::SYNTAX_VERSION_4, std::nullopt);
  ASSERT_TRUE(writer.write_segment(GetParam().segment));
  EXPECT_EQ(bytes, GetParam().written);
}

INSTANTIATE_TEST_SUITE_P(
    Builders, BuiltSegments,
    testing::Values(
        BuiltCase{"Bare", SegmentBuilder("UNS").build(), "UNS'"},
        BuiltCase{"EmptyElement", Segment::from_texts("DTM", {{}, {"a"}, {}}), "DTM++a+'"},
        BuiltCase{"EmptyComponent", Segment::from_texts("DTM", {{""}, {"", ""}}), "DTM++:'"},
        BuiltCase{"Delimiters", Segment::from_texts("FTX", {{"a'b+c", "d:e*f?g"}}), "FTX+a?'b?+c:d?:e?*f??g'"},
        // Every byte released: the most a segment can take.
        BuiltCase{"OnlyDelimiters", Segment::from_texts("FTX", {{"''", "??"}, {}, {"+:*"}}), "FTX+?'?':????++?+?:?*'"},
        BuiltCase{"Repetitions",
                  SegmentBuilder("RFF").element().component("a").repetition().component("b").component("c").build(),
                  "RFF+a*b:c'"},
        BuiltCase{"RepetitionFirstEmpty", SegmentBuilder("RFF").element(OwnedElement().repetition().component("b")).build(),
                  "RFF+*b'"},
        BuiltCase{"AppendedToSeed",
                  SegmentBuilder(Segment::from_texts("NAD", {{"MS"}})).element(OwnedElement{"9900", "", "293"}).build(),
                  "NAD+MS+9900::293'"}),
    [](const testing::TestParamInfo<BuiltCase>& info) { return info.param.name; });

TEST(SegmentBuilder, RefusesValuesBeforeAnyElement) {
  EXPECT_THROW(SegmentBuilder("RFF").component("x"), support::InternalFault);
  EXPECT_THROW(SegmentBuilder("RFF").repetition(), support::InternalFault);
}

TEST(Segment, DefaultIsEmpty) {
  const Segment empty;
  EXPECT_EQ(empty.tag(), "");
  EXPECT_TRUE(empty.elements().empty());
  EXPECT_EQ(empty.span(), Span{});
  EXPECT_EQ(empty, Segment());
  Segment moved = SegmentBuilder("RFF").element().component("a").build();
  const Segment taken = std::move(moved);
  EXPECT_EQ(taken.tag(), "RFF");
}

struct DifferenceCase {
  std::string name;
  Segment other;
};

class SegmentDifferences : public testing::TestWithParam<DifferenceCase> {};

TEST_P(SegmentDifferences, AreNotEqual) {
  const Segment base = SegmentBuilder("RFF").element().component("a").component("b").build();
  EXPECT_NE(base, GetParam().other);
  EXPECT_NE(GetParam().other, base);
}

INSTANTIATE_TEST_SUITE_P(
    Segments, SegmentDifferences,
    testing::Values(
        DifferenceCase{"Tag", SegmentBuilder("RFX").element().component("a").component("b").build()},
        DifferenceCase{"Text", SegmentBuilder("RFF").element().component("a").component("c").build()},
        DifferenceCase{"Repetition", SegmentBuilder("RFF").element().component("a").repetition().component("b").build()},
        DifferenceCase{"ElementSplit", SegmentBuilder("RFF").element().component("a").element().component("b").build()},
        DifferenceCase{"NoComponents", SegmentBuilder("RFF").element().build()},
        DifferenceCase{"ComponentSpan", SegmentBuilder("RFF").element().component("a").component("b", {1, 2}).build()},
        DifferenceCase{"ElementSpan", SegmentBuilder("RFF").element({0, 1}).component("a").component("b").build()},
        DifferenceCase{"SegmentSpan", SegmentBuilder("RFF", {0, 1}).element().component("a").component("b").build()}),
    [](const testing::TestParamInfo<DifferenceCase>& info) { return info.param.name; });

}  // namespace

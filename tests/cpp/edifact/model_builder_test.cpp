#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "edifact/model/segment.hpp"
#include "edifact/model/segment_builder.hpp"
#include "support/internal_fault.hpp"

namespace {

using edifact::model::Component;
using edifact::model::ComponentList;
using edifact::model::Element;
using edifact::model::Segment;
using edifact::model::SegmentBuilder;
using edifact::model::Span;

// "TAG+a:b*c+d": the structure and texts of a segment, written with fixed separators.
std::string render(const Segment& segment) {
  std::string text(segment.tag());
  const auto list = [&](ComponentList components) {
    for (std::size_t index = 0; index < components.size(); ++index) {
      if (index > 0) text += ':';
      text += components[index].text;
    }
  };
  for (const Element& element : segment.elements) {
    text += '+';
    list(element.components);
    for (ComponentList repetition : element.repetitions) {
      text += '*';
      list(repetition);
    }
  }
  return text;
}

bool lies_in(std::string_view text, const std::string& buffer) {
  const std::less_equal<const char*> not_after;
  return not_after(buffer.data(), text.data()) &&
         not_after(text.data() + text.size(), buffer.data() + buffer.size());
}

// Every component text of a segment, in order.
std::vector<std::string_view> texts_of(const Segment& segment) {
  std::vector<std::string_view> texts;
  for (const Element& element : segment.elements) {
    for (const Component& component : element.components) texts.push_back(component.text);
    for (ComponentList repetition : element.repetitions) {
      for (const Component& component : repetition) texts.push_back(component.text);
    }
  }
  return texts;
}

// One step of a builder script: 'e' opens an element, 'r' a repetition, 'c' adds a borrowed
// component and 'o' one the segment copies.
struct Step {
  char kind;
  std::string_view text = {};
};

struct ShapeCase {
  std::string name;
  std::vector<Step> steps;
  std::string rendered;
};

class BuilderShapes : public testing::TestWithParam<ShapeCase> {};

TEST_P(BuilderShapes, KeepStructureAndTextsInBothBuilds) {
  std::string source = "abcdefghijklmnop";
  SegmentBuilder builder("RFF");
  std::size_t position = 0;
  for (const Step& step : GetParam().steps) {
    if (step.kind == 'e') builder.element();
    if (step.kind == 'r') builder.repetition();
    // Borrowed texts come from `source`, so that a copy can be told from a borrowed view.
    const std::string_view text = std::string_view(source).substr(position, step.text.size());
    if (step.kind == 'c' || step.kind == 'o') {
      source.replace(position, step.text.size(), step.text);
      position += step.text.size();
    }
    if (step.kind == 'c') builder.component(text, {position - text.size(), position});
    if (step.kind == 'o') builder.component_owned(std::string(step.text), {position - text.size(), position});
  }
  const Segment borrowed = builder.build();
  const Segment owned = builder.build_owned();
  EXPECT_EQ(render(borrowed), GetParam().rendered);
  EXPECT_EQ(owned, borrowed);

  std::size_t copied = 0;
  for (std::string_view text : texts_of(owned)) EXPECT_FALSE(!text.empty() && lies_in(text, source));
  for (std::string_view text : texts_of(borrowed)) copied += !text.empty() && !lies_in(text, source) ? 1 : 0;
  std::size_t owned_steps = 0;
  for (const Step& step : GetParam().steps) owned_steps += step.kind == 'o' && !step.text.empty() ? 1 : 0;
  EXPECT_EQ(copied, owned_steps);
}

INSTANTIATE_TEST_SUITE_P(
    Segments, BuilderShapes,
    testing::Values(
        ShapeCase{"Bare", {}, "RFF"},
        ShapeCase{"OneComponent", {{'e'}, {'c', "ab"}}, "RFF+ab"},
        ShapeCase{"EmptyElements", {{'e'}, {'e'}, {'c', "x"}, {'e'}}, "RFF++x+"},
        ShapeCase{"Repetitions",
                  {{'e'}, {'c', "a"}, {'c', "b"}, {'r'}, {'c', "c"}, {'r'}, {'r'}, {'c', "d"}, {'e'}, {'c', "e"}},
                  "RFF+a:b*c**d+e"},
        ShapeCase{"RepetitionsInSeveralElements",
                  {{'e'}, {'c', "a"}, {'r'}, {'c', "b"}, {'e'}, {'c', "c"}, {'e'}, {'c', "d"}, {'r'}, {'c', "e"}},
                  "RFF+a*b+c+d*e"},
        ShapeCase{"OwnedAmongBorrowed",
                  {{'e'}, {'o', "a'"}, {'c', "b"}, {'r'}, {'o', "c+"}, {'e'}, {'o', ""}, {'c', "d"}, {'o', "e?"}},
                  "RFF+a':b*c++:d:e?"}),
    [](const testing::TestParamInfo<ShapeCase>& info) { return info.param.name; });

TEST(SegmentBuilder, ReusedAfterResetStartsAfreshAndLeavesEarlierSegmentsAlone) {
  SegmentBuilder builder("UNH", {0, 9}, {0, 3});
  builder.element().component_owned("first").repetition().component("x");
  const Segment first = builder.build();
  builder.reset("BGM");
  builder.element().component_owned("second");
  const Segment second = builder.build();
  EXPECT_EQ(render(first), "UNH+first*x");
  EXPECT_EQ(first.span, (Span{0, 9}));
  EXPECT_EQ(render(second), "BGM+second");
  EXPECT_EQ(second.span, (Span{}));
}

TEST(SegmentBuilder, RefusesValuesBeforeAnyElement) {
  EXPECT_THROW(SegmentBuilder("RFF").component("a"), support::InternalFault);
  EXPECT_THROW(SegmentBuilder("RFF").component_owned("a"), support::InternalFault);
  EXPECT_THROW(SegmentBuilder("RFF").repetition(), support::InternalFault);
}

TEST(Segment, FromTextsOwnsTagAndTexts) {
  auto tag = std::make_unique<std::string>("NAD");
  auto text = std::make_unique<std::string>("MS");
  const Segment segment = Segment::from_texts(*tag, {{*text, ""}, {}});
  tag.reset();
  text.reset();
  EXPECT_EQ(render(segment), "NAD+MS:+");
}

// A segment "LOC+ab:c" with texts and tag borrowed from `buffer` and one copied text.
Segment borrowing(const std::string& buffer) {
  const std::string_view input(buffer);
  return SegmentBuilder(input.substr(0, 3), {0, 9}, {0, 3})
      .element({4, 8})
      .component(input.substr(4, 2), {4, 6})
      .component_owned("c", {6, 8})
      .build();
}

TEST(Segment, CopiesShareTheBlockAndOutliveTheOriginal) {
  const std::string buffer = "LOC+ab:?c'";
  auto original = std::make_unique<Segment>(borrowing(buffer));
  const Segment copy = *original;
  const Element element = copy.elements[0];
  original.reset();
  EXPECT_EQ(render(copy), "LOC+ab:c");
  EXPECT_EQ(element.components[1].text, "c");
}

TEST(Segment, MovedFromSegmentIsEmpty) {
  const std::string buffer = "LOC+ab:?c'";
  Segment source = borrowing(buffer);
  const Segment target = std::move(source);
  EXPECT_EQ(render(target), "LOC+ab:c");
  EXPECT_EQ(source, Segment());
}

struct OffsetCase {
  std::string name;
  bool shared;
};

class OffsetSharing : public testing::TestWithParam<OffsetCase> {};

TEST_P(OffsetSharing, ShiftsOnlyTheSegmentItIsGiven) {
  const std::string buffer = "LOC+ab:?c'";
  Segment segment = borrowing(buffer);
  const Segment before = segment;
  std::optional<Segment> other;
  if (GetParam().shared) other = segment;
  const Segment shifted = std::move(segment).offset(10);

  EXPECT_EQ(shifted.span, (Span{10, 19}));
  EXPECT_EQ(shifted.elements[0].span, (Span{14, 18}));
  EXPECT_EQ(shifted.elements[0].components[1].span, (Span{16, 18}));
  EXPECT_EQ(render(shifted), "LOC+ab:c");
  // Borrowed texts stay borrowed.
  EXPECT_TRUE(lies_in(shifted.elements[0].components[0].text, buffer));
  if (other) {
    EXPECT_EQ(*other, before);
    EXPECT_EQ(other->elements[0].components[1].span, (Span{6, 8}));
  }
}

INSTANTIATE_TEST_SUITE_P(Segments, OffsetSharing,
                         testing::Values(OffsetCase{"Unique", false}, OffsetCase{"Shared", true}),
                         [](const testing::TestParamInfo<OffsetCase>& info) { return info.param.name; });

TEST(Segment, IntoOwnedCopiesBorrowedTextsAndKeepsCopiedOnes) {
  auto buffer = std::make_unique<std::string>("LOC+ab:?c'");
  const Segment original = borrowing(*buffer);
  Segment owned = Segment(original).into_owned();
  EXPECT_EQ(owned, original);
  EXPECT_FALSE(lies_in(owned.tag(), *buffer));
  EXPECT_FALSE(lies_in(owned.elements[0].components[0].text, *buffer));
  buffer.reset();
  Segment again = Segment(owned).into_owned();
  EXPECT_EQ(render(again), "LOC+ab:c");
  EXPECT_EQ(again, owned);
  // Offsetting an owned copy leaves the segment it came from unchanged.
  const Segment shifted = Segment(again).offset(1);
  EXPECT_EQ(owned.elements[0].span, (Span{4, 8}));
  EXPECT_EQ(shifted.elements[0].span, (Span{5, 9}));
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
        DifferenceCase{"ComponentSpan", SegmentBuilder("RFF").element().component("a").component("b", {1, 2}).build()},
        DifferenceCase{"ElementSpan", SegmentBuilder("RFF").element({0, 1}).component("a").component("b").build()},
        DifferenceCase{"SegmentSpan", SegmentBuilder("RFF", {0, 1}).element().component("a").component("b").build()}),
    [](const testing::TestParamInfo<DifferenceCase>& info) { return info.param.name; });

}  // namespace

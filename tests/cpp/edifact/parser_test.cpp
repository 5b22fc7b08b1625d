#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

#include "edifact/parse.hpp"

namespace {

using edifact::EdifactError;
using edifact::ParserConfig;
using edifact::from_bytes_with_config;
using edifact::model::Segment;
using edifact::model::Span;
using edifact::tokenizer::ServiceStringAdvice;

// Bounds-checked, so that a wrong parse fails the test instead of reading past a list.
template <class Record>
const Record& item(std::span<const Record> list, std::size_t index) {
  if (index >= list.size()) throw std::out_of_range("no such record");
  return list[index];
}

struct Parsed {
  std::vector<Segment> segments;
  std::optional<EdifactError> error;
  std::size_t items_after_error = 0;
};

Parsed parse(std::string_view input, ParserConfig config = {}) {
  Parsed out;
  auto iter = from_bytes_with_config(input, std::move(config));
  while (auto item = iter.next()) {
    if (out.error) {
      ++out.items_after_error;
    } else if (item->has_value()) {
      out.segments.push_back(std::move(**item));
    } else {
      out.error = std::move(item->error());
    }
  }
  // Asked again after its end, the iterator stays at its end.
  if (iter.next()) ++out.items_after_error;
  return out;
}

std::vector<std::string> texts(const Segment& segment, std::size_t element) {
  std::vector<std::string> out;
  for (const auto& component : item(segment.elements, element).components) out.emplace_back(component.text);
  return out;
}

bool points_into(std::string_view text, std::string_view buffer) {
  return text.data() >= buffer.data() && text.data() + text.size() <= buffer.data() + buffer.size();
}

TEST(Parse, BuildsSegmentsWithSpans) {
  const std::string input = "UNH+1+UTILMD:D:11A:UN:S2.1'\r\nUNS'";
  const Parsed result = parse(input);
  ASSERT_FALSE(result.error) << result.error->message();
  ASSERT_EQ(result.segments.size(), 2u);
  const Segment& unh = result.segments[0];
  EXPECT_EQ(unh.tag(), "UNH");
  EXPECT_EQ(unh.span, (Span{0, 27}));
  EXPECT_EQ(unh.tag_span, (Span{0, 3}));
  ASSERT_EQ(unh.elements.size(), 2u);
  EXPECT_EQ(unh.elements[0].span, (Span{4, 5}));
  EXPECT_EQ(unh.elements[1].span, (Span{6, 26}));
  EXPECT_EQ(texts(unh, 1), (std::vector<std::string>{"UTILMD", "D", "11A", "UN", "S2.1"}));
  EXPECT_EQ(unh.elements[1].components[4].span, (Span{22, 26}));
  EXPECT_TRUE(points_into(unh.elements[1].components[0].text, input));

  const Segment& uns = result.segments[1];
  EXPECT_TRUE(uns.elements.empty());
  EXPECT_EQ(uns.span, (Span{29, 33}));
}

TEST(Parse, RemovesReleaseCharactersIntoTheElementsOwnText) {
  const std::string input = "FTX+a?+b?:c??d+plain:x?'y'";
  const Parsed result = parse(input);
  ASSERT_FALSE(result.error);
  const Segment& ftx = result.segments.at(0);
  EXPECT_EQ(ftx.elements[0].components[0].text, "a+b:c?d");
  EXPECT_EQ(ftx.elements[0].components[0].span, (Span{4, 14}));
  EXPECT_FALSE(points_into(ftx.elements[0].components[0].text, input));
  EXPECT_EQ(texts(ftx, 1), (std::vector<std::string>{"plain", "x'y"}));
  EXPECT_TRUE(points_into(ftx.elements[1].components[0].text, input));
  EXPECT_FALSE(points_into(ftx.elements[1].components[1].text, input));
  EXPECT_EQ(ftx.elements[1].span, (Span{15, 25}));
}

TEST(Parse, EmptyValuesAreEmptyComponents) {
  const Parsed result = parse("DTM+:+'");
  ASSERT_FALSE(result.error);
  const Segment& dtm = result.segments.at(0);
  ASSERT_EQ(dtm.elements.size(), 2u);
  EXPECT_EQ(texts(dtm, 0), (std::vector<std::string>{"", ""}));
  EXPECT_EQ(dtm.elements[0].components[1].span, (Span{5, 5}));
  EXPECT_EQ(dtm.elements[1].components[0].span, (Span{6, 6}));
  EXPECT_EQ(dtm.span, (Span{0, 7}));
}

TEST(Parse, RepetitionsNeedARepetitionSeparator) {
  const Parsed with = parse("UNA:+.?*'RFF+a:b*c:d*e+f'");
  ASSERT_FALSE(with.error);
  const auto& element = item(with.segments.at(0).elements, 0);
  EXPECT_EQ(texts(with.segments[0], 0), (std::vector<std::string>{"a", "b"}));
  ASSERT_EQ(element.repetitions.size(), 2u);
  EXPECT_EQ(element.repetitions[0][1].text, "d");
  EXPECT_EQ(element.repetitions[1][0].span, (Span{21, 22}));
  EXPECT_EQ(element.span, (Span{13, 22}));

  const Parsed without = parse("UNA:+.? 'RFF+a:b*c:d'");
  ASSERT_FALSE(without.error);
  EXPECT_EQ(texts(without.segments.at(0), 0), (std::vector<std::string>{"a", "b*c", "d"}));
  EXPECT_TRUE(without.segments[0].elements[0].repetitions.empty());
}

TEST(Parse, ReleasedTextInLaterRepetitionsIsOwnedToo) {
  const Parsed result = parse("UNB+UNOC:4'RFF+a*b?*c:d?" "?'");
  ASSERT_FALSE(result.error);
  const auto& element = item(result.segments.at(1).elements, 0);
  ASSERT_EQ(element.repetitions.size(), 1u);
  EXPECT_EQ(element.repetitions[0][0].text, "b*c");
  EXPECT_EQ(element.repetitions[0][1].text, "d?");
}

TEST(Parse, SegmentsOutliveTheirInputOnceOwned) {
  auto input = std::make_unique<std::string>("NAD+MS+9900?+1::293'");
  Parsed result = parse(*input);
  ASSERT_FALSE(result.error);
  Segment owned = std::move(result.segments.at(0)).into_owned();
  input.reset();
  EXPECT_EQ(owned.tag(), "NAD");
  EXPECT_EQ(texts(owned, 1), (std::vector<std::string>{"9900+1", "", "293"}));
}

TEST(Parse, WhitespaceOnlyYieldsNothing) {
  const Parsed result = parse(" \r\n\t ");
  EXPECT_TRUE(result.segments.empty());
  EXPECT_FALSE(result.error);
}

struct ErrorCase {
  std::string name;
  std::string input;
  std::size_t segments_before;
  std::string message;
};

class ParseError : public testing::TestWithParam<ErrorCase> {};

TEST_P(ParseError, StopsAtTheFirstFault) {
  const Parsed result = parse(GetParam().input);
  EXPECT_EQ(result.segments.size(), GetParam().segments_before);
  ASSERT_TRUE(result.error);
  EXPECT_EQ(result.error->message(), GetParam().message);
  EXPECT_EQ(result.items_after_error, 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Inputs, ParseError,
    testing::Values(
        ErrorCase{"second_terminator", "UNS''UNS'", 1, "invalid delimiter byte 0x27 at offset 4"},
        ErrorCase{"eof_after_value", "UNH+1", 0, "unexpected end of input at byte offset 5"},
        ErrorCase{"eof_after_tag", "UNH", 0, "unexpected end of input at byte offset 3"},
        ErrorCase{"eof_after_components", "UNS'DTM+137:2024", 1, "unexpected end of input at byte offset 16"},
        ErrorCase{"release_at_input_end", "UNS'FTX+a?", 1,
                  "invalid release sequence at byte offset 9: dangling release character"},
        ErrorCase{"bad_tag", "UNS'uns'", 1, "invalid segment tag \"uns\""},
        ErrorCase{"repetition_separator_in_tag", "UNA:+.?*'RFF*a'", 0, "invalid segment tag \"RFF*a\""},
        ErrorCase{"invalid_una", "UNA:+.:*'UNS'", 0, "invalid UNA service string advice"},
        ErrorCase{"una_cut_short", "UNA:+.?", 0, "invalid segment tag \"UNA:\""},
        ErrorCase{"text_not_utf8", "UNS'FTX+\xC3('", 1, "invalid EDIFACT text at byte offset 8"}),
    [](const auto& info) { return info.param.name; });

TEST(Parse, SegmentLengthLimitCountsFromTheTag) {
  ParserConfig config;
  config.max_segment_length = 10;
  // Whitespace before a segment does not count.
  EXPECT_FALSE(parse("\r\n\r\n    UNH+123456'", config).error);
  const Parsed longer = parse("UNS'\r\nUNH+1234567'", config);
  ASSERT_TRUE(longer.error);
  EXPECT_EQ(longer.error->message(), "segment starting at byte offset 6 exceeded maximum length of 10 bytes");
}

TEST(Parse, ByteOrderMarkAndUnaCountInSpans) {
  const Parsed result = parse("\xEF\xBB\xBF\r\nUNA:+.? 'UNS'");
  ASSERT_FALSE(result.error);
  ASSERT_EQ(result.segments.size(), 1u);
  EXPECT_EQ(result.segments[0].span, (Span{14, 18}));
}

TEST(Parse, OverrideGovernsAndTheUnaIsSkipped) {
  ParserConfig config;
  config.service_string_advice = ServiceStringAdvice{'|', '^', '!', '.', ' ', '~'};
  const Parsed result = parse("UNA:+.? 'FTX|a^b!|c~", config);
  ASSERT_FALSE(result.error);
  ASSERT_EQ(result.segments.size(), 1u);
  EXPECT_EQ(texts(result.segments[0], 0), (std::vector<std::string>{"a", "b|c"}));
}

TEST(Parse, OverrideDoesNotRescueAnInvalidUna) {
  ParserConfig config;
  config.service_string_advice = ServiceStringAdvice::DEFAULT;
  const Parsed result = parse("UNA:+.A 'UNS'", config);
  ASSERT_TRUE(result.error);
  EXPECT_EQ(result.error->kind, EdifactError::Kind::InvalidServiceStringAdvice);
  EXPECT_TRUE(result.segments.empty());
  EXPECT_EQ(result.items_after_error, 0u);
}

}  // namespace

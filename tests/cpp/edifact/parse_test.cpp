#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "edifact/parse/from_bytes.hpp"
#include "edifact/parse/segment_stream.hpp"
#include "edifact/parse/service_string_advice.hpp"
#include "edifact/parse/tokenizer.hpp"

namespace {

using edifact::ParserConfig;
using edifact::model::ComponentList;
using edifact::model::Segment;
using edifact::model::Span;
using edifact::parser::ByteSource;
using edifact::parser::IoError;
using edifact::parser::OwnedSegmentStream;
using edifact::tokenizer::ServiceStringAdvice;

constexpr std::size_t BUFFER = OwnedSegmentStream::BUFFER_SIZE;

// Owns its bytes and hands them out a few at a time; can fail after a number of them.
class ChunkedSource final : public ByteSource {
 public:
  ChunkedSource(std::string bytes, std::size_t chunk, std::size_t fail_after)
      : bytes_(std::move(bytes)), chunk_(chunk), fail_after_(fail_after) {}

  std::expected<std::size_t, IoError> read(std::span<std::byte> buffer) override {
    if (position_ >= fail_after_) return std::unexpected(IoError{"disk on fire"});
    const std::size_t count =
        std::min({buffer.size(), chunk_, bytes_.size() - position_, fail_after_ - position_});
    std::memcpy(buffer.data(), bytes_.data() + position_, count);
    position_ += count;
    return count;
  }

 private:
  std::string bytes_;
  std::size_t chunk_;
  std::size_t fail_after_;
  std::size_t position_ = 0;
};

struct Outcome {
  std::vector<Segment> segments;  // those before the first error
  std::optional<std::string> error;
  bool more_after_error = false;
  friend bool operator==(const Outcome&, const Outcome&) = default;
};

void PrintTo(const Outcome& outcome, std::ostream* out) {
  for (const Segment& segment : outcome.segments) {
    *out << segment.tag() << "@" << segment.span().start << ".." << segment.span().end << " ";
  }
  if (outcome.error) *out << "then \"" << *outcome.error << "\"";
}

template <class Iterator>
Outcome collect(Iterator& iterator) {
  Outcome out;
  while (auto item = iterator.next()) {
    if (out.error) {
      out.more_after_error = true;
    } else if (item->has_value()) {
      out.segments.push_back(std::move(**item));
    } else {
      out.error = item->error().message();
    }
  }
  if (iterator.next()) out.more_after_error = true;
  return out;
}

Outcome slice_parse(std::string_view input, const ParserConfig& config = {}) {
  auto iterator = edifact::from_bytes_with_config(input, config);
  return collect(iterator);
}

// The segments outlive the stream and its source, so a borrowed text fails under the sanitizer.
Outcome stream_parse(std::string input, const ParserConfig& config = {}, std::size_t chunk = BUFFER,
                     std::size_t fail_after = SIZE_MAX) {
  OwnedSegmentStream stream(std::make_unique<ChunkedSource>(std::move(input), chunk, fail_after),
                            config);
  return collect(stream);
}

// "TAG@start..end" and per element "+[start..end]" with its components "text@start" joined by
// ":" and its repetitions by "*".
std::string render(const Segment& segment) {
  std::string text = std::string(segment.tag()) + "@" + std::to_string(segment.span().start) + ".." +
                     std::to_string(segment.span().end);
  const auto list = [&](ComponentList components) {
    for (std::size_t index = 0; index < components.size(); ++index) {
      if (index > 0) text += ":";
      text += std::string(components[index].text) + "@" + std::to_string(components[index].span.start);
    }
  };
  for (const auto& element : segment.elements()) {
    text += "+[" + std::to_string(element.span().start) + ".." + std::to_string(element.span().end) + "]";
    list(element.components());
    for (ComponentList repetition : element.repetitions()) {
      text += "*";
      list(repetition);
    }
  }
  return text;
}

bool points_into(std::string_view text, std::string_view buffer) {
  return text.data() >= buffer.data() && text.data() + text.size() <= buffer.data() + buffer.size();
}

TEST(Parse, SpansCountFromTheInputStartAndOnlyReleasedTextIsCopied) {
  const std::string input =
      "\xEF\xBB\xBF\r\nUNA:+.? 'UNH+1+UTILMD:D:11A:UN:S2.1'\r\nFTX+a?+b?:c??d+plain:x?'y+x\r\ny'DTM+:+'";
  const Outcome result = slice_parse(input);
  ASSERT_FALSE(result.error) << *result.error;
  ASSERT_EQ(result.segments.size(), 3u);
  EXPECT_EQ(render(result.segments[0]),
            "UNH@14..41+[18..19]1@18+[20..40]UTILMD@20:D@27:11A@29:UN@33:S2.1@36");
  EXPECT_EQ(render(result.segments[1]),
            "FTX@43..74+[47..57]a+b:c?d@47+[58..68]plain@58:x'y@64+[69..73]x\r\ny@69");
  EXPECT_EQ(render(result.segments[2]), "DTM@74..81+[78..79]@78:@79+[80..80]@80");
  EXPECT_EQ(result.segments[0].tag_span(), (Span{14, 17}));

  const auto& ftx = result.segments[1].elements();
  EXPECT_FALSE(points_into(ftx[0].components()[0].text, input));
  EXPECT_TRUE(points_into(ftx[1].components()[0].text, input));
  EXPECT_FALSE(points_into(ftx[1].components()[1].text, input));
  EXPECT_TRUE(points_into(result.segments[0].elements()[1].components()[4].text, input));
}

struct CharactersCase {
  std::string input;
  std::optional<ServiceStringAdvice> advice;
  std::string last_segment;
};

class ServiceCharacters : public testing::TestWithParam<CharactersCase> {};

TEST_P(ServiceCharacters, DecideRepetitionsAndReleasesInSliceAndStream) {
  ParserConfig config;
  config.service_string_advice = GetParam().advice;
  for (const Outcome& outcome : {slice_parse(GetParam().input, config), stream_parse(GetParam().input, config)}) {
    ASSERT_FALSE(outcome.error) << *outcome.error;
    ASSERT_FALSE(outcome.segments.empty());
    EXPECT_EQ(render(outcome.segments.back()), GetParam().last_segment);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Inputs, ServiceCharacters,
    testing::Values(
        CharactersCase{"UNA:+.?*'RFF+a:b*c:d*e+f'", {}, "RFF@9..25+[13..22]a@13:b@15*c@17:d@19*e@21+[23..24]f@23"},
        CharactersCase{"UNA:+.? 'RFF+a:b*c:d'", {}, "RFF@9..21+[13..20]a@13:b*c@15:d@19"},
        // The first UNB of version 4 brings "*" for good; a later UNB changes nothing.
        CharactersCase{"UNB+UNOC:4+S+R'UNB+UNOC:3+S+R'RFF+a*b?*c:d?" "?'",
                       {}, "RFF@30..45+[34..44]a@34*b*c@36:d?@41"},
        CharactersCase{"UNA:+.? 'UNB+UNOC:4+S+R'RFF+a*b'", {}, "RFF@24..32+[28..31]a*b@28"},
        CharactersCase{"UNB+UNOC:4+S+R'RFF+a*b'", ServiceStringAdvice::DEFAULT, "RFF@15..23+[19..22]a*b@19"},
        // An override governs; a valid UNA is still skipped.
        CharactersCase{"UNA:+.? 'FTX|a^b!|c~", ServiceStringAdvice{'|', '^', '!', '.', ' ', '~'},
                       "FTX@9..20+[13..19]a@13:b|c@15"}));

// Pads the input's front so that byte `at` of the input is the first after a buffer's end.
std::string shifted_to_buffer_end(std::string_view input, std::size_t at) {
  return std::string((BUFFER - at % BUFFER) % BUFFER, '\n') + std::string(input);
}

// "FTX+" and a value with released separators: `length` bytes before the terminator.
std::string long_segment(std::size_t length) {
  std::string segment = "FTX+";
  while (segment.size() < length) segment += segment.size() % 50 == 0 ? "?+" : "x";
  segment.resize(length);
  if (segment.back() == '?') segment.back() = 'y';
  return segment + "'";
}

const std::string INTERCHANGE =
    "\xEF\xBB\xBFUNA:+.? 'UNB+UNOC:3+9900000000003:500+9900000000004:500+250101:1200+REF1'\r\n"
    "UNH+1+UTILMD:D:11A:UN:S2.1'BGM+E01+DOC?+1'DTM+137:202501011200?+01:303'"
    "NAD+MS+9900000000003::293'FTX+ACB+++Stra\xC3\x9F" "e ?:12?'b:zweite Zeile'"
    "UNT+6+1'UNZ+1+REF1'\r\n";
const std::string TWO_MESSAGES = "UNH+1+X'UNT+2+1'UNH+2+X'UNT+2+2'";  // ends at byte 32

std::string too_long(std::size_t offset, std::size_t maximum) {
  return "segment starting at byte offset " + std::to_string(offset) + " exceeded maximum length of " +
         std::to_string(maximum) + " bytes";
}
std::string over_limit(const std::string& limit, std::size_t maximum) {
  return "input exceeded the configured " + limit + " limit of " + std::to_string(maximum);
}

ParserConfig max_length(std::size_t bytes) { ParserConfig c; c.max_segment_length = bytes; return c; }
ParserConfig max_segments(std::size_t count) { ParserConfig c; c.max_segments = count; return c; }
ParserConfig max_messages(std::size_t count) { ParserConfig c; c.max_messages = count; return c; }
ParserConfig max_input_bytes(std::size_t bytes) { ParserConfig c; c.max_input_bytes = bytes; return c; }
ParserConfig with_advice(ServiceStringAdvice advice) { ParserConfig c; c.service_string_advice = advice; return c; }

struct ParseCase {
  std::string name;
  std::string input;
  ParserConfig config;
  std::size_t segments_before;
  std::optional<std::string> error;
};

class SliceAndStream : public testing::TestWithParam<ParseCase> {};

// The byte-slice parse gives the expected segments and first error, and the stream gives exactly
// the same, however the input is cut into reads and wherever the 8192-byte buffer ends.
TEST_P(SliceAndStream, AgreeWhereverTheBufferEnds) {
  const ParseCase& row = GetParam();
  const Outcome expected = slice_parse(row.input, row.config);
  EXPECT_EQ(expected.segments.size(), row.segments_before);
  EXPECT_EQ(expected.error, row.error);
  EXPECT_FALSE(expected.more_after_error);

  for (std::size_t chunk : {std::size_t{1}, std::size_t{3}, BUFFER}) {
    EXPECT_EQ(stream_parse(row.input, row.config, chunk), expected) << "reads of " << chunk << " bytes";
  }
  std::vector<std::size_t> boundaries;
  for (std::size_t at = 0; at <= std::min<std::size_t>(row.input.size(), 80); ++at) boundaries.push_back(at);
  for (std::size_t at = 80; at < row.input.size(); at += 997) boundaries.push_back(at);
  for (std::size_t at : boundaries) {
    const std::string padded = shifted_to_buffer_end(row.input, at);
    EXPECT_EQ(stream_parse(padded, row.config), slice_parse(padded, row.config))
        << "buffer end at input byte " << at;
  }
}

const std::string DELIMITER_0x27 = "invalid delimiter byte 0x27 at offset ";

INSTANTIATE_TEST_SUITE_P(
    Inputs, SliceAndStream,
    testing::Values(
        ParseCase{"interchange", INTERCHANGE, {}, 8, {}},
        ParseCase{"whitespace_only", " \r\n\t", {}, 0, {}},
        // Segment length: counted from the tag to the terminator, whitespace before it excluded.
        ParseCase{"segment_of_9000_bytes_at_the_limit", "UNS'" + long_segment(9000) + "UNS'", max_length(9000), 3, {}},
        ParseCase{"segment_of_9001_bytes", "UNS'" + long_segment(9001) + "UNS'", max_length(9000), 1, too_long(4, 9000)},
        ParseCase{"overlong_tag", "UNS'" + std::string(40, 'A'), max_length(20), 1, too_long(4, 20)},
        ParseCase{"release_in_the_last_byte_of_the_window", "UNS'UNH+12345?+'", max_length(10), 1, too_long(4, 10)},
        ParseCase{"released_separator_just_within", "UNS'UNH+12345?+'", max_length(11), 2, {}},
        ParseCase{"whitespace_does_not_count", "UNS'\r\n\r\nUNH+123456'\r\nUNH+1234567'",
                  max_length(10), 2, too_long(21, 10)},
        ParseCase{"invalid_text_before_the_limit", "UNS'FTX+\xFF+" + std::string(50, 'x'), max_length(20), 1,
                  "invalid EDIFACT text at byte offset 8"},
        // Stray terminators and separators where a tag should begin.
        ParseCase{"stray_terminator", "UNS''", {}, 1, DELIMITER_0x27 + "4"},
        ParseCase{"stray_terminator_after_whitespace", "UNS' \t\r\n'UNS'", {}, 1, DELIMITER_0x27 + "8"},
        ParseCase{"separator_where_a_tag_begins", " +UNS'", {}, 0, "invalid delimiter byte 0x2B at offset 1"},
        ParseCase{"input_ends_after_a_tag", "UNS'UNH", {}, 1, "unexpected end of input at byte offset 7"},
        ParseCase{"input_ends_inside_a_segment", "UNS'DTM+137:2025", {}, 1,
                  "unexpected end of input at byte offset 16"},
        ParseCase{"input_ends_after_release", "UNS'FTX+a?", {}, 1,
                  "invalid release sequence at byte offset 9: dangling release character"},
        ParseCase{"released_text_not_utf8", "UNH+1+ab?\xFF'", {}, 0, "invalid EDIFACT text at byte offset 6"},
        ParseCase{"form_feed_is_no_whitespace", "UNS'\fUNS'", {}, 1, "invalid segment tag \"\\u{c}UNS\""},
        ParseCase{"four_letter_tag", "UNHA+1'", {}, 0, "invalid segment tag \"UNHA\""},
        ParseCase{"tag_not_utf8", "UNS'\xC3\xC3+'", {}, 1, "invalid segment tag \"[195, 195]\""},
        ParseCase{"repetition_separator_in_tag", "UNA:+.?*'RFF*a'", {}, 0, "invalid segment tag \"RFF*a\""},
        ParseCase{"invalid_una", "UNA:+.:*'UNS'", {}, 0, "invalid UNA service string advice"},
        ParseCase{"override_does_not_rescue_an_invalid_una", "UNA:+.A 'UNS'",
                  with_advice(ServiceStringAdvice::DEFAULT), 0,
                  "invalid UNA service string advice"},
        // Input limits.
        ParseCase{"segments_within", TWO_MESSAGES, max_segments(4), 4, {}},
        ParseCase{"segments_over", TWO_MESSAGES, max_segments(3), 3, over_limit("max_segments", 3)},
        ParseCase{"messages_over", TWO_MESSAGES, max_messages(1), 2, over_limit("max_messages", 1)},
        ParseCase{"unclosed_message_is_not_counted", "UNH+1+X'UNH+2+X'UNT+2+2'", max_messages(1), 3, {}},
        ParseCase{"unt_without_unh_counts_nothing", "UNT+2+1'UNH+1+X'", max_messages(0), 1,
                  over_limit("max_messages", 0)},
        ParseCase{"bytes_exactly", TWO_MESSAGES + "\r\n\r\n", max_input_bytes(32), 4, {}},
        ParseCase{"bytes_one_short", TWO_MESSAGES, max_input_bytes(31), 3, over_limit("max_input_bytes", 31)},
        ParseCase{"bytes_count_the_byte_order_mark", "\xEF\xBB\xBFUNS'", max_input_bytes(6), 0,
                  over_limit("max_input_bytes", 6)}),
    [](const auto& info) { return info.param.name; });

// Cut short before its first segment, a stream waits for more bytes; a slice has them all.
TEST(OwnedSegmentStream, InputEndingBeforeTheFirstSegmentIsUnexpected) {
  EXPECT_EQ(stream_parse("UNA:+.", {}, 1).error, "unexpected end of input at byte offset 6");
  EXPECT_EQ(stream_parse("\r\nUN").error, "unexpected end of input at byte offset 4");
  EXPECT_EQ(slice_parse("UNA:+.").error, "invalid segment tag \"UNA:\"");
}

TEST(OwnedSegmentStream, SourceFailureIsAnIoError) {
  const Outcome outcome = stream_parse("UNS'UNH+1+UTILMD:D:11A:UN:S2.1'UNS'", {}, 3, 20);
  EXPECT_EQ(outcome.segments.size(), 1u);
  EXPECT_EQ(outcome.error, "disk on fire");
  EXPECT_FALSE(outcome.more_after_error);
}

TEST(ByteClasses, SeparatorsWinOverTheReleaseCharacterWhenAnOverrideMakesThemCoincide) {
  using edifact::tokenizer::ByteClass;
  const edifact::tokenizer::ByteClasses classes(ServiceStringAdvice{'+', ':', ':', '.', '+', '\''});
  EXPECT_EQ(classes[':'], ByteClass::ComponentSeparator);
  EXPECT_EQ(classes['+'], ByteClass::ElementSeparator);
  EXPECT_EQ(classes['?'], ByteClass::Plain);
  EXPECT_EQ(classes['\xC3'], ByteClass::NonAscii);
}

constexpr ServiceStringAdvice DEFAULT = ServiceStringAdvice::DEFAULT;
constexpr ServiceStringAdvice V4 = ServiceStringAdvice::SYNTAX_VERSION_4;
using A = ServiceStringAdvice;

struct ReadCase {
  std::string name;
  std::string input;
  ServiceStringAdvice expected;
};

class ReadAdvice : public testing::TestWithParam<ReadCase> {};

TEST_P(ReadAdvice, ReturnsTheAdviceThatApplies) {
  EXPECT_EQ(ServiceStringAdvice::from_bytes_unchecked(GetParam().input), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Inputs, ReadAdvice,
    testing::Values(
        // Wire order: component, element, decimal, release, repetition, terminator.
        ReadCase{"una_maps_wire_order", "UNA/*,!#~", {'*', '/', '!', ',', '#', '~'}},
        ReadCase{"una_is_not_checked", "UNA7A7\xFF" "7X", {'A', '7', '\xFF', '7', '7', 'X'}},
        ReadCase{"bom_and_line_break_before_una", "\xEF\xBB\xBF\r\nUNA:+,?*|", {'+', ':', '?', ',', '*', '|'}},
        ReadCase{"form_feed_is_not_skipped", "\fUNA:+.?*'", DEFAULT},
        ReadCase{"una_cut_short", "UNA:+.?*", DEFAULT},
        ReadCase{"una_wins_over_unb_version", "UNA:+.? 'UNB+UNOC:4+X'", DEFAULT},
        ReadCase{"unb_version_4_at_input_end", "UNB+UNOC:4", V4},
        ReadCase{"unb_version_4_with_more_components", "UNB+UNOC:4:1+X'", V4},
        ReadCase{"unb_version_40", "UNB+UNOC:40+X'", DEFAULT},
        ReadCase{"unb_without_version", "UNB+UNOC+X:4'", DEFAULT},
        ReadCase{"unb_empty_version", "UNB+UNOC::4'", DEFAULT},
        ReadCase{"unb_version_beyond_the_terminator", "UNB+UNOC'UNH+1:4'", DEFAULT}),
    [](const auto& info) { return info.param.name; });

struct CheckCase {
  std::string name;
  ServiceStringAdvice advice;
  bool valid;
};

class CheckAdvice : public testing::TestWithParam<CheckCase> {};

TEST_P(CheckAdvice, AcceptsOnlyUsableCharacters) {
  const auto result = GetParam().advice.validate();
  EXPECT_EQ(result.has_value(), GetParam().valid);
  if (!result) {
    EXPECT_EQ(result.error().message(), "invalid UNA service string advice");
  }
}

ServiceStringAdvice with(char ServiceStringAdvice::*field, char value) {
  ServiceStringAdvice base = DEFAULT;
  base.*field = value;
  return base;
}

INSTANTIATE_TEST_SUITE_P(
    Advices, CheckAdvice,
    testing::Values(
        CheckCase{"defaults", DEFAULT, true},
        CheckCase{"version_4_defaults", V4, true},
        CheckCase{"letter_element", with(&A::element_separator, 'A'), false},
        CheckCase{"digit_release", with(&A::release_character, '7'), false},
        CheckCase{"letter_repetition", with(&A::repetition_separator, 'A'), false},
        CheckCase{"space_element", with(&A::element_separator, ' '), false},
        CheckCase{"control_terminator", with(&A::segment_terminator, '\n'), false},
        CheckCase{"high_byte_component", with(&A::component_separator, '\x80'), false},
        CheckCase{"component_equals_release", with(&A::component_separator, '?'), false},
        CheckCase{"repetition_equals_terminator", with(&A::repetition_separator, '\''), false},
        // The decimal mark need only be printable, and a space means "no repetition separator".
        CheckCase{"decimal_equals_component", with(&A::decimal_mark, ':'), true},
        CheckCase{"decimal_space_beside_no_repetition", with(&A::decimal_mark, ' '), true},
        CheckCase{"decimal_delete", with(&A::decimal_mark, '\x7F'), false},
        CheckCase{"decimal_control", with(&A::decimal_mark, '\x1F'), false}),
    [](const auto& info) { return info.param.name; });

}  // namespace

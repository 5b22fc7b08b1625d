#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

#include "edifact/parse.hpp"
#include "edifact/parser_stream.hpp"

namespace {

using edifact::EdifactError;
using edifact::ParserConfig;
using edifact::model::Segment;
using edifact::model::Span;
using edifact::parser::ByteSource;
using edifact::parser::IoError;
using edifact::parser::MemoryByteSource;
using edifact::parser::OwnedSegmentStream;
using edifact::tokenizer::ServiceStringAdvice;

// Bounds-checked, so that a wrong parse fails the test instead of reading past a list.
template <class Record>
const Record& item(std::span<const Record> list, std::size_t index) {
  if (index >= list.size()) throw std::out_of_range("no such record");
  return list[index];
}

constexpr std::size_t BUFFER = OwnedSegmentStream::BUFFER_SIZE;

// Hands out its bytes a few at a time, and can fail after a number of them.
class ChunkedSource final : public ByteSource {
 public:
  ChunkedSource(std::string bytes, std::size_t chunk, std::optional<std::size_t> fail_after = {})
      : bytes_(std::move(bytes)), chunk_(chunk), fail_after_(fail_after) {}

  std::expected<std::size_t, IoError> read(std::span<std::byte> buffer) override {
    if (fail_after_ && position_ >= *fail_after_) return std::unexpected(IoError{"disk on fire"});
    std::size_t count = std::min({buffer.size(), chunk_, bytes_.size() - position_});
    if (fail_after_) count = std::min(count, *fail_after_ - position_);
    std::memcpy(buffer.data(), bytes_.data() + position_, count);
    position_ += count;
    return count;
  }

 private:
  std::string bytes_;
  std::size_t chunk_;
  std::optional<std::size_t> fail_after_;
  std::size_t position_ = 0;
};

struct Outcome {
  std::vector<Segment> segments;
  std::optional<std::string> error;
  std::size_t items_after_error = 0;
};

void PrintTo(const Outcome& outcome, std::ostream* out) {
  *out << outcome.segments.size() << " segments";
  for (const Segment& segment : outcome.segments) {
    *out << " " << segment.tag() << "@" << segment.span.start << ".." << segment.span.end;
  }
  if (outcome.error) *out << ", then \"" << *outcome.error << "\"";
}

bool operator==(const Outcome& a, const Outcome& b) {
  return a.segments == b.segments && a.error == b.error && a.items_after_error == b.items_after_error;
}

template <class Next>
Outcome collect(Next next) {
  Outcome out;
  while (auto item = next()) {
    if (out.error) {
      ++out.items_after_error;
    } else if (item->has_value()) {
      out.segments.push_back(std::move(**item).into_owned());
    } else {
      out.error = item->error().message();
    }
  }
  if (next()) ++out.items_after_error;
  return out;
}

Outcome slice_parse(std::string_view input, ParserConfig config = {}) {
  auto iter = edifact::from_bytes_with_config(input, std::move(config));
  return collect([&] { return iter.next(); });
}

Outcome stream_parse(std::unique_ptr<ByteSource> source, ParserConfig config = {}) {
  OwnedSegmentStream stream(std::move(source), std::move(config));
  return collect([&] { return stream.next(); });
}

Outcome stream_parse(std::string_view input, ParserConfig config = {}, std::size_t chunk = BUFFER) {
  return stream_parse(std::make_unique<ChunkedSource>(std::string(input), chunk), std::move(config));
}

// Pads the input's front so that byte `at` of the input is the first after a buffer's end.
std::string shifted_to_buffer_end(std::string_view input, std::size_t at) {
  return std::string((BUFFER - at % BUFFER) % BUFFER, '\n') + std::string(input);
}

const std::string INTERCHANGE =
    "UNA:+.? 'UNB+UNOC:3+9900000000003:500+9900000000004:500+250101:1200+REF1'\r\n"
    "UNH+1+UTILMD:D:11A:UN:S2.1'BGM+E01+DOC?+1'DTM+137:202501011200?+01:303'"
    "NAD+MS+9900000000003::293'FTX+ACB+++Stra\xC3\x9F" "e ?:12?'b:zweite Zeile'"
    "UNT+6+1'UNZ+1+REF1'\r\n";

struct EquivalenceCase {
  std::string name;
  std::string input;
  std::size_t max_segment_length = ParserConfig::DEFAULT_MAX_SEGMENT_LENGTH;
};

class StreamMatchesSlice : public testing::TestWithParam<EquivalenceCase> {};

// Every segment, span and error of the stream equals the byte-slice parse, however the input is
// cut into reads and wherever the 8192-byte buffer ends.
TEST_P(StreamMatchesSlice, WhereverTheBufferEnds) {
  const std::string& input = GetParam().input;
  ParserConfig config;
  config.max_segment_length = GetParam().max_segment_length;
  std::vector<std::size_t> boundaries;
  for (std::size_t at = 0; at <= std::min<std::size_t>(input.size(), 80); ++at) boundaries.push_back(at);
  for (std::size_t at = 80; at < input.size(); at += 997) boundaries.push_back(at);
  for (std::size_t at : boundaries) {
    const std::string padded = shifted_to_buffer_end(input, at);
    const Outcome expected = slice_parse(padded, config);
    EXPECT_EQ(stream_parse(padded, config), expected) << "buffer end at input byte " << at;
  }
  const Outcome expected = slice_parse(input, config);
  for (std::size_t chunk : {1u, 2u, 3u, 7u, 100u, 4096u}) {
    EXPECT_EQ(stream_parse(input, config, chunk), expected) << "reads of " << chunk << " bytes";
  }
}

std::string long_segment(std::size_t length) {
  // "FTX+" and a value with released separators, then the terminator: `length` bytes before it.
  std::string segment = "FTX+";
  while (segment.size() < length) segment += segment.size() % 50 == 0 ? "?+" : "x";
  segment.resize(length);
  if (segment.back() == '?') segment.back() = 'y';
  return segment + "'";
}

INSTANTIATE_TEST_SUITE_P(
    Inputs, StreamMatchesSlice,
    testing::Values(
        EquivalenceCase{"interchange", INTERCHANGE},
        EquivalenceCase{"segment_of_9000_bytes", "UNS'" + long_segment(9000) + "\r\nUNS'"},
        EquivalenceCase{"segment_of_9000_bytes_at_the_limit", "UNS'" + long_segment(9000) + "UNS'", 9000},
        EquivalenceCase{"segment_of_9001_bytes_over_the_limit", "UNS'" + long_segment(9001) + "UNS'", 9000},
        EquivalenceCase{"value_over_the_limit_without_terminator", "UNS'FTX+" + std::string(9100, 'x'), 9000},
        EquivalenceCase{"tag_over_the_limit", "UNS'" + std::string(40, 'A'), 20},
        EquivalenceCase{"release_in_last_byte_of_the_window", "UNS'UNH+12345?+'", 10},
        EquivalenceCase{"stray_terminator", "UNS'\r\n'UNS'"},
        EquivalenceCase{"terminator_after_whitespace_only", "UNS' \t\r\n 'UNS'"},
        EquivalenceCase{"released_terminator", "FTX+a?'b'FTX+?" "?'UNS'"},
        EquivalenceCase{"whitespace_does_not_count", "UNS'\r\n\r\n\r\n\r\nUNH+123456'", 10},
        EquivalenceCase{"input_ends_inside_a_segment", "UNS'DTM+137:2025"},
        EquivalenceCase{"input_ends_after_release", "UNS'FTX+a?"},
        EquivalenceCase{"invalid_text_then_overlong", "UNS'FTX+\xFF+" + std::string(50, 'x'), 20},
        EquivalenceCase{"invalid_tag", "UNS'\fUNS'"},
        EquivalenceCase{"tag_not_utf8", "UNS'\xC3\xC3+'"},
        EquivalenceCase{"byte_order_mark", "\xEF\xBB\xBF\r\nUNH+1'UNS'"},
        EquivalenceCase{"invalid_una", "UNA:+.:*'UNS'"},
        EquivalenceCase{"una_then_repetitions", "UNA:+.?*'RFF+a*b:c*d'UNS'"},
        EquivalenceCase{"unb_version_4", "UNB+UNOC:4+S+R'RFF+a*b'"},
        EquivalenceCase{"whitespace_only", " \r\n\t"}),
    [](const auto& info) { return info.param.name; });

TEST(OwnedSegmentStream, YieldsOwnedSegmentsWithWholeInputSpans) {
  auto input = std::make_unique<std::string>("\xEF\xBB\xBFUNA:+.? '\r\nNAD+MS+99?+1::293'");
  OwnedSegmentStream stream(std::make_unique<MemoryByteSource>(*input), {});
  auto item = stream.next();
  ASSERT_TRUE(item && item->has_value());
  Segment nad = std::move(**item);
  EXPECT_FALSE(stream.next());
  input.reset();
  EXPECT_EQ(nad.span, (Span{14, 32}));
  EXPECT_EQ(nad.elements[1].components[0].text, "99+1");
  EXPECT_EQ(nad.elements[1].components[2].text, "293");
  EXPECT_EQ(nad.elements[1].components[2].span, (Span{28, 31}));
}

struct StreamErrorCase {
  std::string name;
  std::string input;
  std::size_t segments_before;
  std::string message;
};

class StreamError : public testing::TestWithParam<StreamErrorCase> {};

TEST_P(StreamError, IsYieldedOnceThenTheEnd) {
  for (std::size_t chunk : {1u, 4u, 8192u}) {
    const Outcome outcome = stream_parse(GetParam().input, {}, chunk);
    EXPECT_EQ(outcome.segments.size(), GetParam().segments_before);
    EXPECT_EQ(outcome.error, GetParam().message);
    EXPECT_EQ(outcome.items_after_error, 0u);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Inputs, StreamError,
    testing::Values(
        StreamErrorCase{"una_ends_after_three_characters", "UNA:+.", 0, "unexpected end of input at byte offset 6"},
        StreamErrorCase{"single_letter_u", "U", 0, "unexpected end of input at byte offset 1"},
        StreamErrorCase{"u_after_whitespace", "\r\nUN", 0, "unexpected end of input at byte offset 4"},
        StreamErrorCase{"invalid_una", "UNA:+.A 'UNS'", 0, "invalid UNA service string advice"},
        StreamErrorCase{"stray_terminator", "UNS''", 1, "invalid delimiter byte 0x27 at offset 4"}),
    [](const auto& info) { return info.param.name; });

TEST(OwnedSegmentStream, FirstUnbOfVersion4BringsRepetitionsForGood) {
  const Outcome outcome = stream_parse("UNB+UNOC:4+S+R'UNB+UNOC:3+S+R'RFF+a*b'");
  ASSERT_FALSE(outcome.error);
  ASSERT_EQ(outcome.segments.size(), 3u);
  EXPECT_EQ(item(outcome.segments[2].elements, 0).repetitions.size(), 1u);

  // A UNA, or an override, settles the characters instead.
  for (std::string input : {"UNA:+.? 'UNB+UNOC:4+S+R'RFF+a*b'", "UNB+UNOC:4+S+R'RFF+a*b'"}) {
    ParserConfig config;
    if (!input.starts_with("UNA")) config.service_string_advice = ServiceStringAdvice::DEFAULT;
    const Outcome settled = stream_parse(input, config);
    ASSERT_FALSE(settled.error);
    EXPECT_EQ(item(item(settled.segments.at(1).elements, 0).components, 0).text, "a*b") << input;
    EXPECT_EQ(settled, slice_parse(input, config)) << input;
  }
}

TEST(OwnedSegmentStream, SourceFailureIsAnIoError) {
  const std::string input = "UNS'UNH+1+UTILMD:D:11A:UN:S2.1'UNS'";
  const Outcome outcome = stream_parse(std::make_unique<ChunkedSource>(input, 3, 20), {});
  EXPECT_EQ(outcome.segments.size(), 1u);
  EXPECT_EQ(outcome.error, "disk on fire");
  EXPECT_EQ(outcome.items_after_error, 0u);
}

// The limits behave the same in both entry points.
struct LimitCase {
  std::string name;
  std::string input;
  std::function<void(ParserConfig&)> configure;
  std::size_t segments_before;
  std::optional<std::string> message;
};

class Limits : public testing::TestWithParam<LimitCase> {};

TEST_P(Limits, AreCheckedPerSegment) {
  ParserConfig config;
  GetParam().configure(config);
  const Outcome from_slice = slice_parse(GetParam().input, config);
  EXPECT_EQ(from_slice.segments.size(), GetParam().segments_before);
  EXPECT_EQ(from_slice.error, GetParam().message);
  EXPECT_EQ(from_slice.items_after_error, 0u);
  EXPECT_EQ(stream_parse(GetParam().input, config), from_slice);
  EXPECT_EQ(stream_parse(GetParam().input, config, 1), from_slice);
}

const std::string TWO_MESSAGES = "UNH+1+X'UNT+2+1'UNH+2+X'UNT+2+2'";  // ends at byte 32

INSTANTIATE_TEST_SUITE_P(
    Configs, Limits,
    testing::Values(
        LimitCase{"segments_within", TWO_MESSAGES, [](ParserConfig& c) { c.max_segments = 4; }, 4, {}},
        LimitCase{"segments_over", TWO_MESSAGES, [](ParserConfig& c) { c.max_segments = 3; }, 3,
                  "input exceeded the configured max_segments limit of 3"},
        LimitCase{"messages_over", TWO_MESSAGES, [](ParserConfig& c) { c.max_messages = 1; }, 2,
                  "input exceeded the configured max_messages limit of 1"},
        LimitCase{"unclosed_message_is_not_counted", "UNH+1+X'UNH+2+X'UNT+2+2'",
                  [](ParserConfig& c) { c.max_messages = 1; }, 3, {}},
        LimitCase{"unt_without_unh_counts_nothing", "UNT+2+1'UNH+1+X'",
                  [](ParserConfig& c) { c.max_messages = 0; }, 1,
                  "input exceeded the configured max_messages limit of 0"},
        LimitCase{"bytes_exactly", TWO_MESSAGES + "\r\n\r\n", [](ParserConfig& c) { c.max_input_bytes = 32; }, 4, {}},
        LimitCase{"bytes_one_short", TWO_MESSAGES, [](ParserConfig& c) { c.max_input_bytes = 31; }, 3,
                  "input exceeded the configured max_input_bytes limit of 31"},
        LimitCase{"bytes_count_the_byte_order_mark", "\xEF\xBB\xBFUNS'",
                  [](ParserConfig& c) { c.max_input_bytes = 6; }, 0,
                  "input exceeded the configured max_input_bytes limit of 6"}),
    [](const auto& info) { return info.param.name; });

}  // namespace

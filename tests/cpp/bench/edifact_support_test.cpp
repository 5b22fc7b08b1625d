#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "edifact_support/input_census.hpp"
#include "edifact_support/interchange_generator.hpp"
#include "edifact_support/memchr_split.hpp"
#include "edifact_support/parse_calls.hpp"

namespace {

using bench::baseline::memchr_split;

struct SplitCase {
  std::string name;
  std::string input;
  std::size_t segments;
  std::size_t end_offset_sum;
  friend void PrintTo(const SplitCase& c, std::ostream* out) { *out << c.name; }
};

class MemchrSplit : public testing::TestWithParam<SplitCase> {};

TEST_P(MemchrSplit, CutsOnlyAtTerminatorsThatAreNotReleased) {
  const bench::baseline::SplitResult result = memchr_split(GetParam().input);
  EXPECT_EQ(result.segments, GetParam().segments);
  EXPECT_EQ(result.end_offset_sum, GetParam().end_offset_sum);
}

INSTANTIATE_TEST_SUITE_P(
    Inputs, MemchrSplit,
    testing::Values(SplitCase{"Empty", "", 0, 0}, SplitCase{"DefaultsWithoutUna", "UNH+1'BGM+E01'", 2, 6 + 14},
                    SplitCase{"ReleasedTerminatorStaysInTheSegment", "FTX+a?'b'", 1, 9},
                    SplitCase{"ReleasedReleaseCharacterDoesNotReleaseTheTerminator", "FTX+a?\?'B'", 2, 8 + 10},
                    SplitCase{"OddRunOfReleaseCharacters", "FTX+a?\?\?'b'", 1, 11},
                    SplitCase{"UnaCharactersAreNotASegment", "UNA:+.? 'UNH+1'", 1, 15},
                    SplitCase{"UnaNamesOtherCharacters", "UNA:+.! ~UNH+1'x~FTX+!~~", 2, 17 + 24},
                    SplitCase{"UnterminatedTailIsNoSegment", "UNH+1'BGM", 1, 6}),
    [](const testing::TestParamInfo<SplitCase>& info) { return info.param.name; });

TEST(InputCensus, CountsValuesAndThoseWithReleaseCharacters) {
  const bench::input::Census census = bench::input::take_census("UNA:+.? '\r\nDTM+137:2026?+00:303'\r\nNAD+Z09+Müller'");
  EXPECT_EQ(census.segments, 2u);
  EXPECT_EQ(census.values, 5u);
  EXPECT_EQ(census.released_values, 1u);
  EXPECT_EQ(census.line_break_bytes, 4u);
  EXPECT_EQ(census.non_ascii_bytes, 2u);
}

struct GeneratedCase {
  std::string name;
  std::string text;
  std::size_t smallest;
  std::size_t largest;
  friend void PrintTo(const GeneratedCase& c, std::ostream* out) { *out << c.name; }
};

class GeneratedInput : public testing::TestWithParam<GeneratedCase> {};

// The benchmarks abort on input that does not parse, and their ratios mean little unless the
// input is as mixed as promised and the baseline sees the same segments as the parse.
TEST_P(GeneratedInput, ParsesAndHoldsWhatTheBenchmarksPromise) {
  const std::string& text = GetParam().text;
  EXPECT_GE(text.size(), GetParam().smallest);
  EXPECT_LE(text.size(), GetParam().largest);
  ASSERT_TRUE(text.starts_with("UNA:+.? '"));

  const bench::calls::Parsed parsed = bench::calls::parse_slice(text);
  const bench::input::Census census = bench::input::take_census(text);
  const std::size_t segments = bench::calls::segment_count(parsed);
  EXPECT_EQ(segments, memchr_split(text).segments);
  EXPECT_EQ(segments, census.segments);
  EXPECT_EQ(bench::calls::segment_count(bench::calls::parse_stream(text)), segments);

  const double released = static_cast<double>(census.released_values) / static_cast<double>(census.values);
  EXPECT_GE(released, 0.05);
  EXPECT_LE(released, 0.07);
  EXPECT_GT(census.non_ascii_bytes, 0u);
  EXPECT_GE(census.line_break_bytes, 2 * census.segments);

  // Every UNT counts its message's segments, and the UNZ the messages. Read from the text, as
  // the generator ends every segment with a terminator and a line break.
  std::size_t messages = 0;
  std::size_t since_header = 0;
  std::string_view last_segment;
  std::string_view rest = std::string_view(text).substr(std::string_view("UNA:+.? '\r\n").size());
  for (std::size_t end; (end = rest.find("'\r\n")) != std::string_view::npos; rest.remove_prefix(end + 3)) {
    last_segment = rest.substr(0, end);
    if (last_segment.starts_with("UNH+")) since_header = 0;
    ++since_header;
    if (last_segment.starts_with("UNT+")) {
      ++messages;
      EXPECT_TRUE(last_segment.starts_with("UNT+" + std::to_string(since_header) + "+")) << last_segment;
    }
  }
  EXPECT_TRUE(rest.empty());
  EXPECT_EQ(last_segment, "UNZ+" + std::to_string(messages) + "+" + (messages == 1 ? "REF00002" : "REF00001"));
  EXPECT_FALSE(bench::calls::write_segments(parsed).empty());
}

INSTANTIATE_TEST_SUITE_P(
    Inputs, GeneratedInput,
    testing::Values(GeneratedCase{"Interchange", bench::input::interchange_of_size(400000), 400000, 400000 + 64 * 1024},
                    GeneratedCase{"SingleMessage", bench::input::single_message_interchange(), 1000, 1100}),
    [](const testing::TestParamInfo<GeneratedCase>& info) { return info.param.name; });

TEST(GeneratedInput, IsTheSameOnEveryCall) {
  EXPECT_EQ(bench::input::interchange_of_size(50000), bench::input::interchange_of_size(50000));
  EXPECT_EQ(bench::input::single_message_interchange(), bench::input::single_message_interchange());
}

}  // namespace

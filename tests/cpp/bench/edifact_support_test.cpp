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
  EXPECT_EQ(parsed.size(), memchr_split(text).segments);
  EXPECT_EQ(parsed.size(), census.segments);
  EXPECT_EQ(bench::calls::parse_stream(text).size(), parsed.size());

  const double released = static_cast<double>(census.released_values) / static_cast<double>(census.values);
  EXPECT_GE(released, 0.05);
  EXPECT_LE(released, 0.07);
  EXPECT_GT(census.non_ascii_bytes, 0u);
  EXPECT_GE(census.line_break_bytes, 2 * census.segments);

  // Every UNT counts its message's segments, and the UNZ the messages.
  std::size_t messages = 0;
  std::size_t since_header = 0;
  for (const edifact::model::Segment& segment : parsed) {
    if (segment.tag() == "UNH") since_header = 0;
    ++since_header;
    if (segment.tag() == "UNT") {
      ++messages;
      EXPECT_EQ(segment.elements[0].components[0].text, std::to_string(since_header));
    }
  }
  ASSERT_EQ(parsed.back().tag(), "UNZ");
  EXPECT_EQ(parsed.back().elements[0].components[0].text, std::to_string(messages));
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

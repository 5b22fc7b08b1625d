// The parse gathered at once: what it holds equals what the iterator yields, under limits too,
// and its segments stay sound after it is gone.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "edifact/parse/from_bytes.hpp"
#include "parse_oracle.hpp"

namespace {

using edifact::ParserConfig;
using edifact::tokenizer::scan::best_kernel;

struct LimitCase {
  std::string input;
  ParserConfig config;
};

class GatheredUnderLimits : public testing::TestWithParam<LimitCase> {};

TEST_P(GatheredUnderLimits, HoldsWhatTheIteratorYields) {
  const LimitCase& row = GetParam();
  const std::vector<std::string> expected = edifact_oracle::fast(row.input, row.config, best_kernel());
  EXPECT_EQ(edifact_oracle::gathered(row.input, row.config, best_kernel()), expected);
  const edifact::ParsedSegments parsed = edifact::parse_all(row.input, row.config);
  std::vector<std::string> indexed;
  for (const edifact::model::Segment segment : parsed) indexed.push_back(edifact_oracle::render(segment));
  if (parsed.error()) indexed.push_back(edifact_oracle::render(*parsed.error()));
  EXPECT_EQ(indexed, expected);
}

ParserConfig limited(std::optional<std::size_t> segments, std::optional<std::size_t> messages,
                     std::optional<std::size_t> bytes) {
  ParserConfig config;
  config.max_segments = segments;
  config.max_messages = messages;
  config.max_input_bytes = bytes;
  return config;
}

const std::string INTERCHANGE = "UNA:+.? 'UNB+UNOC:3+S+R'UNH+1+A'FTX+a?'b'UNT+3+1'UNH+2+A'UNT+2+2'UNZ+2+1'";

INSTANTIATE_TEST_SUITE_P(
    Inputs, GatheredUnderLimits,
    testing::Values(LimitCase{INTERCHANGE, {}}, LimitCase{INTERCHANGE, limited(3, {}, {})},
                    LimitCase{INTERCHANGE, limited({}, 1, {})}, LimitCase{INTERCHANGE, limited({}, {}, 40)},
                    LimitCase{"UNH+1'FTX+\xFF'UNT'", {}}, LimitCase{"UNA:+.?", {}}, LimitCase{"", {}},
                    LimitCase{"UNH+1'FTX+a'UNT+", limited(10, {}, {})}));

// Segments copied out of the walk, or moved out of a handle made by index, hold their document
// themselves; the sanitizer build catches any that does not.
TEST(GatheredSegments, OutliveTheParse) {
  std::vector<edifact::model::Segment> kept;
  {
    const edifact::ParsedSegments parsed = edifact::parse_all(INTERCHANGE, {});
    parsed.for_each([&](const edifact::model::Segment& segment) { kept.push_back(segment); });
    edifact::model::Segment moved = parsed[1];
    kept.push_back(std::move(moved));
  }
  ASSERT_EQ(kept.size(), 8u);
  EXPECT_EQ(kept[2].elements()[0].components()[0].text, "a'b");
  EXPECT_EQ(kept[7].tag(), "UNH");
}

}  // namespace

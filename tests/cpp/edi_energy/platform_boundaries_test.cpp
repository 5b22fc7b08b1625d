// The platform's parse at its edges: input of exactly the size limit, and control references
// that only one side of the envelope gives.
#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "edi_energy/platform/input_segments.hpp"
#include "edi_energy/platform/platform.hpp"

namespace {

using edi_energy::platform::MAX_INPUT_BYTES;
using edi_energy::platform::Platform;

const Platform& platform() {
  static const Platform made = Platform::with_all_profiles();
  return made;
}

constexpr std::string_view LIMIT_ERROR =
    "EDIFACT parse error: input exceeded the configured max_input_bytes limit of 10485760";

// `segments` joined by runs of line feeds to exactly `size` bytes, the last terminator being the
// last byte. Each run stays well below the longest segment, which whitespace before a segment
// may count toward.
std::string padded(const std::vector<std::string>& segments, std::size_t size) {
  std::size_t text = 0;
  for (const std::string& segment : segments) text += segment.size();
  const std::size_t gaps = segments.size() - 1;
  const std::size_t filler = size - text;
  std::string out;
  out.reserve(size);
  for (std::size_t index = 0; index < segments.size(); ++index) {
    if (index > 0) out.append(filler / gaps + (index - 1 < filler % gaps ? 1 : 0), '\n');
    out += segments[index];
  }
  return out;
}

// An MSCONS message with enough segments that the gaps between them can fill the limit.
std::vector<std::string> message_segments() {
  std::vector<std::string> segments = {"UNH+1+MSCONS:D:04B:UN:2.4c'", "BGM+7+M1+9'", "NAD+MS+S1::293'",
                                       "NAD+MR+R1::293'"};
  for (int i = 0; i < 300; ++i) segments.emplace_back("DTM+137:20260501:102'");
  segments.emplace_back("UNT+305+1'");
  return segments;
}

struct LimitCase {
  const char* name;
  bool interchange;
  std::size_t size;
  bool accepted;
};

class InputSizeLimit : public testing::TestWithParam<LimitCase> {};

TEST_P(InputSizeLimit, HoldsAtExactlyTheLimitAndNotOneByteMore) {
  std::vector<std::string> segments = message_segments();
  if (GetParam().interchange) {
    segments.insert(segments.begin(), "UNB+UNOC:3+S1:500+R1:500+260501:1200+REF1'");
    segments.emplace_back("UNZ+1+REF1'");
  }
  const std::string input = padded(segments, GetParam().size);
  ASSERT_EQ(input.size(), GetParam().size);
  ASSERT_EQ(input.back(), '\'');
  std::string outcome;
  if (GetParam().interchange) {
    const auto parsed = platform().parse_interchange_full(input);
    outcome = parsed ? "messages: " + std::to_string(parsed->messages.size()) : parsed.error().message();
  } else {
    const auto parsed = platform().parse(input);
    outcome = parsed ? "messages: 1" : parsed.error().message();
  }
  EXPECT_EQ(outcome, GetParam().accepted ? std::string("messages: 1") : std::string(LIMIT_ERROR));
}

INSTANTIATE_TEST_SUITE_P(Platform, InputSizeLimit,
                         testing::Values(LimitCase{"interchange_at_limit", true, MAX_INPUT_BYTES, true},
                                         LimitCase{"interchange_one_over", true, MAX_INPUT_BYTES + 1, false},
                                         LimitCase{"bare_at_limit", false, MAX_INPUT_BYTES, true},
                                         LimitCase{"bare_one_over", false, MAX_INPUT_BYTES + 1, false}),
                         [](const auto& info) { return std::string(info.param.name); });

// An absent or empty UNB reference is compared like any other: only an absent UNZ one is not.
struct ReferenceCase {
  const char* name;
  std::string unb;
  std::string unz;
  std::string outcome;
};

class ControlReference : public testing::TestWithParam<ReferenceCase> {};

TEST_P(ControlReference, IsComparedWheneverTheUnzGivesOne) {
  const std::vector<std::string> message = message_segments();
  std::string input = GetParam().unb;
  for (const std::string& segment : message) input += segment;
  input += GetParam().unz;
  const auto parsed = platform().parse_interchange_full(input);
  EXPECT_EQ(parsed ? std::string("parsed") : parsed.error().message(), GetParam().outcome);
}

INSTANTIATE_TEST_SUITE_P(
    Platform, ControlReference,
    testing::Values(
        ReferenceCase{"unb_without_reference", "UNB+UNOC:3+S1:500+R1:500+260501:1200'", "UNZ+1+REF1'",
                      "interchange control reference mismatch: UNB has \"\" but UNZ has \"REF1\""},
        ReferenceCase{"unb_with_empty_reference", "UNB+UNOC:3+S1:500+R1:500+260501:1200+'", "UNZ+1+REF1'",
                      "interchange control reference mismatch: UNB has \"\" but UNZ has \"REF1\""},
        ReferenceCase{"neither_gives_one", "UNB+UNOC:3+S1:500+R1:500+260501:1200'", "UNZ+1'", "parsed"},
        ReferenceCase{"only_unb_gives_one", "UNB+UNOC:3+S1:500+R1:500+260501:1200+REF1'", "UNZ+1'", "parsed"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace

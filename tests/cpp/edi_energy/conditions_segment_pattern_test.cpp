// Segment patterns: reading them from condition words and matching them against segments.
#include <gtest/gtest.h>

#include <vector>

#include "conditions_render.hpp"
#include "edi_energy/profile/conditions/segment_pattern.hpp"

namespace {

namespace conditions = edi_energy::profile::conditions;
using conditions::SegmentPattern;
using conditions_test::render;
using edifact::model::Segment;

TEST(SegmentPatternParse, ReadsElementsComponentsAndAlternatives) {
  const std::pair<std::string_view, std::string_view> cases[] = {
      {"NAD", "NAD"},
      {"NAD+", "NAD"},
      {"SEQ+Z01/Z98", "SEQ[Z01/Z98]"},
      {"CCI+++ZC0", "CCI[][][ZC0]"},
      {"PIA+5+1-b?:9.99.0", "PIA[5][1-b:9.99.0]"},
      {"FTX+A?+B+C:D", "FTX[A+B][C,D]"},
      {"FTX+A??+B", "FTX[A??][B]"},  // "??" is a released "?"; the "+" separates
      {"NAD+MS+9900:XXX:293", "NAD[MS][9900,*,293]"},
      {"NAD+MS+xxxx::xX", "NAD[MS][*,*,xX]"},
      {"NAD+xXx", "NAD[*]"},
      {"LOC+172).", "LOC[172]"},
      {"SEQ+Z01/", "SEQ[Z01/]"},
      {"RFF+Z13:", "RFF[Z13,*]"},
      {"nad+MS", ""},
      {"Nad", ""},
      {"NA+MS", ""},
      {"NADX", ""},
      {"NAD1+MS", ""},
      {"N1D+MS", ""},
      {"", ""},
      {"ÄAD+1", ""},
  };
  for (const auto& [token, rendering] : cases) {
    auto pattern = SegmentPattern::parse(token);
    EXPECT_EQ(pattern ? render(*pattern) : "", rendering) << token;
  }
}

TEST(SplitUnescaped, KeepsReleasedSeparatorsAndEmptyPieces) {
  using Pieces = std::vector<std::string_view>;
  const std::pair<std::string_view, Pieces> cases[] = {
      {"", {}},
      {"a", {"a"}},
      {"a+b", {"a", "b"}},
      {"+", {"", ""}},
      {"a?+b+c", {"a?+b", "c"}},
      {"a??+b", {"a??", "b"}},
      {"a?", {"a?"}},
      {"?\u00E4+b", {"?\u00E4", "b"}},
  };
  for (const auto& [text, pieces] : cases) EXPECT_EQ(conditions::split_unescaped(text, '+'), pieces) << text;
}

struct MatchCase {
  std::string_view pattern;
  Segment segment;
  bool matches;
};

TEST(SegmentPatternMatches, ComparesTagComponentsAndPlaceholders) {
  const MatchCase cases[] = {
      {"SEQ", Segment::from_texts("SEQ", {{"Z01"}}), true},
      {"SEQ", Segment::from_texts("SEG", {{"Z01"}}), false},
      {"SEQ+Z01/Z98", Segment::from_texts("SEQ", {{"Z98"}, {"1"}}), true},
      {"SEQ+Z01/Z98", Segment::from_texts("SEQ", {{"Z99"}}), false},
      {"SEQ+Z01", Segment::from_texts("SEQ", {{"z01"}}), false},
      {"SEQ+Z01", Segment::from_texts("SEQ", {}), false},
      {"CCI+++ZC0", Segment::from_texts("CCI", {{}, {"x"}, {"ZC0"}}), true},
      {"CCI+++ZC0", Segment::from_texts("CCI", {{}, {}}), false},
      {"CCI+++ZC0", Segment::from_texts("CCI", {{}, {}, {"ZC1"}}), false},
      {"NAD+MS+9900:XXX:293", Segment::from_texts("NAD", {{"MS"}, {"9900", "", "293"}}), true},
      {"NAD+MS+9900:XXX:293", Segment::from_texts("NAD", {{"MS"}, {"9900", "", "9"}}), false},
      {"NAD+MS+9900:XXX:293", Segment::from_texts("NAD", {{"MS"}, {"9900"}}), false},
      {"NAD+MS+:xxx", Segment::from_texts("NAD", {{"MS"}}), true},  // wildcards beyond the last element
      {"PIA+5+1-b?:9.99.0", Segment::from_texts("PIA", {{"5"}, {"1-1:9.99.0", "SRW"}}), true},
      {"PIA+5+1-b?:9.99.0", Segment::from_texts("PIA", {{"5"}, {"1-12:9.99.0"}}), true},
      {"PIA+5+1-b?:9.99.0", Segment::from_texts("PIA", {{"5"}, {"1-\u00E4:9.99.0"}}), true},
      {"PIA+5+1-b?:9.99.0", Segment::from_texts("PIA", {{"5"}, {"2-1:9.99.0"}}), false},
      {"PIA+5+1-b?:9.99.0", Segment::from_texts("PIA", {{"5"}, {"1-1"}, {"9.99.0"}}), false},
      {"FTX+A?+B", Segment::from_texts("FTX", {{"A+B"}}), true},
      {"SEQ+Z01/", Segment::from_texts("SEQ", {{""}}), true},
  };
  for (const MatchCase& c : cases) {
    auto pattern = SegmentPattern::parse(c.pattern);
    ASSERT_TRUE(pattern.has_value()) << c.pattern;
    EXPECT_EQ(pattern->matches(c.segment), c.matches) << c.pattern << " against " << c.segment.tag();
  }
}

// A placeholder stands for a whole group of an OBIS code, however many digits it has.
TEST(SegmentPatternMatches, PlaceholderTakesOneGroupUpToTheNextLiteral) {
  const std::pair<std::string_view, bool> cases[] = {
      {"7-20:3.0.0", true},  {"7-1:3.0.0", true},    {"7-:3.0.0", false},   {"7-20:3.0.1", false},
      {"7-203.0.0", false},  {"7-20:3.0.0.0", false}, {"8-20:3.0.0", false}, {"7-2:0:3.0.0", false},
  };
  const SegmentPattern gas = *SegmentPattern::parse("PIA+5+7-b?:3.0.0");
  for (const auto& [code, matches] : cases) {
    EXPECT_EQ(gas.matches(Segment::from_texts("PIA", {{"5"}, {code}})), matches) << code;
  }
  // At the end of the alternative the group runs to the end of the value.
  const SegmentPattern tail = *SegmentPattern::parse("PIA+5+1-b?:1.8.e");
  EXPECT_TRUE(tail.matches(Segment::from_texts("PIA", {{"5"}, {"1-1:1.8.10"}})));
  EXPECT_FALSE(tail.matches(Segment::from_texts("PIA", {{"5"}, {"1-1:1.8."}})));
  EXPECT_FALSE(tail.matches(Segment::from_texts("PIA", {{"5"}, {"1-1:1.9.0"}})));
}

TEST(SegmentPatternChains, MatchInOrderOnDistinctSegmentsAndCount) {
  const std::vector<Segment> segments{
      Segment::from_texts("SEQ", {{"Z01"}}), Segment::from_texts("CCI", {{"Z19"}}),
      Segment::from_texts("SEQ", {{"Z02"}}), Segment::from_texts("CCI", {{"Z19"}}),
  };
  const auto chain = [](std::initializer_list<std::string_view> tokens) {
    std::vector<SegmentPattern> patterns;
    for (std::string_view token : tokens) patterns.push_back(*SegmentPattern::parse(token));
    return patterns;
  };
  const std::pair<std::vector<SegmentPattern>, bool> cases[] = {
      {chain({}), true},
      {chain({"SEQ+Z01", "CCI"}), true},
      {chain({"SEQ+Z02", "CCI"}), true},
      {chain({"CCI", "SEQ+Z01"}), false},
      {chain({"CCI", "CCI"}), true},
      {chain({"CCI", "CCI", "CCI"}), false},
      {chain({"SEQ", "SEQ", "CCI"}), true},
  };
  for (const auto& [patterns, expected] : cases) {
    EXPECT_EQ(conditions::matches_in_order(patterns, segments), expected) << patterns.size();
  }
  EXPECT_EQ(conditions::count_matches(*SegmentPattern::parse("CCI+Z19"), segments), 2u);
  EXPECT_EQ(conditions::count_matches(*SegmentPattern::parse("SEQ+Z03"), segments), 0u);
}

}  // namespace

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "zelk/events/matcher.hpp"

namespace {

using zelk_events::matches;

struct MatchCase {
  std::string_view pattern;
  std::string_view event_type;
  bool expected;
};

class MatchesTest : public testing::TestWithParam<MatchCase> {};

TEST_P(MatchesTest, DecidesWholeTextMatch) {
  const MatchCase& c = GetParam();
  EXPECT_EQ(matches(c.pattern, c.event_type), c.expected)
      << "pattern \"" << c.pattern << "\" type \"" << c.event_type << "\"";
}

INSTANTIATE_TEST_SUITE_P(
    Patterns, MatchesTest,
    testing::Values(
        MatchCase{"de.zelk.*", "de.zelk.process.initiated", true},
        MatchCase{"de.zelk.*", "de.zelk.", true},
        MatchCase{"de.zelk.*", "de.zelk", false},
        MatchCase{"de.zelk", "de.zelk.process.initiated", false},
        MatchCase{"de.*.initiated", "de.zelk.process.initiated", true},
        MatchCase{"de.*.initiated", "de.zelk.process.initiated.not", false},
        MatchCase{"de.z?lk.process.?nitiated", "de.zelk.process.initiated", true},
        MatchCase{"de.zelk.process.?nitiated", "de.zelk.process.nitiated", false},
        MatchCase{"DE.ZELK.*", "de.zelk.process.initiated", false},
        MatchCase{"*", "", true},
        MatchCase{"*", "anything at all", true},
        MatchCase{"**", "", true},
        MatchCase{"**", "de.zelk.process.initiated", true},
        MatchCase{"", "", true},
        MatchCase{"", "de", false},
        MatchCase{"?", "", false},
        MatchCase{"*?", "", false},
        MatchCase{"de.*.rechnung.*", "de.billing.rechnung.erstellt", true},
        MatchCase{"de.*.missing", "de.gabi.alocat.missing", true},
        MatchCase{"*.missing", "de.gabi.alocat.missing.late", false},
        // Only the last star backtracks, which still finds this split.
        MatchCase{"*a*b", "xaxaxbxb", true},
        MatchCase{"*ab", "aab", true},
        // "?" is one character, also where that character takes several bytes.
        MatchCase{"de.?", "de.\xC3\xA4", true},
        MatchCase{"de.??", "de.\xC3\xA4", false},
        MatchCase{"de.\xC3\xA4*", "de.\xC3\xA4rger", true},
        MatchCase{"?\xE2\x82\xAC?", "a\xE2\x82\xAC\xF0\x9F\x98\x80", true},
        // A "*" in the pattern facing a "*" in the type is consumed as a literal first.
        MatchCase{"de.*", "de.*", true},
        MatchCase{"*x", "*yx", false},
        // Bytes that are no UTF-8 count as one character each and equal only themselves.
        MatchCase{"?", "\xFF", true},
        MatchCase{"\xFF", "\xFF", true},
        MatchCase{"\xFF", "\xFE", false},
        MatchCase{"a?c", "a\xC3" "c", true},
        MatchCase{"*\xC3", "ab\xC3", true}));

// Textbook glob semantics by dynamic programming, for types without "*" (where the literal-star
// rule cannot apply and single-star backtracking must agree with full search).
bool reference_match(std::string_view pattern, std::string_view text) {
  std::vector<std::vector<bool>> table(pattern.size() + 1, std::vector<bool>(text.size() + 1));
  table[pattern.size()][text.size()] = true;
  for (std::size_t p = pattern.size(); p-- > 0;) {
    for (std::size_t t = text.size() + 1; t-- > 0;) {
      if (pattern[p] == '*') {
        table[p][t] = table[p + 1][t] || (t < text.size() && table[p][t + 1]);
      } else {
        table[p][t] = t < text.size() && (pattern[p] == '?' || pattern[p] == text[t]) &&
                      table[p + 1][t + 1];
      }
    }
  }
  return table[0][0];
}

std::vector<std::string> all_words(std::string_view alphabet, std::size_t max_length) {
  std::vector<std::string> words{""};
  for (std::size_t from = 0; from < words.size(); ++from) {
    if (words[from].size() == max_length) continue;
    for (char c : alphabet) words.push_back(words[from] + c);
  }
  return words;
}

TEST(Matches, AgreesWithFullSearchOnAllSmallInputs) {
  const std::vector<std::string> patterns = all_words("ab*?", 5);
  const std::vector<std::string> texts = all_words("ab", 6);
  for (const std::string& pattern : patterns) {
    for (const std::string& text : texts) {
      ASSERT_EQ(matches(pattern, text), reference_match(pattern, text))
          << "pattern \"" << pattern << "\" text \"" << text << "\"";
    }
  }
}

TEST(Matches, HostilePatternsFinish) {
  // Each failed attempt costs a full scan of the run of "a"; exhaustive backtracking over many
  // stars would never finish here.
  std::string many_stars;
  for (int star = 0; star < 300; ++star) many_stars += "*a";
  const std::string text(3000, 'a');
  EXPECT_FALSE(matches(many_stars + "b", text));
  EXPECT_TRUE(matches(many_stars, text));
  EXPECT_FALSE(matches("*" + std::string(300, 'a') + "b", text));
  EXPECT_TRUE(matches("*" + std::string(300, 'a') + "b", text + "b"));
}

}  // namespace

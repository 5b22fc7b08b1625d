#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "zelk/events/matcher.hpp"

namespace {

using zelk_events::matches;

TEST(Matches, DecidesWholeTextMatch) {
  const std::tuple<std::string_view, std::string_view, bool> cases[] = {
      {"de.zelk.*", "de.zelk.", true},
      {"de.zelk.*", "de.zelk", false},
      {"de.*.initiated", "de.zelk.process.initiated", true},
      {"de.*.initiated", "de.zelk.process.initiated.not", false},
      {"de.z?lk.process.?nitiated", "de.zelk.process.initiated", true},
      {"DE.ZELK.*", "de.zelk.process.initiated", false},
      {"**", "", true},
      {"*?", "", false},
      // "?" is one character, also where that character takes several bytes.
      {"de.?", "de.\xC3\xA4", true},
      {"de.??", "de.\xC3\xA4", false},
      {"?\xE2\x82\xAC?", "a\xE2\x82\xAC\xF0\x9F\x98\x80", true},
      // A "*" in the pattern facing a "*" in the type is consumed as a literal first.
      {"de.*", "de.*", true},
      {"*x", "*yx", false},
      // Bytes that are no UTF-8 count as one character each and equal only themselves.
      {"?", "\xFF", true},
      {"\xFF", "\xFE", false},
      {"a?c", "a\xC3" "c", true},
      {"*\xC3", "ab\xC3", true}};
  for (const auto& [pattern, event_type, expected] : cases) {
    EXPECT_EQ(matches(pattern, event_type), expected) << "pattern \"" << pattern << "\" type \"" << event_type << "\"";
  }
}

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

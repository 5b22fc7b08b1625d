// Finding the segment a Voraussetzung names, its scope group, and the chain of segments it asks
// for.
#include <algorithm>
#include <array>

#include "edi_energy/profile/conditions/text_tokens.hpp"
#include "edi_energy/profile/conditions/voraussetzung_reading.hpp"
#include "edi_energy/profile/unicode_text.hpp"

namespace edi_energy::profile::conditions::reading {
namespace {

namespace ut = unicode_text;

bool one_of(std::string_view word, std::span<const std::string_view> choices) {
  return std::find(choices.begin(), choices.end(), word) != choices.end();
}

constexpr std::array<std::string_view, 7> scope_words{"diese", "dieser", "diesem", "selben",
                                                      "dieselbe", "derselben", "demselben"};
constexpr std::array<std::string_view, 8> articles{"einen", "eine", "kein", "keine", "das", "der", "die", "ein"};
constexpr std::array<std::string_view, 7> same_instance_words{"diese",  "dieser",    "diesem",   "dieses",
                                                              "selben", "derselben", "demselben"};

std::optional<std::string> group_of(std::string_view word) { return group_name(strip_group_punctuation(word)); }

// "SEQ+Z01": three capitals, "+" and more.
bool is_qualified_segment_word(std::string_view word) {
  word = strip_trailing(word);
  return word.size() > 4 && word[3] == '+' &&
         std::all_of(word.begin(), word.begin() + 3, ut::is_ascii_upper);
}

bool precedes_slash_segment(std::string_view rest) {
  return rest.size() >= 4 && std::all_of(rest.begin(), rest.begin() + 3, ut::is_ascii_upper) && rest[3] == '+';
}

}  // namespace

std::string repair_wrapped_patterns(std::string_view text) {
  std::string repaired;
  repaired.reserve(text.size());
  bool pattern_mode = false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == ' ' && pattern_mode) {
      const bool after_joint =
          !repaired.empty() && std::string_view("+-/:").find(repaired.back()) != std::string_view::npos;
      const bool before_value = i + 1 < text.size() && (text[i + 1] == '?' || ut::is_ascii_alnum(text[i + 1]));
      if (after_joint && before_value) continue;
      pattern_mode = false;
    } else if (c == '+' && repaired.size() >= 3 &&
               std::all_of(repaired.end() - 3, repaired.end(), ut::is_ascii_upper)) {
      pattern_mode = true;
    }
    repaired.push_back(c);
  }
  return repaired;
}

std::optional<Located> locate_pattern(const Words& words) {
  Located located;
  for (std::size_t i = 0; i + 1 < words.size(); ++i) {
    if (!one_of(words[i], scope_words)) continue;
    if (auto group = group_of(words[i + 1])) {
      located.group = std::move(group);
      break;
    }
  }
  bool group_just_seen = false;
  for (std::size_t i = 0; i < words.size(); ++i) {
    if (auto group = group_of(words[i])) {
      if (!located.group) located.group = std::move(group);
      group_just_seen = true;
      continue;
    }
    const bool after_group = group_just_seen;
    group_just_seen = false;
    if (i == 0 || !is_segment_token(words[i])) continue;
    const bool article_follows = i + 1 < words.size() && one_of(words[i + 1], articles);
    if (words[i].find('+') != std::string_view::npos || !after_group || !article_follows) {
      located.index = i;
      return located;
    }
    // "SG27 LIN ein PIA+Z02": the bare tag introduces the segment that the article announces.
    located.index = i;
    for (std::size_t j = i + 2; j < words.size(); ++j) {
      if (is_segment_token(words[j])) {
        located.index = j;
        break;
      }
    }
    return located;
  }
  return std::nullopt;
}

Chain segment_chain(const Words& words, std::size_t located) {
  std::vector<std::size_t> indices{located};
  for (std::size_t i = located + 1; i < words.size(); ++i) {
    if (is_qualified_segment_word(words[i])) indices.push_back(i);
  }
  if (indices.size() >= 2) {
    std::vector<std::size_t> kept;
    for (std::size_t index : indices) {
      bool same_instance = false;
      for (std::size_t back = index >= 4 ? index - 4 : 0; back < index; ++back) {
        same_instance = same_instance || one_of(ut::to_lower(words[back]), same_instance_words);
      }
      if (!same_instance) kept.push_back(index);
    }
    if (!kept.empty()) indices = std::move(kept);
  }
  Chain chain;
  for (std::size_t index : indices) {
    std::string_view word = strip_trailing(words[index]);
    std::size_t piece_start = 0;
    for (std::size_t slash = word.find('/'); slash != std::string_view::npos; slash = word.find('/', slash + 1)) {
      if (!precedes_slash_segment(word.substr(slash + 1))) continue;
      auto pattern = SegmentPattern::parse(word.substr(piece_start, slash - piece_start));
      if (!pattern) return {};
      chain.patterns.push_back(std::move(*pattern));
      piece_start = slash + 1;
    }
    auto pattern = SegmentPattern::parse(word.substr(piece_start));
    if (!pattern) return {};
    chain.patterns.push_back(std::move(*pattern));
  }
  for (std::size_t k = 0; k + 1 < indices.size() && !chain.any; ++k) {
    for (std::size_t between = indices[k] + 1; between < indices[k + 1]; ++between) {
      if (ut::to_lower(words[between]) == "oder") chain.any = true;
    }
  }
  return chain;
}

}  // namespace edi_energy::profile::conditions::reading

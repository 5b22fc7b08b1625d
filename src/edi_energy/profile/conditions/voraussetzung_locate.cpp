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

// "CAV E06": a bare tag with its code in the next word.
std::optional<std::string> tag_with_code(const Words& words, std::size_t index) {
  if (index + 1 >= words.size()) return std::nullopt;
  const std::string_view tag = words[index];
  const std::string_view code = strip_trailing(words[index + 1]);
  const auto code_char = [](char c) { return ut::is_ascii_upper(c) || ut::is_ascii_digit(c); };
  const bool bare_tag = tag.size() == 3 && std::all_of(tag.begin(), tag.end(), ut::is_ascii_upper);
  const bool code_shape = code.size() >= 2 && code.size() <= 3 && ut::is_ascii_upper(code.front()) &&
                          std::all_of(code.begin(), code.end(), code_char) &&
                          std::any_of(code.begin(), code.end(), ut::is_ascii_digit);
  if (!bare_tag || !code_shape) return std::nullopt;
  return std::string(tag) + "+" + std::string(code);
}

// The patterns of the words at `indices`.
bool append_patterns(const Words& words, const std::vector<std::size_t>& indices, std::vector<SegmentPattern>& out) {
  for (std::size_t index : indices) {
    std::optional<std::vector<SegmentPattern>> patterns = patterns_of_word(words, index);
    if (!patterns) return false;
    for (SegmentPattern& pattern : *patterns) out.push_back(std::move(pattern));
  }
  return true;
}

bool is_segment_word(std::string_view word) {
  return is_segment_token(word.substr(0, std::min(word.find('('), word.size())));
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
      const auto value_at = [&](std::size_t at) {
        return at < text.size() && (text[at] == '?' || ut::is_ascii_alnum(text[at]));
      };
      const auto past_blanks = [&](std::size_t at) {
        while (at < text.size() && text[at] == ' ') ++at;
        return at;
      };
      // Lists are written with blanks on either side of the slash: "A04/ A05 /A13 / A14", and
      // sometimes more than one.
      const std::size_t next = past_blanks(i + 1);
      const bool before_slash = next < text.size() && text[next] == '/' && value_at(past_blanks(next + 1));
      if ((after_joint && value_at(next)) || before_slash) {
        i = next - 1;
        continue;
      }
      pattern_mode = false;
    } else if (c == '+' && repaired.size() >= 3 &&
               std::all_of(repaired.end() - 3, repaired.end(), ut::is_ascii_upper)) {
      pattern_mode = true;
    }
    repaired.push_back(c);
  }
  return repaired;
}

std::optional<std::vector<SegmentPattern>> patterns_of_word(const Words& words, std::size_t index) {
  const std::optional<std::string> joined = tag_with_code(words, index);
  const std::string_view word = joined ? std::string_view(*joined) : strip_trailing(words[index]);
  std::vector<SegmentPattern> out;
  std::size_t piece_start = 0;
  for (std::size_t slash = word.find('/'); slash != std::string_view::npos; slash = word.find('/', slash + 1)) {
    if (!precedes_slash_segment(word.substr(slash + 1))) continue;
    auto pattern = SegmentPattern::parse(word.substr(piece_start, slash - piece_start));
    if (!pattern) return std::nullopt;
    out.push_back(std::move(*pattern));
    piece_start = slash + 1;
  }
  auto pattern = SegmentPattern::parse(word.substr(piece_start));
  if (!pattern) return std::nullopt;
  out.push_back(std::move(*pattern));
  return out;
}

std::optional<std::size_t> holder_of(const Words& words, const std::vector<char>& described, std::size_t de_index) {
  // "im DE4347 des PIA Z02", "im DE3155 in demselben COM": the words after the data element
  // name its segment.
  std::size_t next = de_index + 1;
  while (next < words.size() && described[next]) ++next;
  if (next < words.size() && one_of(ut::to_lower(words[next]), std::array<std::string_view, 3>{"des", "in", "im"})) {
    ++next;
    while (next < words.size() && one_of(ut::to_lower(words[next]), same_instance_words)) ++next;
    if (next < words.size() && !described[next] && is_segment_word(words[next])) return next;
  }
  for (std::size_t before = de_index; before-- > 0;) {
    if (!described[before] && is_segment_word(words[before])) return before;
  }
  return std::nullopt;
}

std::optional<std::vector<SegmentPattern>> companions_of(const Words& words, const std::vector<char>& described,
                                                         std::size_t holder) {
  std::vector<SegmentPattern> companions;
  for (std::size_t i = 1; i < words.size(); ++i) {
    if (i == holder || described[i] || !is_segment_word(words[i])) continue;
    // A bare tag names a group's instance ("derselben SG27 LIN") or is a code of its own; only a
    // tag with its code in the next word ("CAV E06") asks for a segment.
    const bool joined = tag_with_code(words, i).has_value();
    if (!joined && words[i].find('+') == std::string_view::npos) continue;
    std::optional<std::vector<SegmentPattern>> patterns = patterns_of_word(words, i);
    if (!patterns) return std::nullopt;
    if (joined) ++i;
    for (SegmentPattern& pattern : *patterns) companions.push_back(std::move(pattern));
  }
  return companions;
}

std::optional<Located> locate_pattern(const Words& words) {
  Located located;
  for (std::size_t i = 0; i + 1 < words.size(); ++i) {
    if (!one_of(words[i], scope_words)) continue;
    if (auto group = group_of(words[i + 1])) {
      located.group = std::move(group);
      located.reach = Reach::Around;
      break;
    }
    // "in dieser SG": the instance of the group the text names.
    if (strip_group_punctuation(words[i + 1]) == "SG") located.reach = Reach::Around;
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
    if (is_qualified_segment_word(words[i]) || tag_with_code(words, i)) indices.push_back(i);
  }
  std::vector<std::size_t> companions;
  if (indices.size() >= 2) {
    std::vector<std::size_t> kept;
    for (std::size_t index : indices) {
      bool same_instance = false;
      bool names_group = false;  // "derselben SG10 …", not "derselben Nachricht"
      for (std::size_t back = index >= 4 ? index - 4 : 0; back < index; ++back) {
        if (!one_of(ut::to_lower(words[back]), same_instance_words)) continue;
        same_instance = true;
        names_group = names_group || group_of(words[back + 1]).has_value();
      }
      if (!same_instance) {
        kept.push_back(index);
      } else if (names_group) {
        companions.push_back(index);
      }
    }
    if (kept.empty()) {
      companions.clear();
    } else {
      indices = std::move(kept);
    }
  }
  Chain chain;
  if (!append_patterns(words, indices, chain.patterns) || !append_patterns(words, companions, chain.companions)) {
    return {};
  }
  for (std::size_t k = 0; k + 1 < indices.size() && !chain.any; ++k) {
    for (std::size_t between = indices[k] + 1; between < indices[k + 1]; ++between) {
      if (ut::to_lower(words[between]) == "oder") chain.any = true;
    }
  }
  return chain;
}

}  // namespace edi_energy::profile::conditions::reading

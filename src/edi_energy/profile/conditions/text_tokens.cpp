#include "edi_energy/profile/conditions/text_tokens.hpp"

#include <algorithm>
#include <array>

#include "edi_energy/profile/unicode_text.hpp"

namespace edi_energy::profile::conditions {
namespace {

namespace ut = unicode_text;

std::string_view strip_any(std::string_view word, std::string_view characters) {
  while (!word.empty() && characters.find(word.back()) != std::string_view::npos) word.remove_suffix(1);
  return word;
}

constexpr std::array<std::string_view, 4> quote_marks{"\"", "\u201E", "\u201C", "\u201D"};

bool opens_quote(std::string_view word) {
  return word.starts_with("\"") || word.starts_with("\u201E") || word.starts_with("\u201C");
}

bool closes_quote(std::string_view word) {
  word = strip_any(word, ",.;:");
  return word.ends_with("\"") || word.ends_with("\u201C") || word.ends_with("\u201D");
}

// A code, a data element or a segment, which a name in quotes may follow.
bool names_a_thing(std::string_view word) {
  word = strip_any(word, ",.;:");
  const auto code_char = [](char c) { return ut::is_ascii_upper(c) || ut::is_ascii_digit(c) || c == '_'; };
  const bool code = word.size() >= 2 && std::all_of(word.begin(), word.end(), code_char);
  return code || is_de_token(word) || is_segment_token(word);
}

// 'RFF "Referenz auf die Lokationsbündelstruktur"', 'der Code Z31 "Lokationsbündelstruktur"': a
// quoted name after a code, a data element or a segment narrows nothing. A quoted code ("01",
// „DE“) is a value and stays.
void mark_quoted_names(const std::vector<std::string_view>& words, std::vector<char>& described) {
  for (std::size_t i = 1; i < words.size(); ++i) {
    if (described[i] || !opens_quote(words[i]) || described[i - 1] || !names_a_thing(words[i - 1])) continue;
    std::size_t end = i;
    const bool single = closes_quote(words[i]) && strip_any(words[i], ",.;:").size() > 1;
    if (!single) {
      for (++end; end < words.size() && !closes_quote(words[end]); ++end) {
      }
    }
    if (end == words.size()) return;
    const bool has_lower = std::any_of(words.begin() + static_cast<std::ptrdiff_t>(i),
                                       words.begin() + static_cast<std::ptrdiff_t>(end) + 1, [](std::string_view w) {
                                         return std::any_of(w.begin(), w.end(), ut::is_ascii_lower);
                                       });
    if (!has_lower) continue;
    for (std::size_t k = i; k <= end; ++k) described[k] = 1;
    i = end;
  }
}

}  // namespace

std::string_view strip_trailing(std::string_view word) { return strip_any(word, ",.;)"); }

std::string_view strip_group_punctuation(std::string_view word) { return strip_any(word, ",.;"); }

std::string_view trim_quotes(std::string_view text) {
  for (bool trimmed = true; trimmed;) {
    trimmed = false;
    for (std::string_view mark : quote_marks) {
      if (text.starts_with(mark)) text.remove_prefix(mark.size()), trimmed = true;
      if (text.ends_with(mark)) text.remove_suffix(mark.size()), trimmed = true;
    }
  }
  return text;
}

bool is_de_token(std::string_view word) {
  return word.size() == 6 && word.starts_with("DE") && ut::all_ascii_digits(word.substr(2));
}

std::optional<std::string> group_name(std::string_view word) {
  std::string_view digits;
  if (word.starts_with("SG")) {
    digits = word.substr(2);
  } else if (word.starts_with('S')) {
    digits = word.substr(1);
  } else {
    return std::nullopt;
  }
  if (!ut::all_ascii_digits(digits)) return std::nullopt;
  return "SG" + std::string(digits);
}

bool is_segment_token(std::string_view word) {
  const std::string_view tag = word.substr(0, std::min(word.find('+'), word.size()));
  return tag.size() == 3 && std::all_of(tag.begin(), tag.end(), ut::is_ascii_upper);
}

bool is_precondition(std::string_view text) {
  const std::string lowered = ut::to_lower(ut::trim_white_start(text));
  return lowered.starts_with("wenn ") || lowered.starts_with("falls ") || lowered.starts_with("sofern ");
}

bool names_a_relation(std::string_view lowered) {
  // The last three compare a party's role or its ID with another party's, which the segments
  // alone cannot tell.
  static constexpr std::array<std::string_view, 21> markers{
      "eine weitere", "ein weiteres", "einer weiteren", "einem weiteren", "wenn zwei ", "wenn drei ",
      "mit derselben", "mit demselben", "identisch", "gleiche", "gleichen", "wie ein",
      "\u00E4\u00DFer ist als", "kleiner ist als", "aus dem cluster", "codeliste", "genannte", "genannten",
      "mit rolle ", "in der rolle ", "dieselbe mp-id",
  };
  return std::any_of(markers.begin(), markers.end(),
                     [&](std::string_view marker) { return lowered.find(marker) != std::string_view::npos; });
}

std::vector<char> described_words(const std::vector<std::string_view>& words) {
  std::vector<char> described(words.size(), 0);
  std::optional<std::size_t> opened;  // the word that opened the outermost bracket
  bool opened_first = false;          // and whether that word begins with it
  std::size_t depth = 0;
  std::size_t opens = 0;
  std::size_t closes = 0;
  for (std::string_view word : words) {
    opens += static_cast<std::size_t>(std::ranges::count(word, '('));
    closes += static_cast<std::size_t>(std::ranges::count(word, ')'));
  }
  const auto names_segment = [](std::string_view word) {
    return word.size() > 4 && word[3] == '+' && std::all_of(word.begin(), word.begin() + 3, ut::is_ascii_upper);
  };
  for (std::size_t i = 0; i < words.size(); ++i) {
    // A bracket that the text never closes ends before the next segment or data element it
    // names: "SEQ+Z79 (Bestandteil eines Produktpaketes CCI+Z66/CAV+ZH9 (…) …", "CCI
    // (Zugeordnete Zählzeitdefinition im DE7059 …".
    if (opens > closes && depth == 1 && (names_segment(words[i]) || is_de_token(words[i]))) {
      for (std::size_t k = *opened + (opened_first ? 0 : 1); k < i; ++k) described[k] = 1;
      depth = 0;
      --opens;
    }
    for (std::size_t at = 0; at < words[i].size(); ++at) {
      if (words[i][at] == '(') {
        if (depth++ == 0) {
          opened = i;
          opened_first = at == 0;
        }
      } else if (words[i][at] == ')' && depth > 0 && --depth == 0) {
        for (std::size_t k = *opened + (opened_first ? 0 : 1); k <= i; ++k) described[k] = 1;
      } else if (words[i][at] == ')' && depth == 0 && closes > opens) {
        // A bracket the text never opened begins after the data element or segment it names:
        // "das DE1156 Fortlaufende Nummer eines Lokationsbündels)".
        std::size_t start = i;
        while (start > 0 && !described[start - 1] && !is_de_token(words[start - 1]) && !names_segment(words[start - 1])) {
          --start;
        }
        if (start > 0 && !described[start - 1]) {
          for (std::size_t k = start; k <= i; ++k) described[k] = 1;
        }
        --closes;
      }
    }
  }
  mark_quoted_names(words, described);
  return described;
}

std::vector<std::string_view> space_out_equals(std::string_view word) {
  const std::size_t equals = word.find('=');
  if (equals == std::string_view::npos || equals + 1 >= word.size() || word[equals + 1] == '=') return {word};
  if (equals > 0 && std::string_view("<>!").find(word[equals - 1]) != std::string_view::npos) return {word};
  if (equals == 0) return {word.substr(0, 1), word.substr(1)};
  return {word.substr(0, equals), word.substr(equals, 1), word.substr(equals + 1)};
}

}  // namespace edi_energy::profile::conditions

// The code values a presence text lists for a data element ("… DE9013 der Code E01 oder E02
// vorhanden"), or the single value it names with "mit (dem) Wert".
#include <algorithm>
#include <array>
#include <unordered_set>

#include "edi_energy/profile/conditions/text_tokens.hpp"
#include "edi_energy/profile/conditions/voraussetzung_reading.hpp"
#include "edi_energy/profile/unicode_text.hpp"

namespace edi_energy::profile::conditions::reading {
namespace {

namespace ut = unicode_text;

bool is_value_char(char c) { return ut::is_ascii_alnum(c) || c == '/'; }

// From the first to the last ASCII letter, digit or "/".
std::string_view value_span(std::string_view word) {
  const auto first = std::find_if(word.begin(), word.end(), is_value_char);
  if (first == word.end()) return {};
  const auto last = std::find_if(word.rbegin(), word.rend(), is_value_char).base();
  return std::string_view(first, last);
}

std::string_view trim_dashes(std::string_view piece) {
  while (piece.starts_with('-')) piece.remove_prefix(1);
  while (piece.ends_with('-')) piece.remove_suffix(1);
  return piece;
}

bool is_group_word(std::string_view piece) { return piece.starts_with("SG") && ut::all_ascii_digits(piece.substr(2)); }

bool looks_like_code(std::string_view piece) {
  const auto is_code_char = [](char c) { return ut::is_ascii_upper(c) || ut::is_ascii_digit(c) || c == '_'; };
  const bool code_chars = std::all_of(piece.begin(), piece.end(), is_code_char);
  if (code_chars && std::any_of(piece.begin(), piece.end(), ut::is_ascii_upper)) return true;
  if (piece.size() >= 6 && ut::all_ascii_digits(piece)) return true;
  const bool digits_and_dashes =
      std::all_of(piece.begin(), piece.end(), [](char c) { return ut::is_ascii_digit(c) || c == '-'; });
  return digits_and_dashes && std::count(piece.begin(), piece.end(), '-') >= 2;
}

bool opens_run(std::string_view lowered_span) {
  static constexpr std::array<std::string_view, 4> words{"code", "codes", "wert", "werte"};
  return std::find(words.begin(), words.end(), lowered_span) != words.end();
}

// In a run after "Code" or "Werte" a value may take any shape, but it has a digit or a capital:
// the German words that follow a list ("im", "der") end it.
bool fits_a_run(std::string_view piece) {
  return std::any_of(piece.begin(), piece.end(), [](char c) { return ut::is_ascii_digit(c) || ut::is_ascii_upper(c); });
}

// Words that name segments or groups, or the data element itself, hold no value of it.
bool names_no_value(const Words& words, const std::vector<char>& described, std::size_t i, std::size_t de_index,
                    std::size_t holder) {
  if (i == de_index || i == holder || described[i]) return true;
  const std::string_view word = strip_trailing(words[i]);
  if (group_name(strip_group_punctuation(word))) return true;
  // "derselben SG27 LIN": the tag of the group's instance.
  const bool bare_tag = word.size() == 3 && std::all_of(word.begin(), word.end(), ut::is_ascii_upper);
  if (bare_tag && i > 0 && group_name(strip_group_punctuation(words[i - 1]))) return true;
  return word.size() > 4 && word[3] == '+' && std::all_of(word.begin(), word.begin() + 3, ut::is_ascii_upper);
}

std::vector<std::string> listed_values(const Words& words, const std::vector<char>& described, std::size_t de_index,
                                       std::size_t holder, std::string_view tag) {
  std::vector<std::string> values;
  // What `values` holds, for a look-up that stays cheap however long the list grows.
  std::unordered_set<std::string_view> collected;
  bool in_run = false;
  for (std::size_t i = 0; i < words.size(); ++i) {
    const std::string_view span = value_span(words[i]);
    const std::string lowered = ut::to_lower(span);
    if (lowered == "vorhanden") break;
    if (names_no_value(words, described, i, de_index, holder) || span == "/" || lowered == "oder") continue;
    if (opens_run(lowered)) {
      in_run = true;
      continue;
    }
    bool yielded = false;
    std::string_view rest = span;
    for (;;) {
      const std::size_t slash = rest.find('/');
      const std::string_view piece = trim_dashes(rest.substr(0, std::min(slash, rest.size())));
      const bool passed_over = piece.empty() || piece == tag || is_group_word(piece);
      if (!passed_over && ((in_run && fits_a_run(piece)) || looks_like_code(piece))) {
        yielded = true;
        if (collected.insert(piece).second) values.emplace_back(piece);
      }
      if (slash == std::string_view::npos) break;
      rest.remove_prefix(slash + 1);
    }
    in_run = in_run && yielded;
  }
  return values;
}

}  // namespace

std::vector<std::string> codes_after(const Words& words, const std::vector<char>& described, std::size_t from) {
  std::vector<std::string> codes;
  std::size_t at = from + 1;
  while (at < words.size() && (described[at] || !opens_run(ut::to_lower(value_span(words[at]))))) ++at;
  for (++at; at < words.size(); ++at) {
    if (described[at]) continue;
    const std::string_view span = value_span(words[at]);
    if (span == "/" || ut::to_lower(span) == "oder") continue;
    bool yielded = false;
    std::string_view rest = span;
    for (;;) {
      const std::size_t slash = rest.find('/');
      const std::string_view piece = rest.substr(0, std::min(slash, rest.size()));
      if (!piece.empty() && looks_like_code(piece)) {
        codes.emplace_back(piece);
        yielded = true;
      }
      if (slash == std::string_view::npos) break;
      rest.remove_prefix(slash + 1);
    }
    if (!yielded) break;
  }
  return codes;
}

std::optional<Voraussetzung::DeValue> parse_element_value(const Words& words, const std::vector<char>& described,
                                                          std::string_view lowered, std::size_t de_index,
                                                          std::size_t holder, const std::optional<std::string>& group,
                                                          bool negated) {
  const std::string_view holder_word = strip_trailing(words[holder]);
  std::optional<SegmentPattern> pattern = SegmentPattern::parse(holder_word);
  if (!pattern) return std::nullopt;
  Voraussetzung::DeValue reading{pattern->tag, std::string(words[de_index].substr(2)), {}, group, negated, false,
                                 std::move(*pattern), {}};
  const bool names_one_value =
      lowered.find(" mit wert ") != std::string_view::npos || lowered.find(" mit dem wert ") != std::string_view::npos;
  if (names_one_value) {
    const auto wert = std::find(words.begin(), words.end(), "Wert");
    if (wert == words.end() || wert + 1 == words.end()) return std::nullopt;
    reading.values.emplace_back(trim_quotes(strip_trailing(*(wert + 1))));
    reading.suffix = lowered.find("letzten beiden stellen") != std::string_view::npos;
    return reading;
  }
  reading.values = listed_values(words, described, de_index, holder, reading.tag);
  if (!reading.values.empty()) return reading;
  for (std::size_t i = 0; i + 2 < words.size(); ++i) {
    if (ut::to_lower(words[i]) != "mit" || !ut::to_lower(words[i + 2]).starts_with("vorhanden")) continue;
    const std::string_view value = words[i + 1];
    if (value.empty() || !std::all_of(value.begin(), value.end(), ut::is_ascii_alnum)) return std::nullopt;
    reading.values.emplace_back(value);
    return reading;
  }
  return std::nullopt;
}

}  // namespace edi_energy::profile::conditions::reading

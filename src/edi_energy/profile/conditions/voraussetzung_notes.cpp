// The parts of a condition text that carry no condition: the consequence after "dann", the
// explanation of a pattern's placeholder letters, and the colon of an OBIS code written without
// its release character.
#include <algorithm>

#include "edi_energy/profile/conditions/text_tokens.hpp"
#include "edi_energy/profile/conditions/voraussetzung_reading.hpp"
#include "edi_energy/profile/unicode_text.hpp"

namespace edi_energy::profile::conditions::reading {
namespace {

namespace ut = unicode_text;

bool is_obis_char(char c) { return ut::is_ascii_digit(c) || ut::is_ascii_lower(c); }

// The word that ends right before `at`, blanks skipped.
std::string_view word_before(std::string_view text, std::size_t at) {
  while (at > 0 && text[at - 1] == ' ') --at;
  std::size_t start = at;
  while (start > 0 && text[start - 1] != ' ') --start;
  return text.substr(start, at - start);
}

// The end of the bracket opened at `open`, or npos when it never closes.
std::size_t bracket_end(std::string_view text, std::size_t open) {
  std::size_t depth = 0;
  for (std::size_t i = open; i < text.size(); ++i) {
    if (text[i] == '(') ++depth;
    if (text[i] == ')' && --depth == 0) return i + 1;
  }
  return std::string_view::npos;
}

// "(b=Kanal: …)" right after a pattern that holds b as a placeholder.
bool explains_placeholders(std::string_view text, std::size_t open) {
  std::size_t at = open + 1;
  while (at < text.size() && ut::is_ascii_lower(text[at])) ++at;
  const std::string_view letters = text.substr(open + 1, at - open - 1);
  while (at < text.size() && text[at] == ' ') ++at;
  if (letters.empty() || at >= text.size() || text[at] != '=') return false;
  const std::string_view pattern = word_before(text, open);
  return is_segment_token(pattern) && pattern.find('+') != std::string_view::npos &&
         pattern.find(letters) != std::string_view::npos;
}

}  // namespace

std::string without_placeholder_notes(std::string_view text) {
  std::string kept;
  kept.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '(' && explains_placeholders(text, i)) {
      const std::size_t end = bracket_end(text, i);
      if (end != std::string_view::npos) {
        i = end - 1;
        continue;
      }
    }
    kept.push_back(text[i]);
  }
  return kept;
}

std::string_view condition_part(std::string_view text) {
  const std::string lowered = ut::to_lower(text);
  const std::size_t then = lowered.find(", dann ");
  return then == std::string::npos ? text : text.substr(0, then);
}

std::string with_obis_colons_released(std::string_view text) {
  std::string released;
  released.reserve(text.size() + 4);
  for (std::size_t i = 0; i < text.size(); ++i) {
    // "7-b:99.41.16": medium, "-", channel, then C.D.E, within a pattern word.
    if (text[i] == ':' && (i == 0 || text[i - 1] != '?')) {
      std::size_t start = i;
      while (start > 0 && is_obis_char(text[start - 1])) --start;
      const bool channel = start < i && start >= 2 && text[start - 1] == '-' && is_obis_char(text[start - 2]);
      std::size_t medium = start >= 2 ? start - 2 : 0;
      while (medium > 0 && is_obis_char(text[medium - 1])) --medium;
      const bool in_pattern = medium > 0 && (text[medium - 1] == '+' || text[medium - 1] == '/');
      std::size_t end = i + 1;
      std::size_t dots = 0;
      while (end < text.size() && (is_obis_char(text[end]) || text[end] == '.')) dots += text[end++] == '.';
      if (channel && in_pattern && dots >= 2 && i + 1 < text.size() && text[i + 1] != '.') released.push_back('?');
    }
    released.push_back(text[i]);
  }
  return released;
}

}  // namespace edi_energy::profile::conditions::reading

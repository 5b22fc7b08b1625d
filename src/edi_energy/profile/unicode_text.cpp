#include "edi_energy/profile/unicode_text.hpp"

#include <algorithm>

#include "support/utf8.hpp"

namespace edi_energy::profile::unicode_text {

Char char_at(std::string_view text, std::size_t offset) {
  if (auto decoded = support::utf8::decode(text.substr(offset))) return {decoded->scalar, decoded->length};
  return {U'\uFFFD', 1};
}

std::size_t char_count(std::string_view text) {
  std::size_t count = 0;
  for (std::size_t offset = 0; offset < text.size(); offset += char_at(text, offset).length) ++count;
  return count;
}

bool is_white_space(char32_t c) {
  return (c >= 0x09 && c <= 0x0D) || c == 0x20 || c == 0x85 || c == 0xA0 || c == 0x1680 ||
         (c >= 0x2000 && c <= 0x200A) || c == 0x2028 || c == 0x2029 || c == 0x202F || c == 0x205F ||
         c == 0x3000;
}

std::string_view trim_white_start(std::string_view text) {
  std::size_t offset = 0;
  while (offset < text.size()) {
    const Char c = char_at(text, offset);
    if (!is_white_space(c.scalar)) break;
    offset += c.length;
  }
  return text.substr(offset);
}

std::string_view trim_white(std::string_view text) {
  text = trim_white_start(text);
  // Scan forward: UTF-8 cannot be decoded backwards safely without re-synchronising.
  std::size_t end = 0;
  for (std::size_t offset = 0; offset < text.size();) {
    const Char c = char_at(text, offset);
    offset += c.length;
    if (!is_white_space(c.scalar)) end = offset;
  }
  return text.substr(0, end);
}

std::vector<std::string_view> split_white(std::string_view text) {
  std::vector<std::string_view> words;
  std::size_t word_start = 0;
  bool in_word = false;
  for (std::size_t offset = 0; offset < text.size();) {
    const Char c = char_at(text, offset);
    if (is_white_space(c.scalar)) {
      if (in_word) words.push_back(text.substr(word_start, offset - word_start));
      in_word = false;
    } else if (!in_word) {
      word_start = offset;
      in_word = true;
    }
    offset += c.length;
  }
  if (in_word) words.push_back(text.substr(word_start));
  return words;
}

std::string to_lower(std::string_view text) {
  std::string lowered;
  lowered.reserve(text.size());
  for (std::size_t offset = 0; offset < text.size();) {
    const Char c = char_at(text, offset);
    char32_t scalar = c.scalar;
    if ((scalar >= 'A' && scalar <= 'Z') || (scalar >= 0xC0 && scalar <= 0xDE && scalar != 0xD7)) {
      scalar += 0x20;
    } else if (scalar == 0x1E9E) {
      scalar = 0xDF;
    }
    if (scalar == c.scalar) {
      lowered.append(text.substr(offset, c.length));  // keeps undecodable bytes as they are
    } else {
      support::utf8::append(lowered, scalar);
    }
    offset += c.length;
  }
  return lowered;
}

bool is_ascii_digit(char c) { return c >= '0' && c <= '9'; }
bool is_ascii_upper(char c) { return c >= 'A' && c <= 'Z'; }
bool is_ascii_lower(char c) { return c >= 'a' && c <= 'z'; }
bool is_ascii_alnum(char c) { return is_ascii_digit(c) || is_ascii_upper(c) || is_ascii_lower(c); }

bool all_ascii_digits(std::string_view text) {
  return !text.empty() && std::all_of(text.begin(), text.end(), is_ascii_digit);
}

}  // namespace edi_energy::profile::unicode_text

// Character-level reading of condition texts and values: they are UTF-8, but any byte sequence
// must be readable, so a byte that starts no well-formed sequence counts as one U+FFFD.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace edi_energy::profile::unicode_text {

struct Char {
  char32_t scalar;
  std::size_t length;  // bytes, at least 1
};

// The character at byte `offset`; `offset` must lie inside `text`.
Char char_at(std::string_view text, std::size_t offset);

std::size_t char_count(std::string_view text);

// The White_Space property.
bool is_white_space(char32_t c);

std::string_view trim_white(std::string_view text);
std::string_view trim_white_start(std::string_view text);

// The text split at runs of white space, empty words left out.
std::vector<std::string_view> split_white(std::string_view text);

// Lower case for ASCII and the Latin-1 letters (with ẞ to ß): enough for the German condition
// texts; other characters are kept.
std::string to_lower(std::string_view text);

bool is_ascii_digit(char c);
bool is_ascii_upper(char c);
bool is_ascii_lower(char c);
bool is_ascii_alnum(char c);
bool all_ascii_digits(std::string_view text);  // false for the empty text

}  // namespace edi_energy::profile::unicode_text

// UTF-8 helpers: validation, decoding one scalar value, encoding.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace support::utf8 {

struct Decoded {
  char32_t scalar;
  std::size_t length;  // bytes consumed
};

// Decodes the scalar value at the start of `text`; nothing for malformed, overlong, surrogate
// or truncated sequences.
std::optional<Decoded> decode(std::string_view text);

// Offset of the first byte that does not begin a well-formed sequence, or nothing.
std::optional<std::size_t> first_invalid(std::string_view text);
inline bool is_valid(std::string_view text) { return !first_invalid(text).has_value(); }

void append(std::string& out, char32_t scalar);
std::size_t scalar_count(std::string_view valid_text);

}  // namespace support::utf8

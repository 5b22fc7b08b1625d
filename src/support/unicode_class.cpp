#include "support/unicode_class.hpp"

#include <algorithm>

#include "support/unicode_class_table.hpp"

namespace support::unicode {
namespace {

template <std::size_t N>
constexpr bool in_ranges(const std::array<CodePointRange, N>& ranges, char32_t c) {
  // The first range that ends at or after c holds c when it also starts at or before it.
  const auto found = std::ranges::lower_bound(ranges, c, {}, &CodePointRange::last);
  return found != ranges.end() && found->first <= c;
}

constexpr char32_t max_code_point = 0x10FFFF;

constexpr bool is_printable_ascii(char32_t c) { return c >= 0x20 && c < 0x7F; }

// The ASCII fast path must say what the table says.
constexpr bool ascii_agrees_with_table() {
  for (char32_t c = 0; c < 0x80; ++c) {
    if (is_printable_ascii(c) == in_ranges(not_printable_ranges, c)) return false;
  }
  return true;
}
static_assert(ascii_agrees_with_table());

}  // namespace

bool is_printable(char32_t c) {
  if (c < 0x80) return is_printable_ascii(c);
  return c <= max_code_point && !in_ranges(not_printable_ranges, c);
}

bool is_grapheme_extend(char32_t c) {
  return c >= grapheme_extend_ranges.front().first && in_ranges(grapheme_extend_ranges, c);
}

}  // namespace support::unicode

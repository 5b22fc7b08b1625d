#include "support/unicode_class.hpp"

#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "support/unicode_class_table.hpp"

namespace support::unicode {
namespace {

constexpr char32_t max_code_point = 0x10FFFF;

// A binary search over a whole table costs ten dependent loads per character. Splitting the code
// space into blocks of 1024, with the index of the first range that reaches into each block,
// leaves a handful of ranges to search; the index is computed here from the table.
constexpr unsigned block_bits = 10;
constexpr std::size_t block_count = (max_code_point >> block_bits) + 2;

template <std::size_t N>
struct IndexedRanges {
  const std::array<CodePointRange, N>& ranges;
  std::array<std::uint16_t, block_count> first_reaching{};

  explicit constexpr IndexedRanges(const std::array<CodePointRange, N>& table) : ranges(table) {
    static_assert(N < UINT16_MAX);
    std::size_t range = 0;
    for (std::size_t block = 0; block < block_count; ++block) {
      while (range < N && ranges[range].last < (char32_t{static_cast<char32_t>(block)} << block_bits)) ++range;
      first_reaching[block] = static_cast<std::uint16_t>(range);
    }
  }

  constexpr bool contains(char32_t c) const {
    const std::size_t block = c >> block_bits;
    // The first range that ends at or after c lies between the first reaching c's block and the
    // first reaching the next block; it holds c when it also starts at or before c.
    const auto begin = ranges.begin() + first_reaching[block];
    const auto end = ranges.begin() + std::min<std::size_t>(first_reaching[block + 1] + std::size_t{1}, N);
    const auto found = std::ranges::lower_bound(begin, end, c, {}, &CodePointRange::last);
    return found != end && found->first <= c;
  }
};

constexpr IndexedRanges not_printable{not_printable_ranges};
constexpr IndexedRanges grapheme_extend{grapheme_extend_ranges};
constexpr IndexedRanges lowercase{lowercase_ranges};

constexpr bool is_printable_ascii(char32_t c) { return c >= 0x20 && c < 0x7F; }

// The ASCII fast path must say what the table says.
constexpr bool ascii_agrees_with_table() {
  for (char32_t c = 0; c < 0x80; ++c) {
    if (is_printable_ascii(c) == not_printable.contains(c)) return false;
  }
  return true;
}
static_assert(ascii_agrees_with_table());

}  // namespace

bool is_printable(char32_t c) {
  if (c < 0x80) return is_printable_ascii(c);
  return c <= max_code_point && !not_printable.contains(c);
}

bool is_lowercase(char32_t c) {
  if (c < 0x80) return c >= U'a' && c <= U'z';
  return c <= max_code_point && lowercase.contains(c);
}

bool is_grapheme_extend(char32_t c) { return c <= max_code_point && grapheme_extend.contains(c); }

}  // namespace support::unicode

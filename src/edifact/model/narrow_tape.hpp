// A compact form of a document's cuts and element openings, for documents so dense in
// delimiters that four bytes per cut and four per element would outweigh their text.
//
// Cut offsets are kept as a 16-bit part per cut over a 32-bit base per group of 64 cuts; a
// group spanning more than 16 bits (a value of over 64 KiB, which only decoded text or a long
// byte-slice input has) keeps its 64 offsets whole in a pool instead. Element openings are one
// bit per cut, with the cut opening every 64th element noted so that finding one is a walk
// over at most the words those 64 elements span.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace edifact::model {

class NarrowTape {
 public:
  static constexpr std::size_t GROUP = 64;

  std::uint32_t cut(std::size_t k) const {
    const std::uint32_t base = bases_[k / GROUP];
    if ((base & WIDE) != 0) [[unlikely]] return pool_[std::size_t{base & ~WIDE} * GROUP + k % GROUP];
    return base + lows_[k];
  }
  // The cut that opens element `k` (< `element_count()`).
  std::uint32_t element_opening(std::size_t k) const;
  std::size_t cut_count() const { return lows_.size(); }
  std::size_t element_count() const { return element_count_; }
  // Writes every element's opening cut in order to `out`, which has room for `element_count()`.
  void openings(std::uint32_t* out) const;

 private:
  friend class NarrowTapeBuilder;
  // Marks a group base as the index of the group's offsets in `pool_`, in groups.
  static constexpr std::uint32_t WIDE = std::uint32_t{1} << 31;

  std::vector<std::uint16_t> lows_;    // offset less the group's base; unused in wide groups
  std::vector<std::uint32_t> bases_;   // per group: its smallest offset, or WIDE | pool group
  std::vector<std::uint32_t> pool_;    // wide groups' offsets, 64 each
  std::vector<std::uint64_t> opens_;   // bit k: cut k opens an element
  std::vector<std::uint32_t> samples_; // the cut opening element 64j
  std::size_t element_count_ = 0;
};

// Takes cuts in order, one group at a time.
class NarrowTapeBuilder {
 public:
  // Sizes the arrays for the counts given, when known.
  NarrowTapeBuilder(std::size_t cuts, std::size_t elements);
  void add(std::uint32_t offset, bool opens_element);
  // Adds the cuts of arrays in order, each marked where `openings` names it; false when an
  // opening is not a cut in order (elements built without components).
  bool add_all(std::span<const std::uint32_t> cuts, std::span<const std::uint32_t> openings);
  NarrowTape finish() &&;

 private:
  void flush_group();

  NarrowTape tape_;
  std::array<std::uint32_t, NarrowTape::GROUP> group_{};
  std::size_t in_group_ = 0;
  std::size_t added_ = 0;
};

}  // namespace edifact::model

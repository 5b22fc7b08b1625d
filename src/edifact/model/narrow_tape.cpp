#include "edifact/model/narrow_tape.hpp"

#include <algorithm>
#include <array>
#include <limits>

namespace edifact::model {
namespace {

// Bits per byte, in each byte. Written out: a generic x86-64 build has no popcount
// instruction, and the library's is a call per word.
std::uint64_t byte_counts(std::uint64_t bits) {
  bits -= (bits >> 1) & 0x5555'5555'5555'5555ULL;
  bits = (bits & 0x3333'3333'3333'3333ULL) + ((bits >> 2) & 0x3333'3333'3333'3333ULL);
  return (bits + (bits >> 4)) & 0x0F0F'0F0F'0F0F'0F0FULL;
}

std::size_t popcount(std::uint64_t bits) {
  return static_cast<std::size_t>((byte_counts(bits) * 0x0101'0101'0101'0101ULL) >> 56);
}

// Entry [byte][r]: the position of the r-th set bit of `byte`.
constexpr auto SELECT_IN_BYTE = [] {
  std::array<std::array<std::uint8_t, 8>, 256> table{};
  for (unsigned byte = 0; byte < 256; ++byte) {
    unsigned rank = 0;
    for (unsigned bit = 0; bit < 8; ++bit) {
      if ((byte >> bit) & 1) table[byte][rank++] = static_cast<std::uint8_t>(bit);
    }
  }
  return table;
}();

// The position of the `rank`-th set bit of `bits`, which has more than `rank`: the byte from
// running sums of the bytes' counts, the bit from a table.
unsigned select(std::uint64_t bits, std::size_t rank) {
  const std::uint64_t through = byte_counts(bits) * 0x0101'0101'0101'0101ULL;  // byte i: bytes 0..i
  unsigned shift = 0;
  while (((through >> shift) & 0xFF) <= rank) shift += 8;
  const std::size_t before = shift == 0 ? 0 : (through >> (shift - 8)) & 0xFF;
  return shift + SELECT_IN_BYTE[(bits >> shift) & 0xFF][rank - before];
}

}  // namespace

std::uint32_t NarrowTape::element_opening(std::size_t k) const {
  const std::uint32_t from = samples_[k / GROUP];
  std::size_t rank = k % GROUP;
  // Sixty-four elements on as many cuts in a row, as where every separator opens an element.
  if (k / GROUP + 1 < samples_.size() && samples_[k / GROUP + 1] - from == GROUP) {
    return from + static_cast<std::uint32_t>(rank);
  }
  std::size_t word = from / 64;
  std::uint64_t bits = opens_[word] & (~std::uint64_t{0} << (from % 64));
  for (std::size_t count = popcount(bits); rank >= count; count = popcount(bits)) {
    rank -= count;
    bits = opens_[++word];
  }
  return static_cast<std::uint32_t>(word * 64 + select(bits, rank));
}

void NarrowTape::openings(std::uint32_t* out) const {
  for (std::size_t word = 0; word < opens_.size(); ++word) {
    for (std::uint64_t bits = opens_[word]; bits != 0; bits &= bits - 1) {
      *out++ = static_cast<std::uint32_t>(word * 64 + static_cast<std::size_t>(__builtin_ctzll(bits)));
    }
  }
}

NarrowTapeBuilder::NarrowTapeBuilder(std::size_t cuts, std::size_t elements) {
  tape_.lows_.reserve(cuts);
  tape_.bases_.reserve((cuts + NarrowTape::GROUP - 1) / NarrowTape::GROUP);
  tape_.opens_.reserve((cuts + 63) / 64);
  tape_.samples_.reserve((elements + NarrowTape::GROUP - 1) / NarrowTape::GROUP);
}

void NarrowTapeBuilder::add(std::uint32_t offset, bool opens_element) {
  if (added_ % 64 == 0) tape_.opens_.push_back(0);
  if (opens_element) {
    if (tape_.element_count_ % NarrowTape::GROUP == 0) tape_.samples_.push_back(static_cast<std::uint32_t>(added_));
    tape_.opens_.back() |= std::uint64_t{1} << (added_ % 64);
    ++tape_.element_count_;
  }
  ++added_;
  group_[in_group_++] = offset;
  if (in_group_ == NarrowTape::GROUP) flush_group();
}

bool NarrowTapeBuilder::add_all(std::span<const std::uint32_t> cuts, std::span<const std::uint32_t> openings) {
  std::size_t element = 0;
  for (std::size_t k = 0; k < cuts.size(); ++k) {
    const bool opens = element < openings.size() && openings[element] == k;
    if (opens) ++element;
    add(cuts[k], opens);
  }
  return element == openings.size();
}

void NarrowTapeBuilder::flush_group() {
  const auto [low, high] = std::minmax_element(group_.begin(), group_.begin() + static_cast<std::ptrdiff_t>(in_group_));
  const std::uint32_t base = *low;
  if (*high - base > std::numeric_limits<std::uint16_t>::max() || (base & NarrowTape::WIDE) != 0) {
    tape_.bases_.push_back(NarrowTape::WIDE | static_cast<std::uint32_t>(tape_.pool_.size() / NarrowTape::GROUP));
    tape_.pool_.insert(tape_.pool_.end(), group_.begin(), group_.end());
    tape_.lows_.resize(tape_.lows_.size() + in_group_);
  } else {
    tape_.bases_.push_back(base);
    for (std::size_t k = 0; k < in_group_; ++k) tape_.lows_.push_back(static_cast<std::uint16_t>(group_[k] - base));
  }
  in_group_ = 0;
}

NarrowTape NarrowTapeBuilder::finish() && {
  if (in_group_ > 0) flush_group();
  // Filled without a count up front, the arrays may have grown past their size.
  if (tape_.lows_.capacity() > tape_.lows_.size() + tape_.lows_.size() / 8) {
    tape_.lows_.shrink_to_fit();
    tape_.bases_.shrink_to_fit();
    tape_.opens_.shrink_to_fit();
    tape_.samples_.shrink_to_fit();
  }
  return std::move(tape_);
}

}  // namespace edifact::model

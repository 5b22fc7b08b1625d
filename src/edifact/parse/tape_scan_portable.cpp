// The kernel in plain C++, for CPUs without the vector kernels; also what they are tested against.
#include <algorithm>
#include <bit>
#include <cstdint>
#include <string>
#include <string_view>

#include "edifact/parse/service_string_advice.hpp"
#include "edifact/parse/tape_scan.hpp"
#include "support/utf8.hpp"
#include "edifact/parse/tape_scan_kernel.hpp"

namespace edifact::tokenizer::scan {
namespace {

class PortableClassify {
 public:
  explicit PortableClassify(const Characters& characters) : characters_(characters) {}

  BlockMasks operator()(const char* block) const {
    BlockMasks masks{};
    for (unsigned i = 0; i < 64; ++i) {
      const char byte = block[i];
      const std::uint64_t bit = std::uint64_t{1} << i;
      if (byte == characters_.element) masks.element |= bit;
      if (byte == characters_.component || byte == characters_.repetition) masks.other |= bit;
      if (byte == characters_.terminator) masks.terminator |= bit;
      if (byte == characters_.release) masks.release |= bit;
      if (static_cast<unsigned char>(byte) >= 0x80) masks.high |= bit;
    }
    return masks;
  }

 private:
  Characters characters_;
};

}  // namespace

Counts count_portable(std::string_view input, std::size_t start, const Characters& characters) {
  return count_with<PortableClassify>(input, start, characters);
}

Sound fill_portable(std::string_view input, std::size_t start, const Characters& characters, const Output& output) {
  return fill_with<PortableClassify>(input, start, characters, output);
}

}  // namespace edifact::tokenizer::scan

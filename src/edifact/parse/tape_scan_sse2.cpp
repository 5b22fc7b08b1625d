// The kernel on 16-byte vectors: every x86-64 CPU has them.
#if defined(__x86_64__)
#include <emmintrin.h>

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

class Sse2Classify {
 public:
  explicit Sse2Classify(const Characters& c)
      : element_(_mm_set1_epi8(c.element)),
        component_(_mm_set1_epi8(c.component)),
        repetition_(_mm_set1_epi8(c.repetition)),
        terminator_(_mm_set1_epi8(c.terminator)),
        release_(_mm_set1_epi8(c.release)) {}

  BlockMasks operator()(const char* block) const {
    BlockMasks masks{};
    for (unsigned part = 0; part < 4; ++part) {
      const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(block + 16 * part));
      const auto mask = [&](__m128i found) {
        return static_cast<std::uint64_t>(static_cast<std::uint32_t>(_mm_movemask_epi8(found))) << (16 * part);
      };
      masks.element |= mask(_mm_cmpeq_epi8(bytes, element_));
      masks.other |= mask(_mm_or_si128(_mm_cmpeq_epi8(bytes, component_), _mm_cmpeq_epi8(bytes, repetition_)));
      masks.terminator |= mask(_mm_cmpeq_epi8(bytes, terminator_));
      masks.release |= mask(_mm_cmpeq_epi8(bytes, release_));
      masks.high |= mask(bytes);
    }
    return masks;
  }

 private:
  __m128i element_, component_, repetition_, terminator_, release_;
};

}  // namespace

Counts count_sse2(std::string_view input, std::size_t start, const Characters& characters) {
  return count_with<Sse2Classify>(input, start, characters);
}

Sound fill_sse2(std::string_view input, std::size_t start, const Characters& characters, const Output& output) {
  return fill_with<Sse2Classify>(input, start, characters, output);
}

}  // namespace edifact::tokenizer::scan
#endif

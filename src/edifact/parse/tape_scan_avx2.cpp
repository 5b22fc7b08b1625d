// The kernel on 32-byte vectors, compiled for AVX2 and chosen at run time, so that a build for
// plain x86-64 still uses it where the CPU has it. Every header is included before the target
// region: only the kernel itself is compiled for AVX2.
#if defined(__x86_64__)
#include <immintrin.h>

#include <algorithm>
#include <bit>
#include <cstdint>
#include <string>
#include <string_view>

#include "edifact/parse/service_string_advice.hpp"
#include "edifact/parse/tape_scan.hpp"
#include "support/utf8.hpp"

#if defined(__clang__)
#pragma clang attribute push(__attribute__((target("avx2,bmi,popcnt"))), apply_to = function)
#else
#pragma GCC push_options
#pragma GCC target("avx2,bmi,popcnt")
#endif

#include "edifact/parse/tape_scan_kernel.hpp"

namespace edifact::tokenizer::scan {
namespace {

class Avx2Classify {
 public:
  explicit Avx2Classify(const Characters& c)
      : element_(_mm256_set1_epi8(c.element)),
        component_(_mm256_set1_epi8(c.component)),
        repetition_(_mm256_set1_epi8(c.repetition)),
        terminator_(_mm256_set1_epi8(c.terminator)),
        release_(_mm256_set1_epi8(c.release)) {}

  BlockMasks operator()(const char* block) const {
    const __m256i low = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(block));
    const __m256i high = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(block + 32));
    const auto mask = [](__m256i low_found, __m256i high_found) {
      return static_cast<std::uint64_t>(static_cast<std::uint32_t>(_mm256_movemask_epi8(low_found))) |
             static_cast<std::uint64_t>(static_cast<std::uint32_t>(_mm256_movemask_epi8(high_found))) << 32;
    };
    const auto either = [&](__m256i bytes) {
      return _mm256_or_si256(_mm256_cmpeq_epi8(bytes, component_), _mm256_cmpeq_epi8(bytes, repetition_));
    };
    return {mask(_mm256_cmpeq_epi8(low, element_), _mm256_cmpeq_epi8(high, element_)),
            mask(either(low), either(high)),
            mask(_mm256_cmpeq_epi8(low, terminator_), _mm256_cmpeq_epi8(high, terminator_)),
            mask(_mm256_cmpeq_epi8(low, release_), _mm256_cmpeq_epi8(high, release_)),
            mask(low, high)};
  }

 private:
  __m256i element_, component_, repetition_, terminator_, release_;
};

}  // namespace

Counts count_avx2(std::string_view input, std::size_t start, const Characters& characters) {
  return count_with<Avx2Classify>(input, start, characters);
}

Sound fill_avx2(std::string_view input, std::size_t start, const Characters& characters, const Output& output) {
  return fill_with<Avx2Classify>(input, start, characters, output);
}

}  // namespace edifact::tokenizer::scan

#if defined(__clang__)
#pragma clang attribute pop
#else
#pragma GCC pop_options
#endif
#endif

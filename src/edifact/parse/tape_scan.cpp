#include "edifact/parse/tape_scan.hpp"

namespace edifact::tokenizer::scan {

bool kernel_available(Kernel kernel) {
  switch (kernel) {
    case Kernel::Portable: return true;
#if defined(__x86_64__)
    case Kernel::Sse2: return true;
    case Kernel::Avx2:
      return __builtin_cpu_supports("avx2") && __builtin_cpu_supports("bmi") && __builtin_cpu_supports("popcnt");
#else
    case Kernel::Sse2:
    case Kernel::Avx2: return false;
#endif
  }
  return false;
}

Kernel best_kernel() {
  if (kernel_available(Kernel::Avx2)) return Kernel::Avx2;
  if (kernel_available(Kernel::Sse2)) return Kernel::Sse2;
  return Kernel::Portable;
}

Counts count(Kernel kernel, std::string_view input, std::size_t start, const Characters& characters) {
  switch (kernel) {
#if defined(__x86_64__)
    case Kernel::Sse2: return count_sse2(input, start, characters);
    case Kernel::Avx2: return count_avx2(input, start, characters);
#endif
    default: return count_portable(input, start, characters);
  }
}

Sound fill(Kernel kernel, std::string_view input, std::size_t start, const Characters& characters,
           const Output& output) {
  switch (kernel) {
#if defined(__x86_64__)
    case Kernel::Sse2: return fill_sse2(input, start, characters, output);
    case Kernel::Avx2: return fill_avx2(input, start, characters, output);
#endif
    default: return fill_portable(input, start, characters, output);
  }
}

}  // namespace edifact::tokenizer::scan

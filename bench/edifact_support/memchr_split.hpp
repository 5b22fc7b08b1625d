// The baseline every parse is measured against: cutting the same input into segments with
// memchr alone, honouring release characters. No tokenizer of this format can be faster.
#pragma once

#include <cstddef>
#include <string_view>

namespace bench::baseline {

struct SplitResult {
  std::size_t segments = 0;
  std::size_t end_offset_sum = 0;  // depends on every cut, so the work cannot be skipped
};

// Reads the service characters from a leading UNA (else the defaults) and counts the segment
// terminators that an even run of release characters precedes.
SplitResult memchr_split(std::string_view input);

}  // namespace bench::baseline

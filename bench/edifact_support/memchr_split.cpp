#include "memchr_split.hpp"

#include <cstring>

namespace bench::baseline {

SplitResult memchr_split(std::string_view input) {
  char terminator = '\'';
  char release = '?';
  std::size_t position = 0;
  if (input.size() >= 9 && input.starts_with("UNA")) {
    release = input[6];
    terminator = input[8];
    position = 9;
  }
  SplitResult result;
  const char* const begin = input.data();
  while (position < input.size()) {
    const void* hit = std::memchr(begin + position, terminator, input.size() - position);
    if (hit == nullptr) break;
    const std::size_t cut = static_cast<std::size_t>(static_cast<const char*>(hit) - begin);
    std::size_t releases = 0;
    while (cut - releases > 0 && begin[cut - releases - 1] == release) ++releases;
    position = cut + 1;
    if (releases % 2 == 1) continue;
    ++result.segments;
    result.end_offset_sum += position;
  }
  return result;
}

}  // namespace bench::baseline

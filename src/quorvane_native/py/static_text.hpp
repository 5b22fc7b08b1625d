// Texts joined at compile time, such as the docstring "name(signature)\n--\n\ndoc" from which the
// interpreter reads __text_signature__. They live in static storage, as the C API requires.
#pragma once

#include <array>
#include <cstddef>
#include <string_view>

namespace quorvane_native::py {

// Marks the end of the text signature in a docstring.
inline constexpr std::string_view signature_end = "\n--\n\n";

template <std::size_t PartCount>
constexpr std::size_t joined_size(const std::array<std::string_view, PartCount>& parts) {
  std::size_t size = 1;  // the terminating NUL
  for (std::string_view part : parts) size += part.size();
  return size;
}

template <std::size_t Size, std::size_t PartCount>
constexpr std::array<char, Size> join(const std::array<std::string_view, PartCount>& parts) {
  std::array<char, Size> out{};
  std::size_t at = 0;
  for (std::string_view part : parts) {
    for (char c : part) out[at++] = c;
  }
  return out;
}

}  // namespace quorvane_native::py

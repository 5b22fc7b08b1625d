// Strict parsing of unsigned decimal numbers: ASCII digits only (no sign, no spaces, no empty
// text), overflow of the target type detected.
#pragma once

#include <charconv>
#include <concepts>
#include <optional>
#include <string_view>

namespace support {

template <std::unsigned_integral T>
std::optional<T> parse_decimal(std::string_view text) {
  if (text.empty()) return std::nullopt;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
  }
  T value{};
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc{} || end != text.data() + text.size()) return std::nullopt;
  return value;
}

}  // namespace support

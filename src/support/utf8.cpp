#include "support/utf8.hpp"

#include <cstdint>
#include <cstring>

namespace support::utf8 {

std::optional<Decoded> decode(std::string_view text) {
  if (text.empty()) return std::nullopt;
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char lead = byte(0);
  if (lead < 0x80) return Decoded{lead, 1};
  std::size_t length;
  char32_t scalar;
  char32_t minimum;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2, scalar = lead & 0x1F, minimum = 0x80;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3, scalar = lead & 0x0F, minimum = 0x800;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4, scalar = lead & 0x07, minimum = 0x10000;
  } else {
    return std::nullopt;
  }
  if (text.size() < length) return std::nullopt;
  for (std::size_t i = 1; i < length; ++i) {
    if ((byte(i) & 0xC0) != 0x80) return std::nullopt;
    scalar = (scalar << 6) | (byte(i) & 0x3F);
  }
  if (scalar < minimum || scalar > 0x10FFFF || (scalar >= 0xD800 && scalar <= 0xDFFF)) {
    return std::nullopt;
  }
  return Decoded{scalar, length};
}

std::optional<std::size_t> first_invalid(std::string_view text) {
  constexpr std::uint64_t HIGH_BITS = 0x8080808080808080;
  std::size_t offset = 0;
  while (offset < text.size()) {
    // Most text is ASCII: 32 or 8 bytes at a time while it is.
    if (text.size() - offset >= 32) {
      std::uint64_t words[4];
      std::memcpy(words, text.data() + offset, sizeof words);
      if (((words[0] | words[1] | words[2] | words[3]) & HIGH_BITS) == 0) {
        offset += 32;
        continue;
      }
    }
    if (text.size() - offset >= 8) {
      std::uint64_t word;
      std::memcpy(&word, text.data() + offset, sizeof word);
      if ((word & HIGH_BITS) == 0) {
        offset += 8;
        continue;
      }
    }
    if (static_cast<unsigned char>(text[offset]) < 0x80) {
      ++offset;
      continue;
    }
    auto decoded = decode(text.substr(offset));
    if (!decoded) return offset;
    offset += decoded->length;
  }
  return std::nullopt;
}

void append(std::string& out, char32_t scalar) {
  if (scalar < 0x80) {
    out.push_back(static_cast<char>(scalar));
  } else if (scalar < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (scalar >> 6)));
    out.push_back(static_cast<char>(0x80 | (scalar & 0x3F)));
  } else if (scalar < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (scalar >> 12)));
    out.push_back(static_cast<char>(0x80 | ((scalar >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (scalar & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (scalar >> 18)));
    out.push_back(static_cast<char>(0x80 | ((scalar >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((scalar >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (scalar & 0x3F)));
  }
}

std::size_t scalar_count(std::string_view valid_text) {
  std::size_t count = 0;
  for (char c : valid_text) count += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
  return count;
}

}  // namespace support::utf8

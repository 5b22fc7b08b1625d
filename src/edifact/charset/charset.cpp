#include "edifact/charset/charset.hpp"

#include <algorithm>
#include <cstring>

#include "support/utf8.hpp"

namespace edifact::charset {
namespace {

// How a repertoire carries the characters from U+0080 on.
enum class Family : std::uint8_t { Ascii, Latin1, IsoTable, Utf8 };

constexpr std::size_t index_of(Charset charset) { return static_cast<std::size_t>(charset); }

constexpr std::array<Family, 12> families = {
    Family::Ascii,    Family::Ascii,    Family::Latin1,   Family::IsoTable,
    Family::IsoTable, Family::IsoTable, Family::IsoTable, Family::IsoTable,
    Family::IsoTable, Family::IsoTable, Family::IsoTable, Family::Utf8,
};

constexpr bool has_table(std::size_t charset) { return families[charset] == Family::IsoTable; }

// Indexed by repertoire; only those with a table use their entry.
constexpr std::array<HighHalf, 12> high_halves = {
    HighHalf{}, HighHalf{}, HighHalf{}, UNOD_HIGH, UNOE_HIGH, UNOF_HIGH,
    UNOG_HIGH,  UNOH_HIGH,  UNOI_HIGH,  UNOJ_HIGH, UNOK_HIGH, HighHalf{},
};

// Code points of the bytes 0x80 to 0xFF; C1 controls map to themselves in every 8-bit part.
using UpperHalf = std::array<std::uint16_t, 128>;

constexpr std::array<UpperHalf, 12> decoding_tables = [] {
  std::array<UpperHalf, 12> tables{};
  for (std::size_t charset = 0; charset < tables.size(); ++charset) {
    for (std::size_t byte = 0x80; byte <= 0xFF; ++byte) {
      tables[charset][byte - 0x80] = (has_table(charset) && byte >= 0xA0)
                                         ? high_halves[charset][byte - 0xA0]
                                         : static_cast<std::uint16_t>(byte);
    }
  }
  return tables;
}();

struct Encoding {
  std::uint16_t code_point;
  std::uint8_t byte;
};
using ReverseHalf = std::array<Encoding, 96>;

// Sorted by code point, ties by byte, so a binary search finds the first table entry that holds
// a character.
constexpr std::array<ReverseHalf, 12> encoding_tables = [] {
  std::array<ReverseHalf, 12> tables{};
  for (std::size_t charset = 0; charset < tables.size(); ++charset) {
    if (!has_table(charset)) continue;
    const HighHalf& half = high_halves[charset];
    for (std::size_t i = 0; i < half.size(); ++i) {
      tables[charset][i] = {half[i], static_cast<std::uint8_t>(0xA0 + i)};
    }
    std::ranges::sort(tables[charset], [](const Encoding& a, const Encoding& b) {
      return a.code_point != b.code_point ? a.code_point < b.code_point : a.byte < b.byte;
    });
  }
  return tables;
}();

std::optional<std::uint8_t> encoded_byte(Charset charset, char32_t character) {
  switch (families[index_of(charset)]) {
    case Family::Ascii:
    case Family::Utf8:  // never asked: UTF-8 text passes through unchanged
      return std::nullopt;
    case Family::Latin1:
      if (character < 0x100) return static_cast<std::uint8_t>(character);
      return std::nullopt;
    case Family::IsoTable:
      break;
  }
  if (character >= 0x80 && character < 0xA0) return static_cast<std::uint8_t>(character);
  if (character >= unassigned) return std::nullopt;
  const auto& table = encoding_tables[index_of(charset)];
  const auto found = std::ranges::lower_bound(table, static_cast<std::uint16_t>(character), {},
                                              &Encoding::code_point);
  if (found == table.end() || found->code_point != character) return std::nullopt;
  return found->byte;
}

// The offset of the first byte from `from` on that is 0x80 or above, or the size.
std::size_t first_non_ascii(std::string_view bytes, std::size_t from) {
  constexpr std::uint64_t high_bits = 0x8080808080808080ULL;
  std::size_t offset = from;
  while (bytes.size() - offset >= sizeof(std::uint64_t)) {
    std::uint64_t word;
    std::memcpy(&word, bytes.data() + offset, sizeof word);
    if ((word & high_bits) != 0) break;
    offset += sizeof word;
  }
  while (offset < bytes.size() && static_cast<unsigned char>(bytes[offset]) < 0x80) ++offset;
  return offset;
}

Result<void> append_from_table(Charset charset, std::string_view text, std::string& out) {
  const std::size_t start_size = out.size();
  const auto fail = [&](EdifactError error) -> Result<void> {
    out.resize(start_size);
    return std::unexpected(std::move(error));
  };
  out.reserve(start_size + text.size());
  std::size_t offset = 0;
  while (offset < text.size()) {
    const std::size_t high = first_non_ascii(text, offset);
    out.append(text.substr(offset, high - offset));
    if (high == text.size()) break;
    const auto decoded = support::utf8::decode(text.substr(high));
    if (!decoded) return fail(EdifactError::invalid_text(high));
    const auto byte = encoded_byte(charset, decoded->scalar);
    if (!byte) {
      return fail(EdifactError::character_not_in_repertoire(decoded->scalar, high, name(charset)));
    }
    out.push_back(static_cast<char>(*byte));
    offset = high + decoded->length;
  }
  return {};
}

}  // namespace

Result<Charset> from_syntax_identifier(std::string_view identifier) {
  for (Charset charset : all_charsets) {
    if (identifier == name(charset)) return charset;
  }
  constexpr std::array<std::string_view, 2> unsupported = {"UNOX", "KECA"};
  if (std::ranges::find(unsupported, identifier) != unsupported.end()) {
    return std::unexpected(EdifactError::unsupported_repertoire(std::string(identifier)));
  }
  return std::unexpected(EdifactError::unrecognised_syntax_identifier(std::string(identifier)));
}

Result<Converted> decode(Charset charset, std::string_view bytes) {
  std::size_t high = first_non_ascii(bytes, 0);
  if (high == bytes.size()) return Converted::borrowed(bytes);

  switch (families[index_of(charset)]) {
    case Family::Ascii:
    case Family::Utf8:
      if (const auto invalid = support::utf8::first_invalid(bytes.substr(high))) {
        return std::unexpected(EdifactError::invalid_text(high + *invalid));
      }
      return Converted::borrowed(bytes);
    case Family::Latin1:
    case Family::IsoTable:
      break;
  }

  const UpperHalf& table = decoding_tables[index_of(charset)];
  std::string text;
  text.reserve(bytes.size() + bytes.size() / 2);
  std::size_t offset = 0;
  while (true) {
    text.append(bytes.substr(offset, high - offset));
    if (high == bytes.size()) break;
    const std::uint16_t code_point = table[static_cast<unsigned char>(bytes[high]) - 0x80];
    if (code_point == unassigned) return std::unexpected(EdifactError::invalid_text(high));
    support::utf8::append(text, code_point);
    offset = high + 1;
    high = first_non_ascii(bytes, offset);
  }
  return Converted::owned(std::move(text));
}

Result<Converted> encode(Charset charset, std::string_view text) {
  if (charset == Charset::Unoy || first_non_ascii(text, 0) == text.size()) {
    return Converted::borrowed(text);
  }
  std::string bytes;
  if (auto appended = append_from_table(charset, text, bytes); !appended) {
    return std::unexpected(std::move(appended.error()));
  }
  return Converted::owned(std::move(bytes));
}

Result<void> append_encoded(Charset charset, std::string_view text, std::string& out) {
  if (charset == Charset::Unoy) {
    out.append(text);
    return {};
  }
  return append_from_table(charset, text, out);
}

}  // namespace edifact::charset

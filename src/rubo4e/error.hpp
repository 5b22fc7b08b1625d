// The single error of every market-identifier rule: a kind in a fixed order, the payload its
// message shows, and `message()`, which renders the fixed English text that callers show.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace rubo4e::error {

// The length an identifier rule expected: exactly one length, or an inclusive range.
struct ExpectedLength {
  enum class Kind : std::uint8_t { Exactly, Range };

  Kind kind = Kind::Exactly;
  std::size_t min = 0;
  std::size_t max = 0;  // equals `min` for Exactly

  static constexpr ExpectedLength exactly(std::size_t length) { return {Kind::Exactly, length, length}; }
  static constexpr ExpectedLength range(std::size_t min, std::size_t max) { return {Kind::Range, min, max}; }

  bool operator==(const ExpectedLength&) const = default;
};

// "exactly 11" or "1..=3"
std::string to_string(const ExpectedLength& expected);

struct IdentifierError {
  enum class Kind : std::uint8_t { InvalidLength, InvalidCharacter, InvalidChecksum, InvalidFormat };

  Kind kind = Kind::InvalidChecksum;
  ExpectedLength expected{};  // InvalidLength
  std::size_t actual = 0;     // InvalidLength: byte length of the text
  char32_t character = 0;     // InvalidCharacter
  std::size_t position = 0;   // InvalidCharacter: 0-based
  std::string reason;         // InvalidFormat

  static IdentifierError invalid_length(ExpectedLength expected, std::size_t actual);
  static IdentifierError invalid_character(char32_t character, std::size_t position);
  // The character that starts at byte `position` of `text`; bytes that do not start a UTF-8
  // sequence are reported as U+FFFD, as a lossy decode would show them.
  static IdentifierError invalid_character_at(std::string_view text, std::size_t position);
  static IdentifierError invalid_checksum();
  static IdentifierError invalid_format(std::string reason);

  // The display text: "invalid length: expected exactly 11, got 10", "invalid character 'X' at
  // position 10", "invalid checksum", "invalid format: …".
  std::string message() const;

  bool operator==(const IdentifierError&) const = default;
};

}  // namespace rubo4e::error

#include "rubo4e/error.hpp"

#include <fmt/format.h>

#include <utility>

#include "support/debug_quote.hpp"
#include "support/utf8.hpp"

namespace rubo4e::error {

std::string to_string(const ExpectedLength& expected) {
  switch (expected.kind) {
    case ExpectedLength::Kind::Exactly: return fmt::format("exactly {}", expected.min);
    case ExpectedLength::Kind::Range: return fmt::format("{}..={}", expected.min, expected.max);
  }
  return {};
}

IdentifierError IdentifierError::invalid_length(ExpectedLength expected, std::size_t actual) {
  IdentifierError error;
  error.kind = Kind::InvalidLength;
  error.expected = expected;
  error.actual = actual;
  return error;
}

IdentifierError IdentifierError::invalid_character(char32_t character, std::size_t position) {
  IdentifierError error;
  error.kind = Kind::InvalidCharacter;
  error.character = character;
  error.position = position;
  return error;
}

IdentifierError IdentifierError::invalid_character_at(std::string_view text, std::size_t position) {
  constexpr char32_t replacement_character = U'\uFFFD';
  const auto decoded = position < text.size() ? support::utf8::decode(text.substr(position)) : std::nullopt;
  return invalid_character(decoded ? decoded->scalar : replacement_character, position);
}

IdentifierError IdentifierError::invalid_checksum() {
  IdentifierError error;
  error.kind = Kind::InvalidChecksum;
  return error;
}

IdentifierError IdentifierError::invalid_format(std::string reason) {
  IdentifierError error;
  error.kind = Kind::InvalidFormat;
  error.reason = std::move(reason);
  return error;
}

std::string IdentifierError::message() const {
  switch (kind) {
    case Kind::InvalidLength: return fmt::format("invalid length: expected {}, got {}", to_string(expected), actual);
    case Kind::InvalidCharacter:
      return fmt::format("invalid character {} at position {}", support::debug_quote(character), position);
    case Kind::InvalidChecksum: return "invalid checksum";
    case Kind::InvalidFormat: return fmt::format("invalid format: {}", reason);
  }
  return {};
}

}  // namespace rubo4e::error

#include "rubo4e/identifiers/checksum.hpp"

#include <fmt/format.h>

#include <algorithm>

#include "support/internal_fault.hpp"
#include "support/utf8.hpp"

namespace rubo4e::identifiers::checksum {
namespace {

using rubo4e::error::ExpectedLength;

bool is_digit(char c) { return c >= '0' && c <= '9'; }
bool is_upper_letter(char c) { return c >= 'A' && c <= 'Z'; }
bool is_ascii(char c) { return static_cast<unsigned char>(c) < 0x80; }

// Weights 1, 2, 1, 2, … from the left; the doubled values are added as they are.
char alternating_check_digit(std::string_view characters, unsigned (*value_of)(char)) {
  unsigned sum = 0;
  for (std::size_t position = 0; position < characters.size(); ++position) {
    // Reduced as it goes: only the sum modulo 10 matters, and long texts must not overflow.
    sum = (sum + value_of(characters[position]) * (position % 2 == 0 ? 1u : 2u)) % 10;
  }
  return static_cast<char>('0' + (10 - sum) % 10);
}

unsigned digit_value(char c) { return static_cast<unsigned>(c - '0'); }

// Letters (and whatever else a Codetyp may hold) count with their character code.
unsigned codetyp_scheme_value(char c) {
  return is_digit(c) ? digit_value(c) : static_cast<unsigned>(static_cast<unsigned char>(c));
}

// Steps shared by validation and completion: digits only, then the Vergabestelle digit.
std::expected<void, IdentifierError> check_numeric_digits(std::string_view text, std::uint8_t min_first_digit) {
  const auto non_digit = std::ranges::find_if_not(text, is_digit);
  if (non_digit != text.end()) {
    return std::unexpected(IdentifierError::invalid_character_at(text, static_cast<std::size_t>(non_digit - text.begin())));
  }
  if (!text.empty() && digit_value(text.front()) < min_first_digit) {
    return std::unexpected(IdentifierError::invalid_format(
        fmt::format("first digit (Vergabestelle) must be {}-9, got '{}'", min_first_digit, text.front())));
  }
  return {};
}

// The first `count` characters of `text`, malformed bytes shown as U+FFFD so that the message
// stays valid UTF-8.
std::string leading_characters(std::string_view text, std::size_t count) {
  std::string out;
  std::size_t offset = 0;
  for (std::size_t taken = 0; taken < count && offset < text.size(); ++taken) {
    if (const auto decoded = support::utf8::decode(text.substr(offset))) {
      out.append(text.substr(offset, decoded->length));
      offset += decoded->length;
    } else {
      support::utf8::append(out, U'\uFFFD');
      ++offset;
    }
  }
  return out;
}

std::size_t character_count(std::string_view text) {
  std::size_t count = 0;
  for (std::size_t offset = 0; offset < text.size(); ++count) {
    const auto decoded = support::utf8::decode(text.substr(offset));
    offset += decoded ? decoded->length : 1;
  }
  return count;
}

}  // namespace

std::expected<void, IdentifierError> validate_numeric_id(std::string_view text, std::size_t length,
                                                         std::uint8_t min_first_digit) {
  if (text.size() != length) {
    return std::unexpected(IdentifierError::invalid_length(ExpectedLength::exactly(length), text.size()));
  }
  if (auto checked = check_numeric_digits(text, min_first_digit); !checked) return checked;
  // An empty text has no check digit to agree with.
  if (text.empty() || alternating_check_digit(text.substr(0, length - 1), digit_value) != text.back()) {
    return std::unexpected(IdentifierError::invalid_checksum());
  }
  return {};
}

std::expected<std::string, IdentifierError> compute_numeric_id_from_base(std::string_view base,
                                                                         std::size_t length,
                                                                         std::uint8_t min_first_digit) {
  if (length == 0) {
    throw support::InternalFault("a numeric identifier needs room for its check digit");
  }
  const std::size_t base_length = length - 1;
  if (base.size() != base_length) {
    return std::unexpected(IdentifierError::invalid_length(ExpectedLength::exactly(base_length), base.size()));
  }
  if (auto checked = check_numeric_digits(base, min_first_digit); !checked) {
    return std::unexpected(std::move(checked.error()));
  }
  std::string identifier(base);
  identifier.push_back(alternating_check_digit(base, digit_value));
  return identifier;
}

std::expected<void, IdentifierError> check_ascii_base(std::string_view text, std::string_view codetyp) {
  if (!text.starts_with(codetyp)) {
    return std::unexpected(IdentifierError::invalid_format(
        fmt::format("identifier must start with Codetyp \"{}\", got \"{}\"", codetyp,
                    leading_characters(text, character_count(codetyp)))));
  }
  const std::size_t end = std::min(text.size(), ascii_id_base_length);
  for (std::size_t position = codetyp.size(); position < end; ++position) {
    if (!is_upper_letter(text[position]) && !is_digit(text[position])) {
      return std::unexpected(IdentifierError::invalid_character_at(text, position));
    }
  }
  return {};
}

std::expected<void, IdentifierError> validate_ascii_id(std::string_view text, std::string_view codetyp) {
  if (text.size() != ascii_id_length) {
    return std::unexpected(IdentifierError::invalid_length(ExpectedLength::exactly(ascii_id_length), text.size()));
  }
  if (const auto non_ascii = std::ranges::find_if_not(text, is_ascii); non_ascii != text.end()) {
    return std::unexpected(IdentifierError::invalid_character_at(text, static_cast<std::size_t>(non_ascii - text.begin())));
  }
  const std::string_view base = text.substr(0, ascii_id_base_length);
  if (auto checked = check_ascii_base(base, codetyp); !checked) return checked;
  constexpr std::size_t check_position = ascii_id_length - 1;
  if (!is_digit(text[check_position])) {
    return std::unexpected(IdentifierError::invalid_character_at(text, check_position));
  }
  if (alternating_check_digit(base, codetyp_scheme_value) != text[check_position]) {
    return std::unexpected(IdentifierError::invalid_checksum());
  }
  return {};
}

std::expected<std::string, IdentifierError> compute_ascii_id_from_base(std::string_view base,
                                                                       std::string_view codetyp) {
  if (base.size() != ascii_id_base_length) {
    return std::unexpected(IdentifierError::invalid_length(ExpectedLength::exactly(ascii_id_base_length), base.size()));
  }
  if (auto checked = check_ascii_base(base, codetyp); !checked) {
    return std::unexpected(std::move(checked.error()));
  }
  std::string identifier(base);
  identifier.push_back(alternating_check_digit(base, codetyp_scheme_value));
  return identifier;
}

}  // namespace rubo4e::identifiers::checksum

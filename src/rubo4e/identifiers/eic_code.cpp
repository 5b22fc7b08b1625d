#include "rubo4e/identifiers/eic_code.hpp"

#include <algorithm>

namespace rubo4e::identifiers::eic_code {
namespace {

using rubo4e::error::ExpectedLength;

constexpr unsigned modulus = 37;
constexpr unsigned dash_value = 36;

bool is_ascii(char c) { return static_cast<unsigned char>(c) < 0x80; }
bool is_eic_character(char c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || c == '-'; }

// Characters that are no EIC characters count 0; validation rejects them separately.
unsigned character_value(char c) {
  if (c >= '0' && c <= '9') return static_cast<unsigned>(c - '0');
  if (c >= 'A' && c <= 'Z') return static_cast<unsigned>(c - 'A') + 10;
  if (c == '-') return dash_value;
  return 0;
}

// The character that stands for a check value 0–35.
char value_character(unsigned value) {
  return value < 10 ? static_cast<char>('0' + value) : static_cast<char>('A' + (value - 10));
}

}  // namespace

std::optional<std::string_view> object_type_name(char letter) {
  const auto found = std::ranges::find(object_types, letter, &ObjectType::letter);
  if (found == object_types.end()) return std::nullopt;
  return found->name;
}

std::optional<char> compute_check_char(std::string_view prefix) {
  const std::size_t counted = std::min(prefix.size(), prefix_length);
  unsigned sum = 0;
  for (std::size_t position = 0; position < counted; ++position) {
    sum += character_value(prefix[position]) * static_cast<unsigned>(length - position);
  }
  const unsigned check_value = dash_value - (sum + modulus - 1) % modulus;
  if (check_value == dash_value) return std::nullopt;
  return value_character(check_value);
}

std::expected<void, IdentifierError> validate(std::string_view text) {
  if (!std::ranges::all_of(text, is_ascii)) {
    return std::unexpected(IdentifierError::invalid_format("EIC code must contain only ASCII characters"));
  }
  if (text.size() != length) {
    return std::unexpected(IdentifierError::invalid_length(ExpectedLength::exactly(length), text.size()));
  }
  if (const auto invalid = std::ranges::find_if_not(text, is_eic_character); invalid != text.end()) {
    return std::unexpected(IdentifierError::invalid_character_at(text, static_cast<std::size_t>(invalid - text.begin())));
  }
  if (!object_type_name(text[object_type_index])) {
    return std::unexpected(IdentifierError::invalid_format(
        "position 3 must be a valid EIC object-type character (A/T/V/W/X/Y/Z)"));
  }
  if (compute_check_char(text.substr(0, prefix_length)) != text.back()) {
    return std::unexpected(IdentifierError::invalid_checksum());
  }
  return {};
}

std::expected<char, IdentifierError> object_type_of(std::string_view text) {
  if (auto valid = validate(text); !valid) return std::unexpected(std::move(valid.error()));
  return text[object_type_index];
}

std::expected<std::string, IdentifierError> EicCode::complete_prefix(std::string_view prefix) {
  if (prefix.size() != prefix_length) {
    return std::unexpected(IdentifierError::invalid_length(ExpectedLength::exactly(prefix_length), prefix.size()));
  }
  if (!std::ranges::all_of(prefix, is_ascii)) {
    return std::unexpected(IdentifierError::invalid_format("EIC prefix must contain only ASCII characters"));
  }
  const auto check_char = compute_check_char(prefix);
  if (!check_char) return std::unexpected(IdentifierError::invalid_checksum());
  std::string code(prefix);
  code.push_back(*check_char);
  return code;
}

std::expected<EicCode, IdentifierError> EicCode::new_from_prefix(std::string_view prefix) {
  auto code = complete_prefix(prefix);
  if (!code) return std::unexpected(std::move(code.error()));
  if (auto valid = validate(*code); !valid) return std::unexpected(std::move(valid.error()));
  return EicCode(std::move(*code));
}

}  // namespace rubo4e::identifiers::eic_code

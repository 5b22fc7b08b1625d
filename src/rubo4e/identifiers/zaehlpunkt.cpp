#include "rubo4e/identifiers/zaehlpunkt.hpp"

namespace rubo4e::identifiers::zaehlpunkt {
namespace {

using rubo4e::error::ExpectedLength;

constexpr std::size_t country_code_length = 2;

bool is_upper_letter(char c) { return c >= 'A' && c <= 'Z'; }
bool is_ascii_alphanumeric(char c) {
  return is_upper_letter(c) || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
}

}  // namespace

std::expected<void, IdentifierError> validate_zaehlpunktbezeichnung(std::string_view text) {
  if (text.size() != length) {
    return std::unexpected(IdentifierError::invalid_length(ExpectedLength::exactly(length), text.size()));
  }
  if (!is_upper_letter(text[0]) || !is_upper_letter(text[1])) {
    return std::unexpected(IdentifierError::invalid_format(
        "first two characters must be uppercase ISO 3166-1 country code (e.g. \"DE\")"));
  }
  for (std::size_t position = country_code_length; position < length; ++position) {
    if (!is_ascii_alphanumeric(text[position])) {
      return std::unexpected(IdentifierError::invalid_character_at(text, position));
    }
  }
  return {};
}

}  // namespace rubo4e::identifiers::zaehlpunkt

#include "rubo4e/identifiers/malo_id.hpp"

#include "rubo4e/identifiers/checksum.hpp"

namespace rubo4e::identifiers::malo_id {

std::expected<void, IdentifierError> validate(std::string_view text) {
  return checksum::validate_numeric_id(text, length, min_first_digit);
}

std::expected<std::string, IdentifierError> from_base(std::string_view base) {
  return checksum::compute_numeric_id_from_base(base, length, min_first_digit);
}

std::expected<std::uint8_t, IdentifierError> check_digit(std::string_view base) {
  const auto identifier = from_base(base);
  if (!identifier) return std::unexpected(identifier.error());
  return static_cast<std::uint8_t>(identifier->back() - '0');
}

}  // namespace rubo4e::identifiers::malo_id

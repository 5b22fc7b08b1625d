#include "rubo4e/identifiers/bilanzkreis_id.hpp"

#include <fmt/format.h>

namespace rubo4e::identifiers::bilanzkreis_id {

std::expected<void, IdentifierError> validate_typed_eic(std::string_view text, char required_type,
                                                        std::string_view type_name) {
  if (auto valid = eic_code::validate(text); !valid) return valid;
  const char found_type = text[eic_code::object_type_index];
  if (found_type == required_type) return {};
  return std::unexpected(IdentifierError::invalid_format(fmt::format(
      "{} requires EIC object type '{}' ({}) at position 3, found '{}' ({})", type_name, required_type,
      eic_code::object_type_name(required_type).value_or(""), found_type,
      eic_code::object_type_name(found_type).value_or(""))));
}

}  // namespace rubo4e::identifiers::bilanzkreis_id

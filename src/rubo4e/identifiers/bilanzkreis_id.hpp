// The balancing identifiers: EICs of a fixed object type, "X" (party) for a Bilanzkreis and
// "Y" (area or domain) for a Bilanzierungsgebiet.
#pragma once

#include <expected>
#include <string>
#include <string_view>

#include "rubo4e/error.hpp"
#include "rubo4e/identifiers/eic_code.hpp"

namespace rubo4e::identifiers::bilanzkreis_id {

using rubo4e::error::IdentifierError;

// A valid EIC whose object type is `required_type`, else the EIC's own error or the message
// "<type_name> requires EIC object type …".
std::expected<void, IdentifierError> validate_typed_eic(std::string_view text, char required_type,
                                                        std::string_view type_name);

template <typename Traits>
class TypedEic {
 public:
  static constexpr char object_type = Traits::object_type;

  static std::expected<void, IdentifierError> validate(std::string_view text) {
    return validate_typed_eic(text, object_type, Traits::type_name);
  }

  // The fifteen-character prefix completed with its check character, then validated.
  static std::expected<TypedEic, IdentifierError> from_prefix(std::string_view prefix) {
    auto code = eic_code::EicCode::complete_prefix(prefix);
    if (!code) return std::unexpected(std::move(code.error()));
    if (auto valid = validate(*code); !valid) return std::unexpected(std::move(valid.error()));
    return TypedEic(std::move(*code));
  }

  const std::string& as_str() const { return text_; }

  bool operator==(const TypedEic&) const = default;

 private:
  explicit TypedEic(std::string text) : text_(std::move(text)) {}
  std::string text_;
};

struct BilanzkreisTraits {
  static constexpr char object_type = 'X';
  static constexpr std::string_view type_name = "BilanzkreisId";
};
struct BilanzierungsgebietTraits {
  static constexpr char object_type = 'Y';
  static constexpr std::string_view type_name = "BilanzierungsgebietId";
};

using BilanzkreisId = TypedEic<BilanzkreisTraits>;
using BilanzierungsgebietId = TypedEic<BilanzierungsgebietTraits>;

}  // namespace rubo4e::identifiers::bilanzkreis_id

// Energy Identification Code (ENTSO-E): sixteen characters of 0–9, A–Z and "-", an object-type
// letter at position 3 (counted from 1) and a check character computed modulo 37.
#pragma once

#include <array>
#include <cstddef>
#include <expected>
#include <optional>
#include <string>
#include <string_view>

#include "rubo4e/error.hpp"

namespace rubo4e::identifiers::eic_code {

using rubo4e::error::IdentifierError;

inline constexpr std::size_t length = 16;
inline constexpr std::size_t prefix_length = length - 1;
inline constexpr std::size_t object_type_index = 2;

struct ObjectType {
  char letter;
  std::string_view name;
};
inline constexpr std::array<ObjectType, 7> object_types{{
    {'A', "Substation"},
    {'T', "Tieline"},
    {'V', "Location"},
    {'W', "Resource Object"},
    {'X', "Party"},
    {'Y', "Area or Domain"},
    {'Z', "Measurement Point"},
}};

// The name of an object-type letter, or nothing for a letter that names no object type.
std::optional<std::string_view> object_type_name(char letter);

// The check character of the first 15 characters (ASCII); nothing when the check value would
// be "-", which no EIC may end in. Characters beyond the fifteenth are ignored.
std::optional<char> compute_check_char(std::string_view prefix);

std::expected<void, IdentifierError> validate(std::string_view text);

// The object-type letter of a valid EIC.
std::expected<char, IdentifierError> object_type_of(std::string_view text);

class EicCode {
 public:
  // The fifteen-character prefix with its check character appended; the prefix's characters
  // themselves are not tested.
  static std::expected<std::string, IdentifierError> complete_prefix(std::string_view prefix);
  // complete_prefix, then validate.
  static std::expected<EicCode, IdentifierError> new_from_prefix(std::string_view prefix);

  const std::string& as_str() const { return text_; }
  char object_type() const { return text_[object_type_index]; }

  bool operator==(const EicCode&) const = default;

 private:
  explicit EicCode(std::string text) : text_(std::move(text)) {}
  std::string text_;
};

}  // namespace rubo4e::identifiers::eic_code

// Marktlokations-ID: eleven digits, the first from 1 to 9, the last the BDEW check digit.
#pragma once

#include <cstddef>
#include <cstdint>
#include <expected>
#include <string>
#include <string_view>

#include "rubo4e/error.hpp"

namespace rubo4e::identifiers::malo_id {

using rubo4e::error::IdentifierError;

inline constexpr std::size_t length = 11;
inline constexpr std::uint8_t min_first_digit = 1;

std::expected<void, IdentifierError> validate(std::string_view text);
// The ten-digit base with its check digit appended.
std::expected<std::string, IdentifierError> from_base(std::string_view base);
// The check digit (0–9) that completes the ten-digit base.
std::expected<std::uint8_t, IdentifierError> check_digit(std::string_view base);

}  // namespace rubo4e::identifiers::malo_id

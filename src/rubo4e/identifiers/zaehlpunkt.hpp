// Zählpunktbezeichnung (Messlokations-ID): a country code and 31 letters or digits, 33
// characters in all, without a check character.
#pragma once

#include <cstddef>
#include <expected>
#include <string_view>

#include "rubo4e/error.hpp"

namespace rubo4e::identifiers::zaehlpunkt {

using rubo4e::error::IdentifierError;

inline constexpr std::size_t length = 33;

std::expected<void, IdentifierError> validate_zaehlpunktbezeichnung(std::string_view text);

}  // namespace rubo4e::identifiers::zaehlpunkt

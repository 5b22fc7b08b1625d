// The two check-digit schemes shared by several identifier kinds: the BDEW numeric scheme
// (Marktlokations-ID, BDEW Marktpartner-ID) and the Codetyp scheme of the eleven-character
// resource identifiers (Netzlokation, Netzelement, Redispatch resources, Pakete).
#pragma once

#include <cstddef>
#include <cstdint>
#include <expected>
#include <string>
#include <string_view>

#include "rubo4e/error.hpp"

namespace rubo4e::identifiers::checksum {

using rubo4e::error::IdentifierError;

// A text of `length` digits whose first digit is at least `min_first_digit` and whose last digit
// is the BDEW check digit of the others (weights 1, 2, 1, 2, … from the left, no cross sum).
std::expected<void, IdentifierError> validate_numeric_id(std::string_view text, std::size_t length,
                                                         std::uint8_t min_first_digit);

// `base` (length − 1 digits) with its BDEW check digit appended. `length` must be at least 1:
// an identifier always ends in its check digit.
std::expected<std::string, IdentifierError> compute_numeric_id_from_base(std::string_view base,
                                                                         std::size_t length,
                                                                         std::uint8_t min_first_digit);

inline constexpr std::size_t ascii_id_length = 11;
inline constexpr std::size_t ascii_id_base_length = ascii_id_length - 1;

// An eleven-character identifier that starts with `codetyp`, continues with A–Z or 0–9 up to
// position 9 and ends in the Codetyp-scheme check digit.
std::expected<void, IdentifierError> validate_ascii_id(std::string_view text, std::string_view codetyp);

// The ten-character `base` with its Codetyp-scheme check digit appended.
std::expected<std::string, IdentifierError> compute_ascii_id_from_base(std::string_view base,
                                                                       std::string_view codetyp);

// The part both of the above test on the first ten characters: the Codetyp prefix, then only
// A–Z and 0–9 up to position 9.
std::expected<void, IdentifierError> check_ascii_base(std::string_view text, std::string_view codetyp);

}  // namespace rubo4e::identifiers::checksum

// The shapes of the two location identifiers that semantic rules accept in LOC segments. Only the
// shape: the Marktlokations-ID check digit is left to the format conditions.
#pragma once

#include <string_view>

namespace edi_energy::messages::common {

// 11 bytes, each "A" to "Z" or a digit.
bool is_valid_malo_id(std::string_view text);

// 33 bytes: a two-capital country code, then 31 ASCII letters (either case) or digits.
bool is_valid_melo_id(std::string_view text);

}  // namespace edi_energy::messages::common

// The shape of a market-partner ID that a BDEW, DVGW or GS1 qualifier announces: 13 digits. Only
// the shape: real test data carries IDs whose check digit is wrong.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <string_view>

namespace edi_energy::mp_id_shape {

// UNB DE 0007: GS1, BDEW, DVGW.
inline constexpr std::array<std::string_view, 3> unb_qualifiers{"14", "500", "502"};
// NAD DE 3055: GS1, BDEW, DVGW.
inline constexpr std::array<std::string_view, 3> nad_agencies{"9", "293", "332"};

inline constexpr std::size_t MP_ID_DIGITS = 13;

constexpr bool is_mp_id(std::string_view id) {
  return id.size() == MP_ID_DIGITS && std::ranges::all_of(id, [](char c) { return c >= '0' && c <= '9'; });
}

}  // namespace edi_energy::mp_id_shape

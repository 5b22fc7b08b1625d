// Code-list agencies (DE 3055) written after a market-partner ID in NAD segments.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace edi_energy::agency_code {

enum class AgencyCode : std::uint8_t {
  Bdew,  // "293": BDEW code numbers
  Gs1,   // "9"
  Etso,  // "305": EIC codes
  Dvgw,  // "332": DVGW code numbers
};

inline constexpr std::array<std::string_view, 4> agency_code_texts{"293", "9", "305", "332"};

constexpr std::string_view code(AgencyCode agency) {
  return agency_code_texts[static_cast<std::size_t>(agency)];
}

// The agency to write after `mp_id`: chosen from its length and first two bytes only, so any
// text gets an answer.
AgencyCode for_mp_id(std::string_view mp_id);

}  // namespace edi_energy::agency_code

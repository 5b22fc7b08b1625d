// Which code-list agency (DE 3055) a builder writes after a party ID in NAD, and which partner
// qualifier (DE 0007) goes after it in UNB and UCI.
#pragma once

#include <cstdint>
#include <string_view>

namespace edi_energy::builders {

enum class AgencyKind : std::uint8_t {
  Bdew = 0,       // "293"
  Gs1 = 1,        // "9"
  Code305 = 2,    // "305"
  Dvgw = 3,       // "332"
  Automatic = 4,  // chosen from the ID
};

// The DE 3055 code for `party_id`; the fixed kinds ignore the ID.
std::string_view agency_for(AgencyKind kind, std::string_view party_id);

// "500" (BDEW, and any ID that is not 13 bytes long), "502" (DVGW) or "14" (GS1).
std::string_view unb_qualifier(std::string_view party_id);

}  // namespace edi_energy::builders

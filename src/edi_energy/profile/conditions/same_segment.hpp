// Condition texts that speak of the very segment a value stands in ("im DE3155 in demselben COM
// der Code EM"): a group may hold several such segments, so the group is the wrong scope.
#pragma once

#include <string_view>

namespace edi_energy::profile::conditions {

bool names_same_segment(std::string_view text, std::string_view tag);

}  // namespace edi_energy::profile::conditions

// Condition texts that speak of the very segment a value stands in ("im DE3155 in demselben COM
// der Code EM", "in diesem STS DE1131 = E_0487"): a group, let alone the message, may hold
// several such segments, so neither is the right scope.
#pragma once

#include <string>
#include <string_view>

#include "edi_energy/profile/conditions/voraussetzung.hpp"

namespace edi_energy::profile::conditions {

bool names_same_segment(std::string_view text, std::string_view tag);

// The tag of the one segment a reading asks about when its text points at it as its own; empty
// when the text points at no segment, or names others beside it.
std::string own_segment_tag(std::string_view text, const Voraussetzung& reading);

}  // namespace edi_energy::profile::conditions

// How the completion loop turns one round's findings into keys for the next walk.
#pragma once

#include <span>

#include "edi_energy/profile/skeleton/keys.hpp"
#include "edifact/report/issue.hpp"

namespace edi_energy::profile::skeleton {

// Adds the keys that the findings ask for; true when the round made progress (some key is new,
// or a code rotation moved on).
bool learn_from_findings(std::span<const edifact::report::ValidationIssue> findings, KeySets& keys);

}  // namespace edi_energy::profile::skeleton

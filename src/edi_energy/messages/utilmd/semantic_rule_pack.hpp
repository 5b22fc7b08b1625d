// The semantic rules of UTILMD: the shape of the location identifiers of Marktlokation,
// Tranche and Messlokation.
#pragma once

#include "edifact/validator/pack/profile_rule_pack.hpp"

namespace edi_energy::messages::utilmd {

// "UTILMD-SEM" with the segment rule SEM-UTILMD-LOKATIONS-ID.
edifact::validator::pack::ProfileRulePack semantic_rule_pack();

}  // namespace edi_energy::messages::utilmd

// The semantic rules of INVOIC: the order of the period's start and end.
#pragma once

#include "edifact/validator/pack/profile_rule_pack.hpp"

namespace edi_energy::messages::invoic {

// "INVOIC-SEM" with the segment rule SEM-INVOIC-PERIOD-ORDER.
edifact::validator::pack::ProfileRulePack semantic_rule_pack();

}  // namespace edi_energy::messages::invoic

// The semantic rules of MSCONS: the shape of the Meldepunkt, the order of the period's start and
// end, and the approved units of quantities.
#pragma once

#include "edifact/validator/pack/profile_rule_pack.hpp"

namespace edi_energy::messages::mscons {

// "MSCONS-SEM" with the segment rules SEM-MSCONS-LOCATION-FORMAT, SEM-MSCONS-PERIOD-ORDER and
// SEM-MSCONS-UNIT-UNKNOWN, in this order.
edifact::validator::pack::ProfileRulePack semantic_rule_pack();

}  // namespace edi_energy::messages::mscons

// The semantic rules of INSRPT: the order of the period's start and end within each SG7.
#pragma once

#include "edifact/validator/pack/profile_rule_pack.hpp"

namespace edi_energy::messages::insrpt {

// "INSRPT-SEM" with the group rule SEM-INSRPT-SG7-PERIOD-ORDER on group "SG7".
edifact::validator::pack::ProfileRulePack semantic_rule_pack();

}  // namespace edi_energy::messages::insrpt

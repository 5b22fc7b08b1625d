// The semantic rules of CONTRL: the action code of the interchange response.
#pragma once

#include "edifact/validator/pack/profile_rule_pack.hpp"

namespace edi_energy::messages::contrl {

// "CONTRL-SEM" with the segment rule SEM-CONTRL-SYNTAX-CODE-UNKNOWN.
edifact::validator::pack::ProfileRulePack semantic_rule_pack();

}  // namespace edi_energy::messages::contrl

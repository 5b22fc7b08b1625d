// The semantic rules of ORDERS: the order of the period's start and end.
#pragma once

#include "edifact/validator/pack/profile_rule_pack.hpp"

namespace edi_energy::messages::orders {

// "ORDERS-SEM" with the segment rule SEM-ORDERS-PERIOD-ORDER.
edifact::validator::pack::ProfileRulePack semantic_rule_pack();

}  // namespace edi_energy::messages::orders

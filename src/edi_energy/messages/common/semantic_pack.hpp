// An empty semantic rule pack for one message type: named after the type with "-SEM", scoped to
// that type, with no issue cap, no release scope and no early stop.
#pragma once

#include <string_view>

#include "edifact/validator/pack/profile_rule_pack.hpp"

namespace edi_energy::messages::common {

// `message_type` is the six-letter UNH code, such as "MSCONS".
edifact::validator::pack::ProfileRulePack semantic_pack(std::string_view message_type);

}  // namespace edi_energy::messages::common

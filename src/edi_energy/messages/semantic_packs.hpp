// Which message types bring a semantic rule pack to their validation, and the pack of each.
#pragma once

#include <optional>

#include "edi_energy/message_type.hpp"
#include "edifact/validator/pack/profile_rule_pack.hpp"

namespace edi_energy::messages {

// A fresh pack for CONTRL, INSRPT, INVOIC, MSCONS, ORDERS, REMADV and UTILMD; nothing for the
// other types.
std::optional<edifact::validator::pack::ProfileRulePack> semantic_rule_pack_for(message_type::MessageType type);

}  // namespace edi_energy::messages

#include "edi_energy/messages/semantic_packs.hpp"

#include <array>
#include <cstddef>

#include "edi_energy/messages/contrl/semantic_rule_pack.hpp"
#include "edi_energy/messages/insrpt/semantic_rule_pack.hpp"
#include "edi_energy/messages/invoic/semantic_rule_pack.hpp"
#include "edi_energy/messages/mscons/semantic_rule_pack.hpp"
#include "edi_energy/messages/orders/semantic_rule_pack.hpp"
#include "edi_energy/messages/remadv/semantic_rule_pack.hpp"
#include "edi_energy/messages/utilmd/semantic_rule_pack.hpp"

namespace edi_energy::messages {
namespace {

using edifact::validator::pack::ProfileRulePack;
using PackMaker = ProfileRulePack (*)();

// Indexed by `MessageType`.
constexpr std::array<PackMaker, message_type::message_type_count> pack_makers{
    utilmd::semantic_rule_pack,  // UTILMD
    mscons::semantic_rule_pack,  // MSCONS
    nullptr,                     // APERAK
    contrl::semantic_rule_pack,  // CONTRL
    invoic::semantic_rule_pack,  // INVOIC
    remadv::semantic_rule_pack,  // REMADV
    orders::semantic_rule_pack,  // ORDERS
    nullptr,                     // IFTSTA
    insrpt::semantic_rule_pack,  // INSRPT
    nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
};

}  // namespace

std::optional<ProfileRulePack> semantic_rule_pack_for(message_type::MessageType type) {
  const PackMaker make = pack_makers[static_cast<std::size_t>(type)];
  if (make == nullptr) return std::nullopt;
  return make();
}

}  // namespace edi_energy::messages

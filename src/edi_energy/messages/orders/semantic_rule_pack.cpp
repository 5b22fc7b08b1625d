#include "edi_energy/messages/orders/semantic_rule_pack.hpp"

#include <array>
#include <memory>
#include <string_view>

#include "edi_energy/messages/common/period_order.hpp"
#include "edi_energy/messages/common/semantic_pack.hpp"

namespace edi_energy::messages::orders {
namespace {

// Each Positionsteil (the SG29 that LIN opens) carries its own Zeitraum für Wertanfrage.
constexpr std::array<std::string_view, 1> period_openers{"LIN"};

void period_order(std::span<const edifact::model::Segment> segments,
                  const edifact::validator::RuleContext& /*context*/,
                  edifact::report::FindingSink findings) {
  common::check_each_period_order(segments, period_openers, "SEM-ORDERS-PERIOD-ORDER", findings);
}

}  // namespace

edifact::validator::pack::ProfileRulePack semantic_rule_pack() {
  using edifact::validator::pack::StatelessClosureProfileRule;
  return common::semantic_pack("ORDERS")
      .with_rule(std::make_shared<const StatelessClosureProfileRule>(period_order));
}

}  // namespace edi_energy::messages::orders

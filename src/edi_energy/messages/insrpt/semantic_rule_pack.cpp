#include "edi_energy/messages/insrpt/semantic_rule_pack.hpp"

#include <string_view>

#include "edi_energy/messages/common/period_order.hpp"
#include "edi_energy/messages/common/semantic_pack.hpp"

namespace edi_energy::messages::insrpt {
namespace {

constexpr std::string_view rule_id = "SEM-INSRPT-SG7-PERIOD-ORDER";

// Runs once per SG7 instance, so the dates of different instances are never compared.
void sg7_period_order(const edifact::group::SegmentGroupIndexed& group,
                      std::span<const edifact::model::Segment> segments,
                      const edifact::validator::RuleContext& /*context*/,
                      edifact::report::FindingSink findings) {
  common::check_period_order(segments, rule_id, findings, group.start);
}

}  // namespace

edifact::validator::pack::ProfileRulePack semantic_rule_pack() {
  return common::semantic_pack("INSRPT")
      .with_group_rule(edifact::validator::pack::GroupRule(sg7_period_order), std::string(rule_id),
                       std::string("SG7"));
}

}  // namespace edi_energy::messages::insrpt

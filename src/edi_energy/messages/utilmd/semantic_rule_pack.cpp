#include "edi_energy/messages/utilmd/semantic_rule_pack.hpp"

#include <algorithm>
#include <array>
#include <memory>
#include <optional>
#include <string_view>

#include <fmt/format.h>

#include "edi_energy/messages/common/location_id.hpp"
#include "edi_energy/messages/common/semantic_finding.hpp"
#include "edi_energy/messages/common/semantic_pack.hpp"
#include "edi_energy/profile/conditions/segment_access.hpp"

namespace edi_energy::messages::utilmd {
namespace {

namespace segment_access = profile::conditions::segment_access;
using edifact::model::Segment;

constexpr std::string_view rule_id = "SEM-UTILMD-LOKATIONS-ID";
constexpr std::array<std::string_view, 3> checked_qualifiers{"Z16", "Z22", "Z17"};
constexpr std::string_view suggestion =
    "LOC+Z16 / LOC+Z22 carry an 11-character Marktlokations-ID matching [A-Z0-9]{11}; LOC+Z17 "
    "carries a 33-character Messlokations-ID starting with an ISO 3166-1 country code";

// Either shape passes under every qualifier: the qualifier does not pin the kind here.
void lokations_id(std::span<const Segment> segments,
                  const edifact::validator::RuleContext& /*context*/,
                  edifact::report::FindingSink findings) {
  for (const Segment& segment : segments) {
    if (segment.tag() != "LOC" || segment_access::element_count(segment) < 2) continue;
    const std::optional<std::string_view> qualifier = segment_access::component(segment, 0, 0);
    if (!qualifier) continue;
    if (std::ranges::find(checked_qualifiers, *qualifier) == checked_qualifiers.end()) continue;
    const std::string_view id = segment_access::component(segment, 1, 0).value_or("");
    if (id.empty() || common::is_valid_malo_id(id) || common::is_valid_melo_id(id)) continue;
    findings.push_back(common::semantic_finding(
        rule_id,
        fmt::format("LOC+{} element 3225: value is neither a Marktlokations-ID ([A-Z0-9]{{11}}) "
                    "nor a Messlokations-ID (33 characters)",
                    *qualifier),
        suggestion, segment));
  }
}

}  // namespace

edifact::validator::pack::ProfileRulePack semantic_rule_pack() {
  using edifact::validator::pack::StatelessClosureProfileRule;
  return common::semantic_pack("UTILMD")
      .with_rule(std::make_shared<const StatelessClosureProfileRule>(lokations_id));
}

}  // namespace edi_energy::messages::utilmd

#include "edi_energy/messages/contrl/semantic_rule_pack.hpp"

#include <algorithm>
#include <array>
#include <memory>
#include <optional>
#include <string_view>

#include <fmt/format.h>

#include "edi_energy/messages/common/semantic_finding.hpp"
#include "edi_energy/messages/common/semantic_pack.hpp"
#include "edi_energy/profile/conditions/segment_access.hpp"

namespace edi_energy::messages::contrl {
namespace {

namespace segment_access = profile::conditions::segment_access;
using edifact::model::Segment;

constexpr std::string_view rule_id = "SEM-CONTRL-SYNTAX-CODE-UNKNOWN";
constexpr std::array<std::string_view, 3> admitted_action_codes{"4", "7", "8"};
constexpr std::string_view suggestion =
    "Use one of the action codes of DE 0083 admitted in CONTRL: 4 (Diese Ebene und alle tieferen "
    "Ebenen zurückgewiesen), 7 (Übertragung bestätigt (keine Syntaxfehler)) or 8 (Datenaustausch "
    "erhalten)";

void syntax_action_code(std::span<const Segment> segments,
                        const edifact::validator::RuleContext& /*context*/,
                        edifact::report::FindingSink findings) {
  for (const Segment& segment : segments) {
    if (segment.tag() != "UCI" || segment_access::element_count(segment) < 4) continue;
    const std::optional<std::string_view> code = segment_access::component(segment, 3, 0);
    if (!code || code->empty()) continue;
    if (std::ranges::find(admitted_action_codes, *code) != admitted_action_codes.end()) continue;
    findings.push_back(common::semantic_finding(
        rule_id,
        fmt::format("UCI DE 0083 (element 3, component 0): action code '{}' is not one of the "
                    "admitted codes 4, 7 and 8",
                    *code),
        suggestion, segment));
  }
}

}  // namespace

edifact::validator::pack::ProfileRulePack semantic_rule_pack() {
  using edifact::validator::pack::StatelessClosureProfileRule;
  return common::semantic_pack("CONTRL")
      .with_rule(std::make_shared<const StatelessClosureProfileRule>(syntax_action_code));
}

}  // namespace edi_energy::messages::contrl

#include "edi_energy/messages/mscons/semantic_rule_pack.hpp"

#include <algorithm>
#include <array>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "edi_energy/messages/common/location_id.hpp"
#include "edi_energy/messages/common/period_order.hpp"
#include "edi_energy/messages/common/semantic_finding.hpp"
#include "edi_energy/messages/common/semantic_pack.hpp"
#include "edi_energy/profile/conditions/segment_access.hpp"

namespace edi_energy::messages::mscons {
namespace {

namespace segment_access = profile::conditions::segment_access;
using edifact::model::Segment;
using edifact::report::ValidationIssue;
using edifact::validator::RuleContext;

constexpr std::string_view location_message =
    "LOC+172 element 3225 (C517 component 0): value is neither a Marktlokations-ID ([A-Z0-9]{11}) "
    "nor a Messlokations-ID (33 characters)";
constexpr std::string_view location_suggestion =
    "The Meldepunkt in LOC+172 must be either an 11-character Marktlokations-ID matching "
    "[A-Z0-9]{11} or a 33-character Messlokations-ID starting with an ISO 3166-1 country code";

// Code list 6411 as EDI@Energy approves it for MSCONS.
constexpr std::array<std::string_view, 22> approved_units{
    "KWH", "MWH", "GWH", "KW", "KWT", "MW",  "GW", "KVA", "MVA", "KVAR", "MVAR",
    "M3",  "M3H", "HM3", "GJ", "MJ",  "J",   "D54", "MTS", "Z03", "Z12", "Z14"};
constexpr std::size_t longest_unit = 4;
constexpr std::string_view unit_message =
    "QTY C186 component 2 (DE 6411): unit-of-measure code is not in the EDI@Energy approved set "
    "for MSCONS";
constexpr std::string_view unit_suggestion =
    "Use one of the EDI@Energy MSCONS approved units (Code List 6411): KWH MWH GWH KW KWT MW GW KVA "
    "MVA KVAR MVAR M3 M3H HM3 GJ MJ J D54 MTS Z03 Z12 Z14";

void location_format(std::span<const Segment> segments, const RuleContext& /*context*/,
                     edifact::report::FindingSink findings) {
  for (const Segment& segment : segments) {
    if (segment.tag() != "LOC" || segment_access::element_count(segment) < 2) continue;
    if (segment_access::component(segment, 0, 0) != "172") continue;
    const std::string_view meldepunkt = segment_access::component(segment, 1, 0).value_or("");
    if (meldepunkt.empty()) continue;
    if (common::is_valid_malo_id(meldepunkt) || common::is_valid_melo_id(meldepunkt)) continue;
    findings.push_back(common::semantic_finding("SEM-MSCONS-LOCATION-FORMAT",
                                                std::string(location_message), location_suggestion,
                                                segment));
  }
}

// The Übertragungszeitraum stands in the SG6 that LOC opens, each value's Messperiode in the SG10
// that its QTY opens.
constexpr std::array<std::string_view, 2> period_openers{"LOC", "QTY"};

void period_order(std::span<const Segment> segments, const RuleContext& /*context*/,
                  edifact::report::FindingSink findings) {
  common::check_each_period_order(segments, period_openers, "SEM-MSCONS-PERIOD-ORDER", findings);
}

bool is_approved_unit(std::string_view unit) {
  return unit.size() <= longest_unit &&
         std::ranges::find(approved_units, unit) != approved_units.end();
}

void unit_unknown(std::span<const Segment> segments, const RuleContext& /*context*/,
                  edifact::report::FindingSink findings) {
  for (const Segment& segment : segments) {
    if (segment.tag() != "QTY") continue;
    const std::string_view unit = segment_access::component(segment, 0, 2).value_or("");
    if (unit.empty() || is_approved_unit(unit)) continue;
    findings.push_back(common::semantic_finding("SEM-MSCONS-UNIT-UNKNOWN",
                                                std::string(unit_message), unit_suggestion,
                                                segment));
  }
}

}  // namespace

edifact::validator::pack::ProfileRulePack semantic_rule_pack() {
  using edifact::validator::pack::StatelessClosureProfileRule;
  return common::semantic_pack("MSCONS")
      .with_rule(std::make_shared<const StatelessClosureProfileRule>(location_format))
      .with_rule(std::make_shared<const StatelessClosureProfileRule>(period_order))
      .with_rule(std::make_shared<const StatelessClosureProfileRule>(unit_unknown));
}

}  // namespace edi_energy::messages::mscons

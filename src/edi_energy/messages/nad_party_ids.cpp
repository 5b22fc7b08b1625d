#include "edi_energy/messages/nad_party_ids.hpp"

#include <algorithm>
#include <cstddef>
#include <string_view>

#include <fmt/format.h>

#include "edi_energy/mp_id_shape.hpp"
#include "support/debug_quote.hpp"

namespace edi_energy::messages {

void check_nad_party_ids(std::span<const edifact::model::Segment> segments, edifact::report::FindingSink findings) {
  for (std::size_t index = 0; index < segments.size(); ++index) {
    const auto& segment = segments[index];
    if (segment.tag() != "NAD") continue;
    const std::string_view role = segment.component_text(0, 0).value_or(std::string_view{});
    if (role != "MS" && role != "MR") continue;
    const std::string_view id = segment.component_text(1, 0).value_or(std::string_view{});
    const std::string_view agency = segment.component_text(1, 2).value_or(std::string_view{});
    if (id.empty() || mp_id_shape::is_mp_id(id) ||
        std::ranges::find(mp_id_shape::nad_agencies, agency) == mp_id_shape::nad_agencies.end()) {
      continue;
    }
    findings.push_back(edifact::report::ValidationIssue(
                           edifact::report::Severity::Error,
                           fmt::format("NAD+{} party {} is no market-partner ID: code-list agency {} (DE 3055) names "
                                       "one of {} digits",
                                       role, support::debug_quote(id), agency, mp_id_shape::MP_ID_DIGITS))
                           .with_rule_id("SEM-NAD-PARTY-ID")
                           .with_segment("NAD")
                           .with_segment_index(index)
                           .with_element(1));
  }
}

}  // namespace edi_energy::messages

#include "edi_energy/messages/common/period_order.hpp"

#include <optional>
#include <string>

#include "edi_energy/messages/common/semantic_finding.hpp"
#include "edi_energy/profile/conditions/segment_access.hpp"

namespace edi_energy::messages::common {
namespace {

namespace segment_access = profile::conditions::segment_access;

constexpr std::string_view message =
    "DTM: period-start (qualifier 163) is after period-end (qualifier 164)";
constexpr std::string_view suggestion =
    "Ensure DTM+163 (Beginn Lieferzeitraum) is not later than DTM+164 (Ende Lieferzeitraum) — "
    "date values must be in ascending chronological order";

}  // namespace

void check_period_order(std::span<const edifact::model::Segment> segments, std::string_view rule_id,
                        edifact::report::FindingSink findings) {
  std::optional<std::string_view> start;
  std::optional<std::string_view> end;
  const edifact::model::Segment* start_segment = nullptr;

  for (const edifact::model::Segment& segment : segments) {
    if (segment.tag() != "DTM") continue;
    const std::optional<std::string_view> qualifier = segment_access::component(segment, 0, 0);
    if (!qualifier) continue;
    // A qualifier without a value still counts, as an empty one: it hides an earlier value.
    const std::string_view value = segment_access::component(segment, 0, 1).value_or("");
    if (*qualifier == "163") {
      start = value;
      start_segment = &segment;
    } else if (*qualifier == "164") {
      end = value;
    }
  }

  if (!start || !end || start->empty() || end->empty() || start_segment == nullptr) return;
  if (*start > *end) {
    findings.push_back(semantic_finding(rule_id, std::string(message), suggestion, *start_segment));
  }
}

}  // namespace edi_energy::messages::common

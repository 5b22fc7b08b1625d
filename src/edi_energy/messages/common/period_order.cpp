#include "edi_energy/messages/common/period_order.hpp"

#include <algorithm>
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
                        edifact::report::FindingSink findings, std::size_t first_index) {
  std::optional<std::string_view> start;
  std::optional<std::string_view> end;
  std::optional<std::size_t> start_at;

  for (std::size_t at = 0; at < segments.size(); ++at) {
    const edifact::model::Segment& segment = segments[at];
    if (segment.tag() != "DTM") continue;
    const std::optional<std::string_view> qualifier = segment_access::component(segment, 0, 0);
    if (!qualifier) continue;
    // A qualifier without a value still counts, as an empty one: it hides an earlier value.
    const std::string_view value = segment_access::component(segment, 0, 1).value_or("");
    if (*qualifier == "163") {
      start = value;
      start_at = at;
    } else if (*qualifier == "164") {
      end = value;
    }
  }

  if (!start || !end || start->empty() || end->empty() || !start_at) return;
  if (*start > *end) {
    // The index lets a build name the argument that wrote the period.
    findings.push_back(semantic_finding(rule_id, std::string(message), suggestion, segments[*start_at])
                           .with_segment_index(first_index + *start_at));
  }
}

void check_each_period_order(std::span<const edifact::model::Segment> segments,
                             std::span<const std::string_view> openers, std::string_view rule_id,
                             edifact::report::FindingSink findings) {
  std::size_t from = 0;
  for (std::size_t at = 1; at <= segments.size(); ++at) {
    if (at < segments.size() && std::ranges::find(openers, segments[at].tag()) == openers.end()) continue;
    check_period_order(segments.subspan(from, at - from), rule_id, findings, from);
    from = at;
  }
}

}  // namespace edi_energy::messages::common

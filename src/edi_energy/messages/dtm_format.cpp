#include "edi_energy/messages/dtm_format.hpp"

#include <string>
#include <string_view>

#include <fmt/format.h>

#include "support/time_text/dtm_value.hpp"

namespace edi_energy::messages {
namespace {

using support::time_text::DtmValue;

std::string why(std::string_view format_code, DtmValue verdict) {
  const std::string_view layout = support::time_text::dtm_layout(format_code);
  if (verdict == DtmValue::NoSuchDate) {
    return fmt::format("which has the layout {} but names a date or time the calendar does not have", layout);
  }
  if (format_code == "303") {
    return "which is not CCYYMMDDHHMMZZZ — 12 digits plus a signed 2-digit zone, as in "
           "DTM+137:202610011200?+00:303'";
  }
  if (format_code == "Z01") {
    return fmt::format("which is not {}, as in DTM+Z01:03MQ:Z01'", support::time_text::period_layout());
  }
  return fmt::format("which is not {}", layout);
}

}  // namespace

void check_dtm_values(std::span<const edifact::model::Segment> segments, edifact::report::FindingSink findings) {
  for (std::size_t index = 0; index < segments.size(); ++index) {
    const auto& segment = segments[index];
    if (segment.tag() != "DTM") continue;
    const auto elements = segment.elements();
    if (elements.empty()) continue;
    const auto components = elements[0].components();
    if (components.size() < 3) continue;
    const std::string_view format_code = components.text(2);
    const std::string_view value = components.text(1);
    const DtmValue verdict = support::time_text::check_dtm_value(format_code, value);
    if (verdict == DtmValue::Fits || verdict == DtmValue::Unchecked) continue;
    findings.push_back(edifact::report::ValidationIssue(
                           edifact::report::Severity::Error,
                           fmt::format("segment DTM DE 2380 (element 0, component 1): `DTM+{}` declares DE 2379 "
                                       "format '{}' but carries '{}', {}",
                                       components.text(0), format_code, value, why(format_code, verdict)))
                           .with_rule_id("SEM-DTM-VALUE")
                           .with_segment("DTM")
                           .with_segment_index(index)
                           .with_element(0)
                           .with_component(1));
  }
}

}  // namespace edi_energy::messages

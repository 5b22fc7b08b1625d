#include "edi_energy/messages/dtm_format.hpp"

#include <algorithm>
#include <string_view>

#include <fmt/format.h>

namespace edi_energy::messages {
namespace {

bool is_digit(char c) { return c >= '0' && c <= '9'; }

// CCYYMMDDHHMM, "+" or "-", ZZ; no calendar check.
bool is_format_303(std::string_view value) {
  if (value.size() != 15) return false;
  return std::ranges::all_of(value.substr(0, 12), is_digit) && (value[12] == '+' || value[12] == '-') &&
         is_digit(value[13]) && is_digit(value[14]);
}

}  // namespace

void check_dtm_303_values(std::span<const edifact::model::Segment> segments,
                          edifact::report::FindingSink findings) {
  for (const auto& segment : segments) {
    if (segment.tag() != "DTM") continue;
    const auto elements = segment.elements();
    if (elements.empty()) continue;
    const auto components = elements[0].components();
    if (components.size() < 3 || components.text(2) != "303") continue;
    const std::string_view value = components.text(1);
    if (is_format_303(value)) continue;
    findings.push_back(
        edifact::report::ValidationIssue(
            edifact::report::Severity::Error,
            fmt::format("segment DTM DE 2380 (element 0, component 1): `DTM+{}` declares DE 2379 format '303' but "
                        "carries '{}', which is not CCYYMMDDHHMMZZZ — 12 digits plus a signed 2-digit zone, as in "
                        "DTM+137:202610011200?+00:303'",
                        components.text(0), value))
            .with_rule_id("SEM-DTM-VALUE")
            .with_segment("DTM"));
  }
}

}  // namespace edi_energy::messages

// The one shape every semantic finding has: an error with a "SEM-" rule id, the offending
// segment's tag and span, and a suggestion; no context entries, no segment group.
#pragma once

#include <string>
#include <string_view>

#include "edifact/model/segment.hpp"
#include "edifact/report/issue.hpp"

namespace edi_energy::messages::common {

edifact::report::ValidationIssue semantic_finding(std::string_view rule_id, std::string message,
                                                  std::string_view suggestion,
                                                  const edifact::model::Segment& segment);

}  // namespace edi_energy::messages::common

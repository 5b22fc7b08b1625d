#include "edi_energy/messages/common/semantic_finding.hpp"

#include <utility>

namespace edi_energy::messages::common {

edifact::report::ValidationIssue semantic_finding(std::string_view rule_id, std::string message,
                                                  std::string_view suggestion,
                                                  const edifact::model::Segment& segment) {
  return edifact::report::ValidationIssue(edifact::report::Severity::Error, std::move(message))
      .with_rule_id(std::string(rule_id))
      .with_segment(segment.tag())
      .with_suggestion(std::string(suggestion))
      .with_span(segment.span());
}

}  // namespace edi_energy::messages::common

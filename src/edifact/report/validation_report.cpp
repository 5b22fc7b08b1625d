#include "edifact/report/validation_report.hpp"

#include <utility>

namespace edifact::report {

void ValidationReport::push(ValidationIssue issue) {
  if (counts_as_error(issue.severity)) {
    errors.push_back(std::move(issue));
  } else if (issue.severity == Severity::Warning) {
    warnings.push_back(std::move(issue));
  } else {
    infos.push_back(std::move(issue));
  }
}

}  // namespace edifact::report

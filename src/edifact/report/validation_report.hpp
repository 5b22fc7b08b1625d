// The findings of one validation run, kept in three lists by severity.
#pragma once

#include <vector>

#include "edifact/report/issue.hpp"
#include "edifact/report/severity.hpp"

namespace edifact::report {

class ValidationReport {
 public:
  std::vector<ValidationIssue> errors;    // Critical and Error
  std::vector<ValidationIssue> warnings;  // Warning
  std::vector<ValidationIssue> infos;     // Info

  // Appends the finding to the list of its severity; each list keeps the order of arrival.
  void push(ValidationIssue issue);

  friend bool operator==(const ValidationReport&, const ValidationReport&) = default;
};

}  // namespace edifact::report

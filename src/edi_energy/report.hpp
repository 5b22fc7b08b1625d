// The outcome of validating one energy-market message: its findings by severity.
#pragma once

#include <string>
#include <vector>

#include <fmt/format.h>

#include "edifact/report/issue.hpp"

namespace edi_energy::report {

struct EdiEnergyReport {
  std::vector<edifact::report::ValidationIssue> errors;
  std::vector<edifact::report::ValidationIssue> warnings;
  std::vector<edifact::report::ValidationIssue> infos;

  // "2 error(s), 1 warning(s), 0 info(s)"
  std::string summary() const {
    return fmt::format("{} error(s), {} warning(s), {} info(s)", errors.size(), warnings.size(), infos.size());
  }
};

}  // namespace edi_energy::report

#include "edi_energy/report/findings_cap.hpp"

#include <string>
#include <utility>

#include <fmt/format.h>

namespace edi_energy::report {

using edifact::report::Severity;

edifact::report::ValidationIssue findings_left_out(const edifact::report::SeverityCounts& left_out) {
  return edifact::report::ValidationIssue(
             left_out.most_severe().value_or(Severity::Info),
             fmt::format("{} further findings left out after the first {}: {} error(s), {} warning(s), {} info(s) — "
                         "the verdict counts them as if they were listed",
                         left_out.total(), KEPT_FINDINGS, left_out.errors(), left_out.of(Severity::Warning),
                         left_out.of(Severity::Info)))
      .with_rule_id(std::string(FINDINGS_LEFT_OUT_RULE));
}

void file_findings(EdiEnergyReport& report, std::vector<edifact::report::ValidationIssue> findings,
                   const edifact::report::FindingBudget& budget) {
  if (budget.left_out.total() != 0) findings.push_back(findings_left_out(budget.left_out));
  report.left_out = budget.left_out;
  for (edifact::report::ValidationIssue& finding : findings) {
    auto& list = edifact::report::counts_as_error(finding.severity) ? report.errors
                 : finding.severity == Severity::Warning             ? report.warnings
                                                                     : report.infos;
    list.push_back(std::move(finding));
  }
}

}  // namespace edi_energy::report

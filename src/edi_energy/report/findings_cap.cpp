#include "edi_energy/report/findings_cap.hpp"

#include <string>

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

}  // namespace edi_energy::report

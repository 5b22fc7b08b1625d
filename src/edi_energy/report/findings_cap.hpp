// How many findings one message's report keeps, and the finding that closes a report whose
// further findings were only counted.
#pragma once

#include <cstddef>
#include <string_view>

#include <vector>

#include "edi_energy/report.hpp"
#include "edifact/report/finding_sink.hpp"
#include "edifact/report/issue.hpp"

namespace edi_energy::report {

// Far more than a person reads; a message of faulty segments could otherwise make its findings
// thousands of times larger than its bytes.
inline constexpr std::size_t KEPT_FINDINGS = 1000;
inline constexpr std::string_view FINDINGS_LEFT_OUT_RULE = "FINDINGS-LEFT-OUT";

// The finding that stands for `left_out` (not empty): it carries the gravest severity among
// them, so that a report whose kept findings are all warnings still fails when errors were left
// out.
edifact::report::ValidationIssue findings_left_out(const edifact::report::SeverityCounts& left_out);

// Sorts `findings`, kept on `budget`, into the report's lists by severity, closed by the finding
// for those left out when there are any.
void file_findings(EdiEnergyReport& report, std::vector<edifact::report::ValidationIssue> findings,
                   const edifact::report::FindingBudget& budget);

}  // namespace edi_energy::report

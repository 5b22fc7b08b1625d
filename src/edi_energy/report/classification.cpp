#include "edi_energy/report/classification.hpp"

#include <utility>

#include "edi_energy/pid_scan.hpp"

namespace edi_energy::report {
namespace {

using edifact::report::ValidationIssue;

// The flat fields both overloads share; `Issue` is a const or an rvalue reference.
template <class Issue>
ValidationIssueSummary summarise(Issue&& issue, std::optional<std::uint32_t> pruefidentifikator) {
  ValidationIssueSummary summary;
  if (const auto pid = issue.context_value("pid")) {
    if (const auto number = pid_scan::read_number(*pid)) pruefidentifikator = number;
  }
  summary.pruefidentifikator = pruefidentifikator;
  if (issue.rule_id) summary.layer = classify_rule_origin(*issue.rule_id);
  summary.severity = edifact::report::text_form(issue.severity);
  summary.span = issue.span;
  summary.element = issue.element;
  summary.component = issue.component;
  if (issue.segment_group) summary.segment_group = *issue.segment_group;
  if (issue.error_code) summary.error_code = std::string(issue.error_code->text());
  summary.message = std::forward<Issue>(issue).message;
  summary.rule_id = std::forward<Issue>(issue).rule_id;
  summary.segment = std::forward<Issue>(issue).segment;
  summary.suggestion = std::forward<Issue>(issue).suggestion;
  summary.release = std::forward<Issue>(issue).release;
  return summary;
}

}  // namespace

std::optional<edifact::report::ValidationLayer> classify_rule_origin(std::string_view rule_id) {
  // Formatbedingungen are checked with the AHB column, so a broken one is answered like any
  // other AHB finding (with an APERAK, not a CONTRL).
  if (rule_id.starts_with("FMT-")) return edifact::report::ValidationLayer::Ahb;
  // The syntax library reads the other prefixes; one table serves both.
  return edifact::report::layer_of_rule_id(rule_id);
}

ValidationIssueSummary ValidationIssueSummary::from_issue_with_pid(const ValidationIssue& issue,
                                                                   std::optional<std::uint32_t> pruefidentifikator) {
  return summarise(issue, pruefidentifikator);
}

ValidationIssueSummary ValidationIssueSummary::from_issue_with_pid(ValidationIssue&& issue,
                                                                   std::optional<std::uint32_t> pruefidentifikator) {
  return summarise(std::move(issue), pruefidentifikator);
}

}  // namespace edi_energy::report

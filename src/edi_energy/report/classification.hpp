// Findings as the Python layer presents them: the layer a rule id names, and one finding
// flattened into owned texts together with the Prüfidentifikator it belongs to.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "edifact/model/segment.hpp"
#include "edifact/report/issue.hpp"
#include "edifact/report/severity.hpp"

namespace edi_energy::report {

// The layer by the rule id's prefix; none for FMT- findings and any other prefix.
std::optional<edifact::report::ValidationLayer> classify_rule_origin(std::string_view rule_id);

struct ValidationIssueSummary {
  std::optional<edifact::model::Span> span;
  std::string_view severity;  // "critical", "error", "warning" or "info"; static text
  std::string message;
  std::optional<std::string> rule_id;
  std::optional<std::string> segment;
  std::optional<std::uint8_t> element;
  std::optional<std::uint8_t> component;
  std::optional<std::string> segment_group;
  std::optional<std::string> suggestion;
  std::optional<std::string> error_code;
  std::optional<std::string> release;
  std::optional<std::uint32_t> pruefidentifikator;
  std::optional<edifact::report::ValidationLayer> layer;

  // A "pid" context entry holding a decimal number wins over `pruefidentifikator`, which is the
  // message's: an AHB finding names the column it was checked against.
  static ValidationIssueSummary from_issue_with_pid(const edifact::report::ValidationIssue& issue,
                                                    std::optional<std::uint32_t> pruefidentifikator);
  // The same, taking the issue's texts over instead of copying them.
  static ValidationIssueSummary from_issue_with_pid(edifact::report::ValidationIssue&& issue,
                                                    std::optional<std::uint32_t> pruefidentifikator);
};

}  // namespace edi_energy::report

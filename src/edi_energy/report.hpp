// The outcome of validating one energy-market message: its findings by severity, the
// Prüfidentifikator it was checked under, the UNB of a bare message that carried one, and the
// profile that was applied.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <fmt/format.h>

#include "edi_energy/interchange_header.hpp"
#include "edifact/report/finding_sink.hpp"
#include "edifact/report/issue.hpp"

namespace edi_energy::profile {
class Profile;
}

namespace edi_energy::report {

struct EdiEnergyReport {
  std::vector<edifact::report::ValidationIssue> errors;  // critical and error
  std::vector<edifact::report::ValidationIssue> warnings;
  std::vector<edifact::report::ValidationIssue> infos;
  std::optional<std::uint32_t> pruefidentifikator;  // only 10000 to 99999
  std::optional<interchange::InterchangeHeader> interchange;  // only for a message with its own UNB
  // Borrowed from the registry the message was validated with; absent for an unknown type.
  const profile::Profile* profile = nullptr;

  // Findings past the report's limit, counted but not listed; the last finding of the list of
  // their gravest severity says how many they are.
  edifact::report::SeverityCounts left_out;

  // "2 error(s), 1 warning(s), 0 info(s)": what the full list would hold, the findings left out
  // counted and the finding that stands for them not.
  std::string summary() const {
    const std::size_t closing_errors = left_out.errors() != 0 ? 1 : 0;
    const std::size_t closing_warnings = closing_errors == 0 && left_out.of(edifact::report::Severity::Warning) != 0;
    const std::size_t closing_infos = left_out.total() != 0 && closing_errors + closing_warnings == 0;
    return fmt::format("{} error(s), {} warning(s), {} info(s)", errors.size() - closing_errors + left_out.errors(),
                       warnings.size() - closing_warnings + left_out.of(edifact::report::Severity::Warning),
                       infos.size() - closing_infos + left_out.of(edifact::report::Severity::Info));
  }
  std::size_t finding_count() const { return errors.size() + warnings.size() + infos.size(); }
};

}  // namespace edi_energy::report

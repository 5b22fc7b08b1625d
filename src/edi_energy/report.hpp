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

  // "2 error(s), 1 warning(s), 0 info(s)"
  std::string summary() const {
    return fmt::format("{} error(s), {} warning(s), {} info(s)", errors.size(), warnings.size(), infos.size());
  }
  std::size_t finding_count() const { return errors.size() + warnings.size() + infos.size(); }
};

}  // namespace edi_energy::report

#include "edi_energy/profile/validate/validate.hpp"

#include <algorithm>
#include <limits>

#include <fmt/format.h>

#include "edi_energy/profile/validate/ahb_checks.hpp"
#include "edi_energy/profile/validate/column.hpp"
#include "edi_energy/profile/validate/column_choice.hpp"
#include "edi_energy/profile/validate/mig_checks.hpp"

namespace edi_energy::profile::validate {
namespace {

using edifact::report::Severity;
using edifact::report::ValidationIssue;

// The column with the fewest error findings, the earliest on ties. Only counted: a column that
// fits badly would otherwise list a finding per faulty segment just to be compared.
const model::Anwendungsfall& best_fit(const Profile& profile, const structure::Resolution& resolution,
                                      std::span<const edifact::model::Segment> segments) {
  const model::Anwendungsfall* best = nullptr;
  std::size_t fewest = std::numeric_limits<std::size_t>::max();
  std::vector<ValidationIssue> none;
  for (const model::Anwendungsfall& anwendungsfall : profile.ahb().anwendungsfaelle) {
    edifact::report::FindingBudget counted{.room = 0, .left_out = {}};
    ahb_checks(profile, anwendungsfall, resolution, segments, edifact::report::FindingSink(none, counted));
    const std::size_t errors = counted.left_out.of(Severity::Error);
    if (errors < fewest) {
      fewest = errors;
      best = &anwendungsfall;
    }
  }
  return *best;
}

}  // namespace

std::vector<ValidationIssue> validate(const Profile& profile, std::span<const edifact::model::Segment> segments,
                                      std::optional<std::uint32_t> pruefidentifikator) {
  std::vector<ValidationIssue> findings;
  validate(profile, segments, pruefidentifikator, findings);
  return findings;
}

void validate(const Profile& profile, std::span<const edifact::model::Segment> segments,
              std::optional<std::uint32_t> pruefidentifikator, edifact::report::FindingSink findings) {
  const structure::Resolution resolution = profile.structure().resolve(segments);
  const ColumnChoice choice = choose_column(profile, segments, pruefidentifikator);

  const Column* column = nullptr;
  std::optional<Column> own_column;
  if (choice.anwendungsfall != nullptr) {
    column = profile.column(*choice.anwendungsfall);
    if (column == nullptr) {
      column = &own_column.emplace(*choice.anwendungsfall, &profile.structure(), &profile.read_conditions());
    }
  }
  MigRun mig{profile, resolution, segments, column, findings};
  unplaced_checks(mig);
  occurrence_checks(mig);
  data_element_checks(mig);

  const auto& all = profile.ahb().anwendungsfaelle;
  switch (choice.outcome) {
    case ColumnChoice::Outcome::Chosen:
      ahb_checks(profile, *column, resolution, segments, findings);
      break;
    case ColumnChoice::Outcome::Unknown:
      findings.keep(ValidationIssue(Severity::Warning,
                                    fmt::format("Prüfidentifikator {} is not an Anwendungsfall of {} {} — AHB "
                                                "rules were not applied",
                                                *pruefidentifikator, profile.mig().message_type,
                                                profile.mig().release))
                        .with_rule_id("AHB-UNKNOWN-PID")
                        .with_context_entry("pid", fmt::format("{}", *pruefidentifikator)));
      break;
    case ColumnChoice::Outcome::Open: {
      const bool without_pids =
          std::ranges::none_of(all, [](const model::Anwendungsfall& a) { return a.pid.has_value(); });
      if ((profile.mig().pid_exempt || without_pids) && !all.empty()) {
        ahb_checks(profile, best_fit(profile, resolution, segments), resolution, segments, findings);
      } else {
        findings.keep(ValidationIssue(Severity::Warning,
                                      "no Anwendungsfall could be selected: the message carries no "
                                      "Prüfidentifikator and its BGM matches no column — AHB rules were not "
                                      "applied")
                          .with_rule_id("AHB-SKIP-NO-PID"));
      }
      break;
    }
  }
}

}  // namespace edi_energy::profile::validate

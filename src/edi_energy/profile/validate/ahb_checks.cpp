#include "edi_energy/profile/validate/ahb_checks.hpp"

#include <algorithm>

#include <fmt/format.h>

#include "edi_energy/profile/validate/ahb_run.hpp"

namespace edi_energy::profile::validate {

std::string column_label(const Profile& profile, const model::Anwendungsfall& anwendungsfall) {
  if (anwendungsfall.pid) return fmt::format("{}", *anwendungsfall.pid);
  const auto& all = profile.ahb().anwendungsfaelle;
  const auto found = std::ranges::find_if(all, [&](const model::Anwendungsfall& a) { return &a == &anwendungsfall; });
  return fmt::format("col{}", found == all.end() ? 1 : found - all.begin() + 1);
}

void ahb_checks(const Profile& profile, const model::Anwendungsfall& anwendungsfall,
                const structure::Resolution& resolution, std::span<const edifact::model::Segment> segments,
                edifact::report::FindingSink findings) {
  if (const Column* column = profile.column(anwendungsfall)) {
    ahb_checks(profile, *column, resolution, segments, findings);
    return;
  }
  ahb_checks(profile, Column(anwendungsfall, &profile.structure(), &profile.read_conditions()), resolution, segments,
             findings);
}

void ahb_checks(const Profile& profile, const Column& column, const structure::Resolution& resolution,
                std::span<const edifact::model::Segment> segments,
                edifact::report::FindingSink findings) {
  const structure::Structure& structure = profile.structure();
  const Ctx ctx(structure, resolution, segments, profile.read_conditions(), profile.parsed_pakete());
  AhbRun run{profile,  structure, resolution, segments, column, ctx, column_label(profile, column.anwendungsfall()),
             findings};
  row_checks(run);
  element_rules(run);
  paket_checks(run);
}

}  // namespace edi_energy::profile::validate

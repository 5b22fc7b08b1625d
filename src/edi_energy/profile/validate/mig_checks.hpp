// The MIG checks of a placed message: segments that fit no place, the occurrences of groups
// and segments in every instance, and the data elements of every placed segment.
#pragma once

#include <span>
#include <vector>

#include "edi_energy/profile/profile.hpp"
#include "edi_energy/profile/validate/column.hpp"
#include "edifact/model/segment.hpp"
#include "edifact/report/finding_sink.hpp"
#include "edifact/report/issue.hpp"

namespace edi_energy::profile::validate {

// `column`: the chosen column, or nullptr while none is chosen (then every "R" status counts as
// mandatory).
struct MigRun {
  const Profile& profile;
  const structure::Resolution& resolution;
  std::span<const edifact::model::Segment> segments;
  const Column* column;
  edifact::report::FindingSink findings;
};

void unplaced_checks(MigRun& run);
void occurrence_checks(MigRun& run);
void data_element_checks(MigRun& run);

}  // namespace edi_energy::profile::validate

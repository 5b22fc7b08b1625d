// Checks one message against one AHB column (an Anwendungsfall): groups and segments against
// the status rows, data elements against the element rules with their codes and
// Formatbedingungen, then the Paket counts. The completion loop reads the rule ids and the
// context entries "nr" and "de" of these findings, so their shapes are an interface.
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "edi_energy/profile/profile.hpp"
#include "edi_energy/profile/structure.hpp"
#include "edifact/model/segment.hpp"
#include "edifact/report/finding_sink.hpp"
#include "edifact/report/issue.hpp"

namespace edi_energy::profile::validate {

// Appends; never removes or reorders what `findings` already holds.
void ahb_checks(const Profile& profile, const model::Anwendungsfall& anwendungsfall,
                const structure::Resolution& resolution, std::span<const edifact::model::Segment> segments,
                edifact::report::FindingSink findings);

class Column;

// The same over a column already prepared.
void ahb_checks(const Profile& profile, const Column& column, const structure::Resolution& resolution,
                std::span<const edifact::model::Segment> segments,
                edifact::report::FindingSink findings);

// The decimal PID, else "col" and the 1-based position in the AHB (1 when not found there).
std::string column_label(const Profile& profile, const model::Anwendungsfall& anwendungsfall);

}  // namespace edi_energy::profile::validate

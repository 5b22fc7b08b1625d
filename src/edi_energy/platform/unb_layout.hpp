// The UNB against the layout the BDEW MIGs give it: what the syntax library's envelope check
// leaves open because other EDIFACT users may write it otherwise.
#pragma once

#include <optional>
#include <string_view>
#include <vector>

#include "edifact/model/segment.hpp"
#include "edifact/report/issue.hpp"

namespace edi_energy::platform {

// Syntax UNOC version 3, partners qualified 14, 500 or 502 with IDs of 13 digits, date YYMMDD,
// time HHMM, test indicator 1. A field that is missing where the syntax library already
// requires it is left to that check.
std::vector<edifact::report::ValidationIssue> unb_layout_findings(const edifact::model::Segment& unb);

// DE 0026 against the application references the MIG of `message_type` (the UNH code) lists;
// nothing for a type whose MIG lists none, or a UNB without one.
std::optional<edifact::report::ValidationIssue> application_reference_finding(const edifact::model::Segment& unb,
                                                                              std::string_view message_type);

}  // namespace edi_energy::platform

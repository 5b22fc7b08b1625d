// The check every message gets on its DTM values: the layout and the calendar of the format
// code each declares. The AHB's own format checks read the value only where a column names it.
#pragma once

#include <span>
#include <vector>

#include "edifact/model/segment.hpp"
#include "edifact/report/finding_sink.hpp"
#include "edifact/report/issue.hpp"

namespace edi_energy::messages {

// Appends one SEM-DTM-VALUE error per DTM whose value is not of its format code, or names a
// date or time the calendar does not have.
void check_dtm_values(std::span<const edifact::model::Segment> segments,
                      edifact::report::FindingSink findings);

}  // namespace edi_energy::messages

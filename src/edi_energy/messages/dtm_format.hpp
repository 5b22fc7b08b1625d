// The check every message gets on its DTM values that declare format 303: twelve digits, a sign
// and a two-digit zone. The AHB's own format checks read the value only where a column names it.
#pragma once

#include <span>
#include <vector>

#include "edifact/model/segment.hpp"
#include "edifact/report/finding_sink.hpp"
#include "edifact/report/issue.hpp"

namespace edi_energy::messages {

// Appends one SEM-DTM-VALUE error per DTM whose format-303 value has another shape.
void check_dtm_303_values(std::span<const edifact::model::Segment> segments,
                          edifact::report::FindingSink findings);

}  // namespace edi_energy::messages

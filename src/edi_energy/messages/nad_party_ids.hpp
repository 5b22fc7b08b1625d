// The check every message gets on its NAD+MS and NAD+MR: an ID whose code-list agency is BDEW,
// DVGW or GS1 has the shape of a market-partner ID.
#pragma once

#include <span>

#include "edifact/model/segment.hpp"
#include "edifact/report/finding_sink.hpp"

namespace edi_energy::messages {

// Appends one SEM-NAD-PARTY-ID error per such NAD whose DE 3039 is not 13 digits.
void check_nad_party_ids(std::span<const edifact::model::Segment> segments, edifact::report::FindingSink findings);

}  // namespace edi_energy::messages

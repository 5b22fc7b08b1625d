// The service segments of a received interchange checked with the syntax library's envelope
// rules: UNB fields, UNT and UNE counts and references, duplicate references, service segments
// out of place. What is wrong becomes findings of the message it concerns, so that one broken message
// costs neither the report of the others nor a silent pass.
#pragma once

#include <cstddef>
#include <span>
#include <vector>

#include "edifact/model/segment.hpp"
#include "edifact/report/issue.hpp"

namespace edi_energy::platform {

struct EnvelopeFindings {
  // One list per message, UNH to UNT in input order, as the message windows are cut.
  std::vector<std::vector<edifact::report::ValidationIssue>> per_message;
  // False when a service or data segment stands outside any message where none may stand, or
  // the UNB or a group's UNG and UNE say something wrong.
  bool interchange_sound = true;
  // Functional groups closed by their UNE: what UNZ counts when there are any.
  std::size_t group_count = 0;
};

EnvelopeFindings envelope_findings(std::span<const edifact::model::Segment> segments);

// The one message of a bare input: its UNH and UNT checked as in an interchange, and every UNB,
// UNZ, UNG or UNE beside or inside it misplaced, since no interchange stands around it.
std::vector<edifact::report::ValidationIssue> bare_message_findings(
    std::span<const edifact::model::Segment> segments);

// Whether a segment is one of the interchange's and group's own (UNB, UNZ, UNG, UNE), which a
// message never carries.
bool is_interchange_service_segment(const edifact::model::Segment& segment);

}  // namespace edi_energy::platform

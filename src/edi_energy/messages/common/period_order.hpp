// The check shared by the period rules of several message types: the start of a period
// (DTM+163) must not lie after its end (DTM+164).
#pragma once

#include <cstddef>
#include <span>
#include <string_view>
#include <vector>

#include "edifact/model/segment.hpp"
#include "edifact/report/finding_sink.hpp"
#include "edifact/report/issue.hpp"

namespace edi_energy::messages::common {

// Compares the last DTM+163 value with the last DTM+164 value of `segments` as byte strings and,
// when the start is greater, appends one finding under `rule_id` at the DTM+163 segment, whose
// index in the message is `first_index` plus its index in `segments`. Nothing is reported while
// either value is missing or empty.
void check_period_order(std::span<const edifact::model::Segment> segments, std::string_view rule_id,
                        edifact::report::FindingSink findings, std::size_t first_index = 0);

// The same check for a message that carries a period in each instance of a group: every segment
// tagged one of `openers` starts the segments of a new period, so that each reversed period is
// reported at its own DTM+163 and no two periods are compared with each other.
void check_each_period_order(std::span<const edifact::model::Segment> segments,
                             std::span<const std::string_view> openers, std::string_view rule_id,
                             edifact::report::FindingSink findings);

}  // namespace edi_energy::messages::common

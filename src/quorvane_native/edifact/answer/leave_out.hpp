// Leaving out of an answer what its column does not permit in it: after each build the verdict
// of the finished answer says which values taken over from the request it rejects as not
// permitted, over a repeat limit or not admitted, or which found no place at all.
#pragma once

#include <string_view>

#include "quorvane_native/edifact/answer/plan.hpp"
#include "quorvane_native/edifact/column_verdict.hpp"

namespace quorvane_native::edifact::answer {

// Leaves out what the verdict on `completed` rejects; whether anything was left out. A Lokation
// or reference rejected for its value stays (the request's fault, which no answer can mend),
// unless another of its qualifier that the column takes stands beside it.
bool leave_out_rejected(AnswerPlan& plan, const ColumnVerdict& verdict, const ColumnRef& column,
                        std::string_view completed);

// Leaves out the value of the segment that completion found no place for in `built`, and in
// every Vorgang as many of its qualifier; whether it was one the plan holds.
bool leave_out_unplaced(AnswerPlan& plan, const ColumnVerdict& verdict, std::string_view built);

}  // namespace quorvane_native::edifact::answer

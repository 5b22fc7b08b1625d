// Request units past their place's count. The reader places as many units at a place as the MIG
// allows and no more, and the column counts those it places; a unit beyond the count could only
// draw the count's fault again, so it stays out of the rounds of decisions and is tried only
// where a unit at its place went.
#pragma once

#include <cstddef>
#include <functional>
#include <vector>

#include "quorvane_native/edifact/answer/choice.hpp"
#include "quorvane_native/edifact/build_pipeline.hpp"

namespace quorvane_native::edifact::answer {

// Of choices [first, last), each unit the reader placed nowhere that stands where the MIG's count
// of its place is full goes past it.
void leave_past_counts(std::vector<Choice>& choices, std::size_t first, std::size_t last, const ColumnRef& column);

// Per Vorgang (from 1), whether it is at fault with the units of the Vorgänge `open` marks as they
// stand now.
using JudgeOpen = std::function<std::vector<bool>(const std::vector<bool>& open)>;

// Where fewer units stand at a place than its count, the units past the count there are tried in
// their stead, the earliest first, all the Vorgänge at once: a set at fault goes back and is tried
// again in halves. `first_choice` is Carry's.
void fill_past_counts(std::vector<Choice>& choices, const std::vector<std::size_t>& first_choice,
                      const JudgeOpen& faulted);

}  // namespace quorvane_native::edifact::answer

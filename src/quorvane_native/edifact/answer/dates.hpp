// The process dates of an answer. One it confirms, a DTM 92 or 93 in an answer Vorgang that neither
// the request's own Vorgang nor the caller gave, is completion's sample, a date nobody asked for.
// One the caller gives is written in the form its place in the column takes.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "quorvane_native/edifact/answer/plan.hpp"
#include "quorvane_native/edifact/build_pipeline.hpp"
#include "quorvane_native/edifact/vorgang_cut.hpp"
#include "quorvane_native/py/errors.hpp"

namespace quorvane_native::edifact::answer {

// The refusal naming `received` for the first such date of `answer` (carrying over and leaving out
// keep its DTM 92 and 93 as completed), saying how to give it; none
// when every DTM 92 and 93 is the request's or the caller's. `column` names the answer's column.
std::optional<std::string> unconfirmed_date(const VorgangCut& answer, const AnswerPlan& plan,
                                            const StringPairs& process_dates, std::string_view column,
                                            std::uint64_t message_index);

// The DE 2379 format each of `process_dates` is written in: of the formats its place among the
// Vorgang's own DTM takes in `column`, in the column's order, the first whose form the value has
// (a period where the place takes Z01, MMDD where it takes 106); the builder's format of the
// qualifier where the column names none, as for a qualifier without a place, which completion
// then refuses. A value of none of them is refused naming "process_dates[Q]".
py::Expected<std::vector<std::string>> process_date_formats(const StringPairs& process_dates,
                                                            const std::optional<ColumnRef>& column);

}  // namespace quorvane_native::edifact::answer

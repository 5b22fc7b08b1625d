// The answer decided Vorgang by Vorgang on its column's faults: each request value the answer
// carries stands unless a fault falls on it, and then it goes (a place the column requires then
// refuses the call naming `received`, never a sample in the request's place); what completion
// made up beside the request's values goes wherever the column accepts the answer without it, and
// a made-up Lokation the column requires is the request's want.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "quorvane_native/edifact/answer/carry.hpp"
#include "quorvane_native/edifact/answer/plan.hpp"
#include "quorvane_native/edifact/build_pipeline.hpp"
#include "quorvane_native/edifact/vorgang_cut.hpp"
#include "quorvane_native/py/errors.hpp"

namespace quorvane_native::edifact::answer {

// What the answer holds of `completed`, which its column accepts: the request's own values in
// completion's places (`given_dates` replacing the request's), and without what completion made up.
// `cut` is the cut of `completed`, none where it cannot be cut; `request_places` the places of
// the request's segments.
py::Expected<std::string> as_answered(const std::string& completed, const std::optional<VorgangCut>& cut,
                                      const AnswerPlan& plan, const VorgangCut& request, const Places& request_places,
                                      const ColumnRef& column,
                                      std::uint32_t answer_pid, const StringPairs& given_dates,
                                      std::uint64_t message_index);

}  // namespace quorvane_native::edifact::answer

// What completion made up in a finished answer beside what the request said: the Lokationen of
// SG5 that the request does not name, and the SG8 and SG12 groups, which hold only completion's
// sample values. An answer confirms what was asked, so each goes wherever the column accepts the
// answer without it; a made-up Lokation the column requires is the request's want.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "quorvane_native/edifact/answer/plan.hpp"
#include "quorvane_native/edifact/build_pipeline.hpp"
#include "quorvane_native/edifact/vorgang_cut.hpp"
#include "quorvane_native/py/errors.hpp"

namespace quorvane_native::edifact::answer {

// `completed` without what its column does not need, decided Vorgang by Vorgang; a ValueError
// naming `received` where the column requires a Lokation the request does not name. A group of
// a kind the request's own Vorgang holds is the request's, not made up.
// `cut` is the cut of `completed`.
py::Expected<std::string> without_made_up(const std::string& completed, const VorgangCut& cut, const AnswerPlan& plan,
                                          const VorgangCut& request, const ColumnRef& column,
                                          std::uint32_t answer_pid, std::uint64_t message_index);

// What the answer holds of `completed`, which its column accepts: the request's own values in
// completion's places (`given_dates` replacing the request's), and without what completion made up.
// `cut` is the cut of `completed`, none where it cannot be cut.
py::Expected<std::string> as_answered(const std::string& completed, const std::optional<VorgangCut>& cut,
                                      const AnswerPlan& plan, const VorgangCut& request, const ColumnRef& column,
                                      std::uint32_t answer_pid, const StringPairs& given_dates,
                                      std::uint64_t message_index);

}  // namespace quorvane_native::edifact::answer

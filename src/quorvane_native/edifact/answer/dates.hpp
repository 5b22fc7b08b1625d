// The process dates an answer confirms: a DTM 92 or 93 in an answer Vorgang that neither the
// request's own Vorgang nor the caller gave is completion's sample, a date nobody asked for.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "quorvane_native/edifact/answer/plan.hpp"
#include "quorvane_native/edifact/vorgang_cut.hpp"

namespace quorvane_native::edifact::answer {

// The refusal naming `received` for the first such date of `answer` (carrying over and leaving out
// keep its DTM 92 and 93 as completed), saying how to give it; none
// when every DTM 92 and 93 is the request's or the caller's. `column` names the answer's column.
std::optional<std::string> unconfirmed_date(const VorgangCut& answer, const AnswerPlan& plan,
                                            const StringPairs& process_dates, std::string_view column,
                                            std::uint64_t message_index);

}  // namespace quorvane_native::edifact::answer

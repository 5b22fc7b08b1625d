// Leaving out what completion made up judges the answer with all of it left out first, and a
// judgement keeps only so many findings: past them the answer of many Vorgänge would keep all that
// completion made up. Its Vorgänge are therefore left out of in batches, each judged as a message
// of its own.
#pragma once

#include <cstdint>
#include <string>

#include "quorvane_native/edifact/answer_plan.hpp"
#include "quorvane_native/edifact/build_pipeline.hpp"
#include "quorvane_native/py/errors.hpp"

namespace quorvane_native::edifact {

// `without_made_up` of `completed`, batch by batch.
py::Expected<std::string> without_made_up_in_batches(std::string completed, const AnswerPlan& plan,
                                                     const ColumnRef& column, std::uint32_t answer_pid,
                                                     std::uint64_t message_index);

}  // namespace quorvane_native::edifact

// What an answer carries only for its answer code: at the places the arguments write, the values
// completion filled that the column would not ask for in the same answer without the code. The
// answer is not built again for it: it is judged once more as it stands, with its code left empty
// and completion's values at those places taken out.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "quorvane_native/edifact/answer/plan.hpp"
#include "quorvane_native/edifact/build_pipeline.hpp"
#include "quorvane_native/edifact/vorgang_cut.hpp"
#include "quorvane_native/py/errors.hpp"

namespace quorvane_native::edifact::answer {

struct CodedAnswer {
  std::string_view answer;  // the finished answer
  std::string_view built;   // the builder's message it was completed from
  std::string_view code;    // the STS+E01 code it carries
  // The request as the answer carries it (empty where it carries none of it), and the plan whose
  // Vorgänge tell which request Vorgang each answer Vorgang answers: a value the request gave is
  // the code's only where the column without the code wants another in its stead.
  const VorgangCut& request;
  const AnswerPlan& plan;
};

// The answer without the values its code alone demands, in the first Vorgang that holds any, to
// be told against it; none when it holds none. A RuntimeError where the answer cannot be judged so.
py::Expected<std::optional<std::string>> without_code_demands(const CodedAnswer& coded, const ColumnRef& column,
                                                               std::uint32_t answer_pid);

}  // namespace quorvane_native::edifact::answer

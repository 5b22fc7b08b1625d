// The Lokation IDs an answer names, in a LOC, in a reference of a Vorgang or in STS+Z35, are its
// request's own. Where completion wrote a sample ID there (one of a Lokation's shape that neither
// the request's Vorgang nor the caller gave), the request's ID of that shape stands in where the
// column accepts the answer with it; else the call is refused naming the Lokation it lacks.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "quorvane_native/edifact/answer/plan.hpp"
#include "quorvane_native/edifact/build_pipeline.hpp"
#include "quorvane_native/edifact/column_verdict.hpp"
#include "quorvane_native/edifact/vorgang_cut.hpp"
#include "quorvane_native/py/errors.hpp"

namespace quorvane_native::edifact::answer {

// A Lokation the request names only in a reference, put where the answer refers to its kind.
struct ReferredLokation {
  std::size_t vorgang = 0;  // counted from 1
  std::string kind;         // LOC DE 3227
  std::string id;
};

// `answer` is accepted by its column; `request` is the request's cut (empty where there is none).
// `referred` gets each Lokation the request names only in a reference that stands in for a sample.
py::Expected<std::string> with_own_lokation_ids(const std::string& answer, const AnswerPlan& plan,
                                                const VorgangCut& request, const StringPairs& given_references,
                                                const ColumnRef& column, std::uint32_t answer_pid,
                                                std::uint64_t message_index, std::vector<ReferredLokation>& referred);

// The first rejection of `verdict` on the answer `answer` that falls on a Lokation the caller gave,
// as a refusal naming its reference: the caller's to mend before anything the request holds.
std::optional<py::Failure> given_fault(const AnswerPlan& plan, const StringPairs& references,
                                       const ColumnVerdict& verdict, std::string_view answer,
                                       std::uint64_t message_index);

// Every Lokation the caller names stands in each Vorgang the plan gives it to; else the call is
// refused naming its reference.
py::Status given_lokationen_stand(std::string_view answer, const AnswerPlan& plan, const StringPairs& references,
                                 std::uint64_t message_index);

}  // namespace quorvane_native::edifact::answer

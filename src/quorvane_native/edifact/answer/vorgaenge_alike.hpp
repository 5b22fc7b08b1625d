// The shapes of a request's Vorgänge to their answer's column: Vorgänge of one shape need the same
// Lokationen, so that one of each tells where the caller's go.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "quorvane_native/edifact/answer/plan.hpp"
#include "quorvane_native/edifact/column_places.hpp"
#include "quorvane_native/edifact/vorgang_cut.hpp"

namespace quorvane_native::edifact::answer {

// Appends segment text `text` with each Lokation ID in it put as its shape: segments differing only
// in those IDs are alike.
void append_masked(std::string& to, std::string_view text);

// The request's segments beside the plan, where the answer carries any of its groups: its cut, and
// the place of each segment in the answer's MIG.
struct RequestShapes {
  const VorgangCut* cut = nullptr;
  std::span<const std::optional<NodeIndex>> places;
  const ColumnRef* column = nullptr;
};

// For each Vorgang of the plan, the first of its shape (indices into the plan's Vorgänge); a
// Vorgang whose number another shares is its own.
std::vector<std::size_t> first_of_shape(const AnswerPlan& plan, const RequestShapes& request);

// The plan of the first Vorgang of each shape (`leader` as first_of_shape gives it); `standing_for`
// gets, for each Vorgang of `plan`, the trial's Vorgang of its shape.
AnswerPlan one_of_each_shape(const AnswerPlan& plan, const std::vector<std::size_t>& leader,
                             std::vector<std::size_t>& standing_for);

}  // namespace quorvane_native::edifact::answer

// Whether a request's Vorgänge are all of one shape to their answer's column: then each needs the
// same Lokationen, and where the caller's go needs no trial answer to tell.
#pragma once

#include <string>
#include <string_view>

#include "quorvane_native/edifact/answer/plan.hpp"
#include "quorvane_native/edifact/vorgang_cut.hpp"

namespace quorvane_native::edifact::answer {

// Appends segment text `text` with each Lokation ID in it put as its shape: segments differing only
// in those IDs are alike.
void append_masked(std::string& to, std::string_view text);

// `request` is the request's cut, empty where the answer carries none of its groups.
bool vorgaenge_alike(const AnswerPlan& plan, const VorgangCut& request);

}  // namespace quorvane_native::edifact::answer

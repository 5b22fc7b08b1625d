// An answer repeats completion's share of a Vorgang once for every Vorgang of the request, so a
// request the reader takes can give an answer it refuses. Such an answer is refused naming
// `received` before it is completed, and checked again once it is.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

#include "edi_energy/release.hpp"
#include "quorvane_native/edifact/answer/carry.hpp"
#include "quorvane_native/edifact/answer/plan.hpp"
#include "quorvane_native/edifact/build_pipeline.hpp"
#include "quorvane_native/edifact/vorgang_cut.hpp"
#include "quorvane_native/py/errors.hpp"

namespace quorvane_native::edifact::answer {

// `built` is the builder's message of `plan`'s Vorgänge before completion. Its first Vorgang is
// completed alone and made what the answer makes of it (the request's values carried, what
// completion made up that the column does without left out), and every other Vorgang counted as
// getting what that added to it.
// `request`, `request_places` and `given_dates` are what the answer carries over, as `as_answered` takes them.
py::Status answer_would_fit(std::string_view built, const AnswerPlan& plan, const VorgangCut& request,
                            const Places& request_places,
                            const StringPairs& given_dates, const std::optional<ColumnRef>& column,
                            const edi_energy::release::Release& release, std::uint32_t answer_pid);

// The completed answer, within the reader's limits with room left for the interchange's UNB and UNZ.
py::Status answer_fits(std::string_view completed, std::size_t vorgaenge);

}  // namespace quorvane_native::edifact::answer

// Where completion wrote a value in a place that the request's own Vorgang fills (a DTM by its
// qualifier, an SG8 group by its SEQ, an SG12 group by its NAD, and inside such a group each
// segment by its qualifier), the answer says what the request said; a place the request fills
// that the answer lacks is carried too. Whatever of it the answer's column rejects gives way to
// completion's again, decided Vorgang by Vorgang.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "quorvane_native/edifact/answer_plan.hpp"
#include "quorvane_native/edifact/build_pipeline.hpp"
#include "quorvane_native/edifact/vorgang_cut.hpp"

namespace quorvane_native::edifact {

// The request's Vorgang (from 1) that each answer Vorgang (from 1, index 0 unused) answers: the
// one of the same Vorgangsnummer, counted in order where a number repeats.
std::vector<std::optional<std::size_t>> answered_vorgaenge(const VorgangCut& request, const AnswerPlan& plan);

// `completed` with the request's values in completion's places, or `completed` where it cannot
// be cut or nothing changes.
std::string with_request_values(std::string completed, const VorgangCut& request, const AnswerPlan& plan,
                                const ColumnRef& column, std::uint32_t answer_pid, const StringPairs& given_dates);

}  // namespace quorvane_native::edifact

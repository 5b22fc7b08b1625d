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

#include "quorvane_native/edifact/answer/plan.hpp"
#include "quorvane_native/edifact/build_pipeline.hpp"
#include "quorvane_native/edifact/vorgang_cut.hpp"

namespace quorvane_native::edifact::answer {

// Whether a request holds anything for completion's places: an SG8 or SG12 group, or a date of a
// Vorgang other than 92, 93 and those given. Read from the parsed request, so that a request
// without any is not written out and cut for nothing.
bool fills_places(const edi_energy::messages::utilmd::UtilmdMessage& request, const StringPairs& given_dates);

// The request's Vorgang (from 1) that each answer Vorgang (from 1, index 0 unused) answers: the
// one of the same Vorgangsnummer, counted in order where a number repeats.
std::vector<std::optional<std::size_t>> answered_vorgaenge(const VorgangCut& request, const AnswerPlan& plan);

// The completed answer `answer` (its cut) with the request's values in completion's places; none
// where nothing changes.
std::optional<std::string> with_request_values(const VorgangCut& answer, const VorgangCut& request,
                                               const AnswerPlan& plan, const ColumnRef& column,
                                               std::uint32_t answer_pid, const StringPairs& given_dates);

}  // namespace quorvane_native::edifact::answer

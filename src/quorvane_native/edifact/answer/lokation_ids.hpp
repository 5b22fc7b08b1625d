// The Lokation IDs an answer names, in a LOC, in a reference of a Vorgang or in STS+Z35, are its
// request's own. Where completion wrote a sample ID there (one of a Lokation's shape that neither
// the request's Vorgang nor the caller gave), the request's ID of that shape stands in where the
// column accepts the answer with it; else the call is refused naming the Lokation it lacks.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "quorvane_native/edifact/answer/plan.hpp"
#include "quorvane_native/edifact/build_pipeline.hpp"
#include "quorvane_native/edifact/vorgang_cut.hpp"
#include "quorvane_native/py/errors.hpp"

namespace quorvane_native::edifact::answer {

// The form of `id` as a Lokation's ID ("Marktlokations-ID", "Zählpunktbezeichnung", ...); empty
// where it has none.
std::string_view lokation_form(std::string_view id);

// The LOC DE 3227 codes of the Lokationen a reference of qualifier `reference` holding `id` names,
// the likeliest first; none where the qualifier names no Lokation or `id` has not the shape of its ID.
std::vector<std::string_view> lokation_kinds(std::string_view reference, std::string_view id);

// The reference qualifier that names a Lokation of LOC qualifier `location` whose ID has `form`
// (any where empty), one the column uses (`used`) first; none where no reference names it.
std::optional<std::string_view> reference_naming(std::string_view location, std::string_view form,
                                                 const std::function<bool(std::string_view)>& used);

// `answer` is accepted by its column; `request` is the request's cut (empty where there is none).
py::Expected<std::string> with_own_lokation_ids(const std::string& answer, const AnswerPlan& plan,
                                                const VorgangCut& request, const StringPairs& given_references,
                                                const ColumnRef& column, std::uint32_t answer_pid,
                                                std::uint64_t message_index);

}  // namespace quorvane_native::edifact::answer

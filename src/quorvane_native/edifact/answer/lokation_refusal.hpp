// The refusal of an answer that must name a Lokation its request does not: it names each such
// Lokation, the build_answer call that names them in `references`, and the build_utilmd call that
// writes the answer with them, so that the caller can follow either as written.
#pragma once

#include <cstdint>
#include <map>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "edi_energy/profile/structure.hpp"
#include "quorvane_native/edifact/answer/plan.hpp"
#include "quorvane_native/edifact/build_pipeline.hpp"

namespace quorvane_native::edifact::answer {

struct LokationWant {
  std::string qualifier;  // LOC DE 3227 of the Lokation the answer needs
  std::string why;        // the column's word on it
  std::string_view form;  // of its ID where the answer asks one; else the Lokation's own
};

struct LokationRoute {
  std::uint64_t message_index = 0;
  std::uint32_t answer_pid = 0;
  const ColumnRef* column = nullptr;      // the answer's
  const AnswerPlan* plan = nullptr;  // its `caller` null where the caller gave nothing but the request
  const EchoVorgang* vorgang = nullptr;  // its number and the request's Lokationen the answer carries
  // The answer's segments of the Vorgang, from its IDE on, without completion's fillers.
  std::vector<std::string_view> segments;
  std::vector<LokationWant> wants;  // in order, each Lokation once
};

// The Lokationen each Vorgang (counted from 1) lacks.
using LokationWants = std::map<std::size_t, std::vector<LokationWant>>;

// Each Lokation once, in order.
std::vector<LokationWant> once_each(std::vector<LokationWant> wants);

// The DE 3227 code of the LOC segment node `node`, as its column names it; empty where it names none.
std::string lokation_qualifier(const ColumnRef& column, edi_energy::profile::structure::NodeIndex node);

// One route for each Vorgang of the request, in Vorgang order; those that lack nothing want none.
// Where the plan asks only what each Vorgang needs, that is told there and the text is empty.
std::string lokation_refusal(std::span<const LokationRoute> routes);

}  // namespace quorvane_native::edifact::answer

// The answer code a bare answer carries: one of the answer's own kind, a Zustimmung in the
// Bestätigung of a Fristen record and an Ablehnung in its Ablehnung, from the trees the answer's
// column lists beside STS+E01.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "quorvane_native/edifact/build_pipeline.hpp"

namespace quorvane_native::edifact {

struct AntwortChoice {
  std::string code;
  std::string tree;  // as the column lists it: a tree ("E_0623") or its wire code list ("S_0090")
};

// The codes of the answer's kind in catalogue order, those without a required Erläuterung first;
// empty where the Fristen records do not tell the kind or the column lists no tree the catalogue
// carries.
std::vector<AntwortChoice> codes_of_answer_kind(std::optional<std::uint32_t> request_pid, std::uint32_t answer_pid,
                                                const ColumnRef& column);

}  // namespace quorvane_native::edifact

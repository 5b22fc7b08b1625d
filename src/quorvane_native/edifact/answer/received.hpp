// What an answer carries over from the received request, Vorgang by Vorgang, and the refusal
// naming `received` when the answer's column rejects one of those values: the caller cannot mend
// them by any argument, and must not be sent an answer its partner would refuse.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "quorvane_native/edifact/build_pipeline.hpp"
#include "quorvane_native/edifact/column_verdict.hpp"
#include "quorvane_native/py/errors.hpp"

namespace quorvane_native::edifact::answer {

using StringPairs = std::vector<std::pair<std::string, std::string>>;

struct CarriedVorgang {
  std::string vorgangsnummer;
  StringPairs locations;   // (DE 3227, DE 3225)
  StringPairs references;  // (DE 1153, DE 1154)
};

struct Carried {
  std::uint64_t message_index = 0;
  std::vector<CarriedVorgang> vorgaenge;  // in the order the answer writes them
  const StringPairs* given_references = nullptr;  // the caller's, written into every Vorgang
};

// The first rejection of `verdict` that falls on a carried value (or on the number of carried
// Lokationen or references in one Vorgang), as a ValueError naming `received`; none when every
// rejection has another cause. `answer` is the completed message the verdict speaks of.
std::optional<py::Failure> received_fault(const Carried& carried, const ColumnVerdict& verdict,
                                          const ColumnRef& column, std::string_view answer);

}  // namespace quorvane_native::edifact::answer

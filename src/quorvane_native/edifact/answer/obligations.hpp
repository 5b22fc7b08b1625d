// What the caller's antwort_code obliges an answer to carry: the dates, texts and references the
// answer holds with the code that the same answer without it does not. Completion fills them with
// samples, so only the argument that writes them can give them.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "quorvane_native/edifact/vorgang_cut.hpp"

namespace quorvane_native::edifact::answer {

// The segments of Vorgang `vorgang` of `cut` at the places the arguments write: its own DTM and
// FTX, which stand before its first Lokation or reference, and the RFF of its references (SG6,
// outside its SEQ and NAD groups); per segment of the Vorgang from its IDE, whether it is one.
std::vector<bool> argument_segments(const VorgangCut& cut, std::size_t vorgang);

// The refusal naming `process_dates`, `free_texts` or `references` for the first Vorgang of
// `answer` (built with `code`) holding a Vorgang's DTM or FTX, or an RFF of its references, that
// the same Vorgang of `without_code` does not; none when there is no such segment.
std::optional<std::string> code_obligation(std::string_view answer, std::string_view without_code,
                                           std::string_view code);

}  // namespace quorvane_native::edifact::answer

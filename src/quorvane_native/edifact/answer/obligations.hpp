// What the caller's antwort_code obliges an answer to carry: the dates, texts and references the
// answer holds with the code that the same answer without it does not. Completion fills them with
// samples, so only the argument that writes them can give them.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace quorvane_native::edifact::answer {

// The refusal naming `process_dates`, `free_texts` or `references` for the first Vorgang of
// `answer` (built with `code`) holding a Vorgang's DTM or FTX, or an RFF of its references, that
// the same Vorgang of `without_code` does not; none when there is no such segment.
std::optional<std::string> code_obligation(std::string_view answer, std::string_view without_code,
                                           std::string_view code);

}  // namespace quorvane_native::edifact::answer

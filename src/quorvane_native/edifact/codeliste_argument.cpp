#include "quorvane_native/edifact/codeliste_argument.hpp"

#include <fmt/format.h>
#include <fmt/ranges.h>

#include <algorithm>
#include <vector>

#include "quorvane_native/antwortcodes/lookup.hpp"
#include "support/debug_quote.hpp"

namespace quorvane_native::edifact {

py::Status require_codeliste(std::string_view argument, const std::optional<std::string>& codeliste,
                             const std::optional<std::string>& code) {
  if (!codeliste) return {};
  const auto codes = antwortcodes::antwort_codes(*codeliste);
  if (!codes) return {};
  // A GPKE tree is its codes' own list.
  if (std::ranges::any_of(*codes, [&](const auto& each) { return each.wire_codeliste == *codeliste; })) return {};
  std::vector<std::string_view> lists;
  for (const antwortcodes::AntwortCode& each : *codes) {
    if (each.wire_codeliste && std::ranges::find(lists, *each.wire_codeliste) == lists.end()) {
      lists.push_back(*each.wire_codeliste);
    }
  }
  if (lists.empty()) return {};
  const auto coded = code ? antwortcodes::antwort_code(*codeliste, *code) : std::nullopt;
  const std::string give = coded && coded->wire_codeliste
                               ? fmt::format("{} for {}", support::debug_quote(*coded->wire_codeliste),
                                             support::debug_quote(*code))
                               : fmt::format("one of {}", fmt::join(lists, ", "));
  return py::value_error(fmt::format("{} is {}, an Entscheidungsbaum (AntwortCode.tree), where the answer names the "
                                     "Codeliste of its code: give AntwortCode.wire_codeliste, {}",
                                     argument, support::debug_quote(*codeliste), give));
}

}  // namespace quorvane_native::edifact

// A text the caller gave for a value the message needs: an empty one is refused, since
// completion would otherwise put its own sample value where the caller asked for nothing.
#pragma once

#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "quorvane_native/py/errors.hpp"

namespace quorvane_native::edifact {

// An optional argument by name.
struct NamedText {
  std::string_view argument;
  const std::optional<std::string>* text;
};

// ValueError naming `field` when `text` is empty ("… is an empty text: …").
py::Status require_text(std::string_view field, std::string_view text);

// The same for an optional argument; an absent one passes.
py::Status require_optional_text(std::string_view field, const std::optional<std::string>& text);

// The first empty one of several, in the order given.
py::Status require_texts(std::initializer_list<std::pair<std::string_view, std::string_view>> texts);
py::Status require_optional_texts(std::initializer_list<NamedText> texts);

// The same check where the AHB column requires the value, worded for the column ("… is empty:
// the column requires a value there …").
py::Status refuse_empty(std::string_view argument, std::string_view text);
py::Status refuse_empty_texts(std::initializer_list<NamedText> texts);

// The members of a tuple, or of each pair of a list, worded like `refuse_empty` and named
// "{item} {member}": "contact name", "references[0] value".
py::Status refuse_empty_members(std::string_view item,
                                std::initializer_list<std::pair<std::string_view, std::string_view>> members);
py::Status refuse_empty_pairs(std::string_view argument, const std::vector<std::pair<std::string, std::string>>& pairs,
                              std::string_view first, std::string_view second);

}  // namespace quorvane_native::edifact

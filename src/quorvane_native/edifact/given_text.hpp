// A text the caller gave for a value the message needs: an empty one is refused, since
// completion would otherwise put its own sample value where the caller asked for nothing.
#pragma once

#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "quorvane_native/py/errors.hpp"

namespace quorvane_native::edifact {

// ValueError naming `field` when `text` is empty.
py::Status require_text(std::string_view field, std::string_view text);

// The same for an optional argument; an absent one passes.
py::Status require_optional_text(std::string_view field, const std::optional<std::string>& text);

// The first empty one of several, in the order given.
py::Status require_texts(std::initializer_list<std::pair<std::string_view, std::string_view>> texts);
py::Status require_optional_texts(
    std::initializer_list<std::pair<std::string_view, const std::optional<std::string>*>> texts);

}  // namespace quorvane_native::edifact

// A text the caller gave for a value the message needs: an empty one is refused, since
// completion would otherwise put its own sample value where the caller asked for nothing.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "quorvane_native/py/errors.hpp"

namespace quorvane_native::edifact {

// ValueError naming `field` when `text` is empty.
py::Status require_text(std::string_view field, std::string_view text);

// The same for an optional argument; an absent one passes.
py::Status require_optional_text(std::string_view field, const std::optional<std::string>& text);

}  // namespace quorvane_native::edifact

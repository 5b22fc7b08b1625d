// The text an identifier check reads. The checks answer False for any bad value, and a str with
// no UTF-8 form (a lone surrogate) is a bad value, not a failure of the call.
#pragma once

#include <optional>
#include <string>

#include "quorvane_native/py/args.hpp"
#include "quorvane_native/py/errors.hpp"

namespace quorvane_native::identifiers {

// The argument's text; none for a str that cannot be encoded. A non-str stays a TypeError.
py::Expected<std::optional<std::string>> checked_text(py::Arg arg);

}  // namespace quorvane_native::identifiers

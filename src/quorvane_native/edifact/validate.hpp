// validate_edifact: EDIFACT bytes, a whole interchange or one bare message, parsed with the
// shared platform and validated for a date into a ValidationReport.
#pragma once

#include "quorvane_native/py/args.hpp"
#include "quorvane_native/py/errors.hpp"

namespace quorvane_native::edifact {

py::Result validate_edifact(py::Args args);

}  // namespace quorvane_native::edifact

// build_answer: the UTILMD Antwortnachricht to one request of a received interchange.
#pragma once

#include "quorvane_native/py/args.hpp"
#include "quorvane_native/py/errors.hpp"

namespace quorvane_native::edifact {

py::Result build_answer(py::Args args);

}  // namespace quorvane_native::edifact

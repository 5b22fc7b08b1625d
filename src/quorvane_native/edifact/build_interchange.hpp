// build_interchange: built messages wrapped in a UNB ... UNZ envelope.
#pragma once

#include "quorvane_native/py/args.hpp"
#include "quorvane_native/py/errors.hpp"

namespace quorvane_native::edifact {

py::Result build_interchange(py::Args args);

}  // namespace quorvane_native::edifact

// build_contrl and build_contrl_for: the CONTRL syntax acknowledgement of an interchange, as
// written (no column completes a CONTRL).
#pragma once

#include "quorvane_native/py/args.hpp"
#include "quorvane_native/py/errors.hpp"

namespace quorvane_native::edifact {

py::Result build_contrl(py::Args args);
py::Result build_contrl_for(py::Args args);

}  // namespace quorvane_native::edifact

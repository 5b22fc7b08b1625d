// build_mscons: one MSCONS message of one metering point, completed to its AHB column.
#pragma once

#include "quorvane_native/py/args.hpp"
#include "quorvane_native/py/errors.hpp"

namespace quorvane_native::edifact {

py::Result build_mscons(py::Args args);

}  // namespace quorvane_native::edifact

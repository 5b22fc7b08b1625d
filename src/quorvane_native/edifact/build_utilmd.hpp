// build_utilmd: one UTILMD message from its Vorgänge, completed to its AHB column.
#pragma once

#include "quorvane_native/py/args.hpp"
#include "quorvane_native/py/errors.hpp"

namespace quorvane_native::edifact {

py::Result build_utilmd(py::Args args);

}  // namespace quorvane_native::edifact

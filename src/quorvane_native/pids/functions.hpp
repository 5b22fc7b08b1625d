// Bodies of the release and Prüfidentifikator functions; pids.cpp declares them to Python.
#pragma once

#include "quorvane_native/py/args.hpp"
#include "quorvane_native/py/errors.hpp"

namespace quorvane_native::pids {

// releases.cpp: releases and format versions
py::Result release_for(py::Args args);
py::Result format_versions(py::Args args);
py::Result releases(py::Args args);

// pruefidentifikatoren.cpp: what the compiled profiles carry
py::Result pruefidentifikatoren(py::Args args);
py::Result pid_has_ahb_rules(py::Args args);
py::Result message_types_of(py::Args args);
py::Result pid_carrying_message_types(py::Args args);

// answer_pids.cpp: the fixed answer-PID table
py::Result answer_pids(py::Args args);
py::Result bestaetigung_pid(py::Args args);
py::Result ablehnung_pid(py::Args args);

}  // namespace quorvane_native::pids

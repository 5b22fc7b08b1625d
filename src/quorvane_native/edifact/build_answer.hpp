// build_answer: the UTILMD Antwortnachricht to one request of a received interchange.
#pragma once

#include <Python.h>

#include "quorvane_native/py/args.hpp"
#include "quorvane_native/py/errors.hpp"

namespace quorvane_native::edifact {

py::Result build_answer(py::Args args);

// build_answer as the module's callers call it, with `references` (a list) in place of the call's own.
py::Result build_answer_as_called(py::Args args, PyObject* references);

}  // namespace quorvane_native::edifact

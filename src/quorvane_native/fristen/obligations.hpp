// Answer obligations for Python: the class AntwortObligation over the shared obligation table and
// the functions that look obligations up and compute their due times.
#pragma once

#include <Python.h>

#include "quorvane_native/py/args.hpp"
#include "quorvane_native/py/errors.hpp"

namespace quorvane_native::fristen {

py::Result antwort_obligation(py::Args args);
py::Result antwort_obligations(py::Args args);
py::Result antwort_deadline(py::Args args);

// Adds the class AntwortObligation to the module; 0, or -1 with the exception set.
int add_antwort_obligation_class(PyObject* module);

}  // namespace quorvane_native::fristen

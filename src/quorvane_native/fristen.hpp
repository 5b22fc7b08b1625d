// The Python deadline functions and answer obligations, with the class AntwortObligation.
#pragma once

#include <Python.h>

namespace quorvane_native {

// Adds the deadline functions, the answer-obligation functions and then the class AntwortObligation to the module; 0, or -1 with the exception set.
int register_fristen(PyObject* module);

}  // namespace quorvane_native

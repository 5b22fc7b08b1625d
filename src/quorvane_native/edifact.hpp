// The Python EDIFACT interface: validation, the builders and their classes.
#pragma once

#include <Python.h>

namespace quorvane_native::edifact {

// Adds the EDIFACT functions, then the EDIFACT classes, to the module (`register` is a C++ keyword); 0, or -1 with the exception set.
int register_(PyObject* module);

}  // namespace quorvane_native::edifact

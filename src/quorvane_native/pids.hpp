// The Python functions over releases, format versions and Prüfidentifikatoren.
#pragma once

#include <Python.h>

namespace quorvane_native::pids {

// Adds the release and Prüfidentifikator functions to the module in their order (`register` is a C++ keyword); 0, or -1 with the exception set.
int register_(PyObject* module);

}  // namespace quorvane_native::pids

// The Python functions over the answer codes of the Entscheidungsbäume, and the class AntwortCode.
#pragma once

#include <Python.h>

namespace quorvane_native::antwortcodes {

// Adds the answer-code functions, then the class AntwortCode, to the module (`register` is a C++ keyword); 0, or -1 with the exception set.
int register_(PyObject* module);

}  // namespace quorvane_native::antwortcodes

// The Python functions over the event-type catalogue and the CloudEvents envelope.
#pragma once

#include <Python.h>

namespace quorvane_native {

// Adds the event functions to the module in their order; 0, or -1 with the exception set.
int register_events(PyObject* module);

}  // namespace quorvane_native

// The Python functions over the market identifiers: MaLo-ID, MeLo, Marktpartner-ID, EIC, Bilanzkreis, Bilanzierungsgebiet, resource IDs.
#pragma once

#include <Python.h>

namespace quorvane_native {

// Adds the identifier functions to the module in their order; 0, or -1 with the exception set.
int register_identifiers(PyObject* module);

}  // namespace quorvane_native

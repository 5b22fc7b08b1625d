#include "quorvane_native/py/class_type.hpp"

#include <fmt/format.h>

#include <string>

namespace quorvane_native::py {

void raise_class_initialization_error(std::string_view class_name) {
  PyObject* cause_type = nullptr;
  PyObject* cause = nullptr;
  PyObject* cause_traceback = nullptr;
  PyErr_Fetch(&cause_type, &cause, &cause_traceback);
  PyErr_NormalizeException(&cause_type, &cause, &cause_traceback);
  if (cause != nullptr && cause_traceback != nullptr) PyException_SetTraceback(cause, cause_traceback);
  Py_XDECREF(cause_type);
  Py_XDECREF(cause_traceback);

  std::string message = fmt::format("An error occurred while initializing class {}", class_name);
  PyErr_SetString(PyExc_RuntimeError, message.c_str());
  if (cause == nullptr) return;
  PyObject* type = nullptr;
  PyObject* value = nullptr;
  PyObject* traceback = nullptr;
  PyErr_Fetch(&type, &value, &traceback);
  PyErr_NormalizeException(&type, &value, &traceback);
  if (value != nullptr) {
    PyException_SetCause(value, cause);  // steals the reference
  } else {
    Py_DECREF(cause);
  }
  PyErr_Restore(type, value, traceback);
}

}  // namespace quorvane_native::py

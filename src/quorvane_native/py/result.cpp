#include "quorvane_native/py/result.hpp"

namespace quorvane_native::py {

Result adopt(PyObject* new_reference) {
  if (new_reference == nullptr) return raised();
  return Object(new_reference);
}

Result str(std::string_view text) {
  return adopt(PyUnicode_FromStringAndSize(text.data(), static_cast<Py_ssize_t>(text.size())));
}

Result bytes(std::string_view data) {
  return adopt(PyBytes_FromStringAndSize(data.data(), static_cast<Py_ssize_t>(data.size())));
}

Result boolean(bool value) { return adopt(PyBool_FromLong(value ? 1 : 0)); }

Result none() { return Object::borrowed(Py_None); }

Result integer(std::int64_t value) { return adopt(PyLong_FromLongLong(value)); }

Result unsigned_integer(std::uint64_t value) { return adopt(PyLong_FromUnsignedLongLong(value)); }

}  // namespace quorvane_native::py

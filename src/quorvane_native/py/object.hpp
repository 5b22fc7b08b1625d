// An owned reference to a Python object: released when it goes out of scope, so that no early
// return of a binding body can leak a reference.
#pragma once

#include <Python.h>

#include <utility>

namespace quorvane_native::py {

class Object {
 public:
  Object() = default;
  // Takes over a new reference (may be null).
  explicit Object(PyObject* new_reference) noexcept : pointer_(new_reference) {}
  static Object borrowed(PyObject* reference) noexcept {
    Py_XINCREF(reference);
    return Object(reference);
  }

  Object(Object&& other) noexcept : pointer_(std::exchange(other.pointer_, nullptr)) {}
  Object& operator=(Object&& other) noexcept {
    if (this != &other) {
      Py_XDECREF(pointer_);
      pointer_ = std::exchange(other.pointer_, nullptr);
    }
    return *this;
  }
  Object(const Object&) = delete;
  Object& operator=(const Object&) = delete;
  ~Object() { Py_XDECREF(pointer_); }

  PyObject* get() const noexcept { return pointer_; }
  // Hands the reference to the caller (the interpreter, as a return value).
  PyObject* release() noexcept { return std::exchange(pointer_, nullptr); }
  explicit operator bool() const noexcept { return pointer_ != nullptr; }

 private:
  PyObject* pointer_ = nullptr;
};

}  // namespace quorvane_native::py

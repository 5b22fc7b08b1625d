// Python exceptions as values: a binding body returns an Error instead of setting the interpreter's
// exception itself, and every entry point runs through `guard`, which turns a returned Error into
// the current exception and lets no C++ exception reach the interpreter (an internal fault or
// anything unknown becomes the panic exception, an allocation failure MemoryError).
#pragma once

#include <Python.h>

#include <expected>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "quorvane_native/py/object.hpp"

namespace quorvane_native::py {

class Error {
 public:
  // A new exception of `type` (a built-in exception type such as PyExc_ValueError).
  Error(PyObject* type, std::string message) : type_(type), message_(std::move(message)) {}
  // The exception that a failed C API call has just set; clears it from the interpreter.
  static Error fetch();

  Error(Error&&) noexcept = default;
  Error& operator=(Error&&) noexcept = default;

  // Whether this is an exception of `type` or of a subclass.
  bool is(PyObject* type) const;
  // Its message; none where its text cannot be read.
  std::optional<std::string> text() const;
  // Conversion errors name their argument: a TypeError, OverflowError or ValueError gets the
  // prefix "argument 'name': " and keeps its type; every other error stays as it is.
  Error for_argument(std::string_view name) &&;
  // Makes this the interpreter's current exception.
  void restore() &&;

 private:
  Error(Object type, Object value, Object traceback);

  PyObject* type_ = nullptr;  // borrowed; only for an exception not yet created
  std::string message_;
  Object pending_type_;
  Object pending_value_;
  Object pending_traceback_;
};

template <class T>
using Expected = std::expected<T, Error>;
using Failure = std::unexpected<Error>;
using Status = Expected<void>;
// What a function body, method, getter or repr returns: a new reference or the exception to raise.
using Result = Expected<Object>;

Failure value_error(std::string message);
Failure type_error(std::string message);
Failure overflow_error(std::string message);
Failure runtime_error(std::string message);
// The exception that a failed C API call has just set.
Failure raised();

// Passes the error of a failed step on: `if (!x) return py::propagate(x);`
template <class T>
Failure propagate(Expected<T>& failed) {
  return Failure(std::move(failed).error());
}

// The panic exception: a BaseException subclass, created once and never put into the module, so
// that `except Exception` cannot swallow an internal fault.
PyObject* panic_exception_type();

// Raises the exception that matches the C++ exception being handled; call only inside a catch.
void raise_escaped_exception() noexcept;

// Runs one entry point for the interpreter: returns the new reference, or null with the exception set.
template <class Body>
PyObject* guard(Body&& body) noexcept {
  try {
    Result result = body();
    if (result) return result->release();
    std::move(result.error()).restore();
  } catch (...) {
    raise_escaped_exception();
  }
  return nullptr;
}

// The same for entry points that answer 0 or -1 (setters, the module's exec step).
template <class Body>
int guard_status(Body&& body) noexcept {
  try {
    Status status = body();
    if (status) return 0;
    std::move(status.error()).restore();
  } catch (...) {
    raise_escaped_exception();
  }
  return -1;
}

}  // namespace quorvane_native::py

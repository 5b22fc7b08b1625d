#include "quorvane_native/py/errors.hpp"

#include <new>
#include <stdexcept>

#include "support/internal_fault.hpp"

namespace quorvane_native::py {

namespace {

PyObject* published_panic_type = nullptr;

constexpr const char* panic_doc =
    "Raised when quorvane's native core meets an internal fault. It derives from BaseException "
    "so that a broad `except Exception` does not hide a defect of the library.";

Object text_of(PyObject* value) {
  if (value == nullptr) return Object();
  return Object(PyObject_Str(value));
}

void set_with_utf8_message(PyObject* type, const std::string& message) {
  // "replace" keeps a message with a stray byte readable instead of raising a decode error.
  Object text(PyUnicode_DecodeUTF8(message.data(), static_cast<Py_ssize_t>(message.size()), "replace"));
  if (text) PyErr_SetObject(type, text.get());
}

// A text that has no UTF-8 form (a lone surrogate) keeps its UnicodeEncodeError, which says
// where the character is; its reason gains the argument that held the text. Left as it was when
// the reason cannot be read or set.
void name_in_reason(PyObject* error, std::string_view name) {
  Object reason(PyObject_GetAttrString(error, "reason"));
  const std::string argument(name);
  Object named = reason && PyUnicode_Check(reason.get())
                     ? Object(PyUnicode_FromFormat("%U in argument '%s'", reason.get(), argument.c_str()))
                     : Object();
  if (!named || PyObject_SetAttrString(error, "reason", named.get()) < 0) PyErr_Clear();
}

void raise_panic(const char* message) noexcept {
  if (PyObject* type = panic_exception_type()) PyErr_SetString(type, message);
}

}  // namespace

Error::Error(Object type, Object value, Object traceback)
    : pending_type_(std::move(type)), pending_value_(std::move(value)), pending_traceback_(std::move(traceback)) {}

Error Error::fetch() {
  PyObject* type = nullptr;
  PyObject* value = nullptr;
  PyObject* traceback = nullptr;
  PyErr_Fetch(&type, &value, &traceback);
  if (type == nullptr) return Error(PyExc_SystemError, "error return without exception set");
  PyErr_NormalizeException(&type, &value, &traceback);
  return Error(Object(type), Object(value), Object(traceback));
}

bool Error::is(PyObject* type) const {
  PyObject* own = pending_type_ ? pending_type_.get() : type_;
  return PyErr_GivenExceptionMatches(own, type) != 0;
}

std::optional<std::string> Error::text() const {
  if (!pending_type_) return message_;
  Object text = text_of(pending_value_.get());
  Py_ssize_t size = 0;
  const char* utf8 = text ? PyUnicode_AsUTF8AndSize(text.get(), &size) : nullptr;
  if (utf8 == nullptr) {
    PyErr_Clear();
    return std::nullopt;
  }
  return std::string(utf8, static_cast<std::size_t>(size));
}

Error Error::for_argument(std::string_view name) && {
  // A conversion error names its argument whatever its type: an out-of-range integer or a tuple
  // of the wrong length is otherwise hard to find among a builder's many arguments.
  // OverflowError and ValueError only exactly: a subclass (a UnicodeEncodeError is a
  // ValueError) keeps its own type and text.
  PyObject* type = pending_type_ ? pending_type_.get() : type_;
  if (pending_value_ && is(PyExc_UnicodeEncodeError)) {
    name_in_reason(pending_value_.get(), name);
    return std::move(*this);
  }
  if (is(PyExc_TypeError)) {
    type = PyExc_TypeError;
  } else if (type != PyExc_OverflowError && type != PyExc_ValueError) {
    return std::move(*this);
  }
  const std::optional<std::string> detail = text();
  if (!detail) return std::move(*this);
  std::string message = "argument '";
  message.append(name).append("': ").append(*detail);
  return Error(type, std::move(message));
}

void Error::restore() && {
  if (pending_type_) {
    PyErr_Restore(pending_type_.release(), pending_value_.release(), pending_traceback_.release());
  } else {
    set_with_utf8_message(type_, message_);
  }
}

Failure value_error(std::string message) { return Failure(Error(PyExc_ValueError, std::move(message))); }
Failure type_error(std::string message) { return Failure(Error(PyExc_TypeError, std::move(message))); }
Failure overflow_error(std::string message) { return Failure(Error(PyExc_OverflowError, std::move(message))); }
Failure runtime_error(std::string message) { return Failure(Error(PyExc_RuntimeError, std::move(message))); }
Failure raised() { return Failure(Error::fetch()); }

PyObject* panic_exception_type() {
  if (published_panic_type != nullptr) return published_panic_type;
  PyObject* created =
      PyErr_NewExceptionWithDoc("quorvane._native.PanicException", panic_doc, PyExc_BaseException, nullptr);
  if (created == nullptr) return nullptr;
  // Creating a type can run Python code; whoever publishes first wins and the other copy goes.
  if (published_panic_type == nullptr) {
    published_panic_type = created;
  } else {
    Py_DECREF(created);
  }
  return published_panic_type;
}

void raise_escaped_exception() noexcept {
  try {
    throw;
  } catch (const std::bad_alloc&) {
    PyErr_NoMemory();
  } catch (const support::InternalFault& fault) {
    raise_panic(fault.what());
  } catch (const std::exception& unexpected) {
    raise_panic(unexpected.what());
  } catch (...) {
    raise_panic("an unknown C++ exception reached the Python boundary");
  }
}

}  // namespace quorvane_native::py

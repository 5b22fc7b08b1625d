// Argument binding: matches the positional and keyword arguments of a call to the parameters of
// its signature, CPython style, before anything is converted. The result is one slot per
// parameter (null when the argument was omitted); each body converts its slots itself, in its own
// order, with the converters of convert.hpp.
#pragma once

#include <Python.h>

#include <cstddef>
#include <span>
#include <string_view>

#include "quorvane_native/py/errors.hpp"
#include "quorvane_native/py/signature.hpp"
#include "support/internal_fault.hpp"

namespace quorvane_native::py {

// One bound argument: the object as passed (borrowed; null when omitted) and its parameter.
struct Arg {
  PyObject* object = nullptr;
  const Parameter* parameter = nullptr;

  bool omitted() const { return object == nullptr; }
  std::string_view name() const { return parameter->name; }
};

// The bound arguments of one call, indexed like the parameters of the signature.
class Args {
 public:
  Args(std::span<PyObject* const> slots, const Signature& signature) : slots_(slots), signature_(&signature) {}
  Arg operator[](std::size_t index) const {
    if (index >= slots_.size()) throw support::InternalFault("a body reads a parameter its signature does not declare");
    return Arg{slots_[index], &signature_->parameters[index]};
  }
  std::size_t size() const { return slots_.size(); }
  const Signature& signature() const { return *signature_; }

 private:
  std::span<PyObject* const> slots_;
  const Signature* signature_;
};

// The callable as binding errors name it: "f()", "Vorgang.date()", "UtilmdTransaction.__new__()".
struct CallableName {
  std::string_view owner;  // class name, empty for a module function
  std::string_view name;
};

// A vectorcall: `args` holds `positional_count` positional values followed by the values of the
// keywords named in the tuple `keyword_names` (which may be null).
Status bind_vectorcall(const Signature& signature, CallableName callable, PyObject* const* args,
                       Py_ssize_t positional_count, PyObject* keyword_names, std::span<PyObject*> slots);

// A call with an argument tuple and a keyword dictionary (which may be null), as tp_new receives it.
Status bind_tuple_and_dict(const Signature& signature, CallableName callable, PyObject* args,
                           PyObject* keywords, std::span<PyObject*> slots);

}  // namespace quorvane_native::py

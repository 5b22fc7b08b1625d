// Module functions, declared once per area as a table of `py::Function`:
//
//   py::Result malo_check_digit(py::Args args) {
//     auto base = py::to_str(args[0]);
//     if (!base) return py::propagate(base);
//     ...
//     return py::str(completed);
//   }
//
//   constexpr py::Function functions[] = {
//       {"malo_is_valid", "(value)", "Whether ...", malo_is_valid},
//       {"malo_check_digit", "(base)", "The check digit ...", malo_check_digit},
//   };
//
//   int register_identifiers(PyObject* module) { return py::add_functions<functions>(module); }
//
// The table must have static storage (namespace scope; an anonymous namespace is fine), since it
// is a template argument. The text signature declares the parameters (see signature.hpp): names,
// keyword-only ones after "*", and literal defaults, which the converters apply to an omitted
// argument (`to_str(args[4])` of `message_ref="1"` gives "1"). `args[i]` is the i-th parameter.
// Each function is called with METH_FASTCALL | METH_KEYWORDS, its arguments are bound before the
// body runs, and the body converts them itself in its own order (convert.hpp) and builds its
// result (result.hpp). An area without functions yet uses `std::array<py::Function, 0>`.
#pragma once

#include <Python.h>

#include <array>
#include <cstddef>
#include <iterator>
#include <utility>

#include "quorvane_native/py/args.hpp"
#include "quorvane_native/py/errors.hpp"
#include "quorvane_native/py/signature.hpp"
#include "quorvane_native/py/static_text.hpp"

namespace quorvane_native::py {

struct Function {
  const char* name;
  const char* signature;  // "(base)", "(message_type, on=None, *, release=None)"
  const char* doc;
  Result (*body)(Args args);
};

using FastCall = PyObject* (*)(PyObject*, PyObject* const*, Py_ssize_t, PyObject*);

// PyMethodDef stores every calling convention under one pointer type; the flags say which it is.
inline PyCFunction as_method_pointer(FastCall function) {
  return reinterpret_cast<PyCFunction>(reinterpret_cast<void (*)()>(function));
}

// "name(signature)\n--\n\ndoc"
template <const auto& Definition>
inline constexpr auto doc_with_signature = [] {
  constexpr std::array<std::string_view, 4> parts{Definition.name, Definition.signature, signature_end, Definition.doc};
  return join<joined_size(parts)>(parts);
}();

namespace function_detail {

template <const auto& Table, std::size_t Index>
PyObject* call(PyObject*, PyObject* const* args, Py_ssize_t positional_count, PyObject* keyword_names) noexcept {
  static constexpr const Function& function = Table[Index];
  static constexpr Signature signature = parse_signature(function.signature);
  static_assert(signature.well_formed, "a function's text signature cannot be read");
  return guard([&]() -> Result {
    std::array<PyObject*, signature.count> slots{};
    auto bound = bind_vectorcall(signature, {"", function.name}, args, positional_count, keyword_names, slots);
    if (!bound) return propagate(bound);
    return function.body(Args(slots, signature));
  });
}

template <const auto& Table, std::size_t... Indices>
std::array<PyMethodDef, sizeof...(Indices) + 1> method_defs(std::index_sequence<Indices...>) {
  return {{
      PyMethodDef{Table[Indices].name, as_method_pointer(&call<Table, Indices>), METH_FASTCALL | METH_KEYWORDS,
                  doc_with_signature<Table[Indices]>.data()}...,
      PyMethodDef{nullptr, nullptr, 0, nullptr},
  }};
}

// The interpreter keeps pointers into this table for as long as the functions live.
template <const auto& Table>
inline std::array<PyMethodDef, std::size(Table) + 1> method_table =
    method_defs<Table>(std::make_index_sequence<std::size(Table)>{});

}  // namespace function_detail

// Adds the table's functions to the module in table order; 0, or -1 with the exception set.
template <const auto& Table>
int add_functions(PyObject* module) {
  return PyModule_AddFunctions(module, function_detail::method_table<Table>.data());
}

}  // namespace quorvane_native::py

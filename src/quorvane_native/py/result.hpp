// Builders of the Python values that the module returns: str, int, bool, None, bytes, and new
// lists and tuples. Each returns a Result, so that a failed allocation travels like any other error.
#pragma once

#include <Python.h>

#include <concepts>
#include <cstdint>
#include <optional>
#include <string_view>
#include <utility>

#include "quorvane_native/py/errors.hpp"
#include "quorvane_native/py/object.hpp"

namespace quorvane_native::py {

// A new reference from the C API, or the exception it set.
Result adopt(PyObject* new_reference);

// The text must be UTF-8 (every text of the system is).
Result str(std::string_view text);
Result bytes(std::string_view data);
Result boolean(bool value);
Result none();
Result integer(std::int64_t value);
Result unsigned_integer(std::uint64_t value);

template <std::integral Integer>
Result integer_of(Integer value) {
  if constexpr (std::is_signed_v<Integer>) {
    return integer(static_cast<std::int64_t>(value));
  } else {
    return unsigned_integer(static_cast<std::uint64_t>(value));
  }
}

// None for an absent value, else `build(*value)`: `py::optional(pid, py::integer_of<std::uint32_t>)`.
template <class Value, class Build>
Result optional(const std::optional<Value>& value, Build build) {
  if (!value) return none();
  return build(*value);
}

// A new list of `build(item)` for each item of `range`.
template <class Range, class Build>
Result list(const Range& range, Build build) {
  auto made = adopt(PyList_New(0));
  if (!made) return made;
  for (const auto& item : range) {
    auto element = build(item);
    if (!element) return element;
    if (PyList_Append(made->get(), element->get()) < 0) return raised();
  }
  return made;
}

// A new tuple of already built elements: `py::tuple(py::str(kind), py::str(prefix))`.
template <std::same_as<Result>... Elements>
Result tuple(Elements... elements) {
  Result* first_failure = nullptr;
  ((first_failure = first_failure == nullptr && !elements ? &elements : first_failure), ...);
  if (first_failure != nullptr) return std::move(*first_failure);
  auto made = adopt(PyTuple_New(static_cast<Py_ssize_t>(sizeof...(Elements))));
  if (!made) return made;
  Py_ssize_t index = 0;
  bool filled = true;
  // PyTuple_SetItem steals the reference, also when it fails.
  ((filled = filled && PyTuple_SetItem(made->get(), index++, elements->release()) == 0), ...);
  if (!filled) return raised();
  return made;
}

}  // namespace quorvane_native::py

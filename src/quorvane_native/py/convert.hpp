// Converters from Python arguments to C++ values. `from::` converters read one object (also the
// items of a sequence); the `to_` converters read one bound argument: they apply the signature's
// default when it was omitted and prefix a TypeError with the argument's name. `None` counts as
// absent only for `to_optional_str`, `to_optional` and `to_list_or_empty`; everywhere else it is a
// TypeError, like any other object of the wrong type.
#pragma once

#include <Python.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

#include "quorvane_native/py/args.hpp"
#include "quorvane_native/py/errors.hpp"
#include "quorvane_native/py/object.hpp"

namespace quorvane_native::py {

// "'int' object cannot be converted to 'str'"
Failure cannot_convert(PyObject* object, std::string_view target);

namespace from {

Expected<std::string> str(PyObject* object);
// Only `bytes` (and its subclasses): a bytearray, a memoryview or a str is refused. The view
// borrows the object's buffer, which lives as long as the call's arguments.
Expected<std::string_view> bytes(PyObject* object);
// Only `True` and `False`: no truthiness.
Expected<bool> boolean(PyObject* object);
// Any integer (also through __index__, also a bool); outside the target range an OverflowError.
Expected<std::uint8_t> u8(PyObject* object);
Expected<std::uint16_t> u16(PyObject* object);
Expected<std::uint32_t> u32(PyObject* object);
Expected<std::uint64_t> u64(PyObject* object);
// A tuple (not a list) of exactly `length` str.
Expected<std::vector<std::string>> str_tuple(PyObject* object, std::size_t length);
Expected<std::pair<std::string, std::string>> str_pair(PyObject* object);
// Message bytes: a bytes or bytearray object, or a sequence of integers from 0 to 255.
Expected<std::string> payload(PyObject* object);

// A sequence of items, each read by `convert_item`; a str is refused although it is a sequence.
template <class ConvertItem>
auto list(PyObject* object, ConvertItem convert_item)
    -> Expected<std::vector<typename std::invoke_result_t<ConvertItem, PyObject*>::value_type>>;

}  // namespace from

Expected<std::string> to_str(Arg arg);
Expected<std::optional<std::string>> to_optional_str(Arg arg);
Expected<std::string_view> to_bytes(Arg arg);
Expected<bool> to_bool(Arg arg);
Expected<std::uint8_t> to_u8(Arg arg);
Expected<std::uint16_t> to_u16(Arg arg);
Expected<std::uint32_t> to_u32(Arg arg);
Expected<std::uint64_t> to_u64(Arg arg);
Expected<std::string> to_payload(Arg arg);

// Omitted or None gives no value; anything else goes through `convert`, one of the to_ converters:
// `py::to_optional(args[2], py::to_u32)`.
template <class Convert>
auto to_optional(Arg arg, Convert convert) -> Expected<std::optional<typename std::invoke_result_t<Convert, Arg>::value_type>> {
  if (arg.omitted() || arg.object == Py_None) return std::nullopt;
  auto value = convert(arg);
  if (!value) return propagate(value);
  return std::optional(std::move(*value));
}

// A required sequence argument: `to_list(args[3], py::from::str_pair)`.
template <class ConvertItem>
auto to_list(Arg arg, ConvertItem convert_item) -> decltype(from::list(nullptr, convert_item));

// A sequence argument whose default is None: omitted or None gives an empty list.
template <class ConvertItem>
auto to_list_or_empty(Arg arg, ConvertItem convert_item) -> decltype(from::list(nullptr, convert_item)) {
  if (arg.omitted() || arg.object == Py_None) return {};
  return to_list(arg, convert_item);
}

// ---------------------------------------------------------------------------------------------

namespace convert_detail {

// Refuses a str and anything that is not a sequence.
Status check_sequence(PyObject* object);
// The argument's object; omitted arguments are an internal fault here (the binder fills every
// required slot, and defaults are read by the scalar converters).
PyObject* present(Arg arg);

}  // namespace convert_detail

template <class ConvertItem>
auto from::list(PyObject* object, ConvertItem convert_item)
    -> Expected<std::vector<typename std::invoke_result_t<ConvertItem, PyObject*>::value_type>> {
  using Item = typename std::invoke_result_t<ConvertItem, PyObject*>::value_type;
  if (auto status = convert_detail::check_sequence(object); !status) return propagate(status);
  Object iterator(PyObject_GetIter(object));
  if (!iterator) return raised();
  std::vector<Item> items;
  while (Object item{PyIter_Next(iterator.get())}) {
    auto value = convert_item(item.get());
    if (!value) return propagate(value);
    items.push_back(std::move(*value));
  }
  if (PyErr_Occurred()) return raised();
  return items;
}

template <class ConvertItem>
auto to_list(Arg arg, ConvertItem convert_item) -> decltype(from::list(nullptr, convert_item)) {
  auto items = from::list(convert_detail::present(arg), convert_item);
  if (!items) return Failure(std::move(items).error().for_argument(arg.name()));
  return items;
}

}  // namespace quorvane_native::py

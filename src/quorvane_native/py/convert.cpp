#include "quorvane_native/py/convert.hpp"

#include <fmt/format.h>

#include <limits>

#include "support/decimal.hpp"
#include "support/internal_fault.hpp"

namespace quorvane_native::py {

namespace {

constexpr std::string_view out_of_range = "out of range integral type conversion attempted";

std::string type_name(PyObject* object) {
  Object name(PyType_GetName(Py_TYPE(object)));
  Py_ssize_t size = 0;
  const char* utf8 = name ? PyUnicode_AsUTF8AndSize(name.get(), &size) : nullptr;
  if (utf8 == nullptr) {
    PyErr_Clear();
    return "?";
  }
  return std::string(utf8, static_cast<std::size_t>(size));
}

template <class Value>
Expected<Value> named(Arg arg, Expected<Value> value) {
  if (!value) return Failure(std::move(value).error().for_argument(arg.name()));
  return value;
}

// The default of an omitted argument, which the signature must give as a literal of this type.
const Parameter& defaulted(Arg arg, std::string_view converter) {
  const Parameter& parameter = *arg.parameter;
  if (!parameter.has_default || parameter.default_literal == "None") {
    throw support::InternalFault(
        fmt::format("argument '{}' was omitted and has no default that {} can read", parameter.name, converter));
  }
  return parameter;
}

std::string_view string_default(Arg arg) {
  std::string_view literal = defaulted(arg, "to_str").default_literal;
  if (literal.size() < 2 || literal.front() != '"') {
    throw support::InternalFault(fmt::format("the default of argument '{}' is no string literal", arg.name()));
  }
  return literal.substr(1, literal.size() - 2);
}

template <class Unsigned>
Unsigned integer_default(Arg arg) {
  std::string_view literal = defaulted(arg, "an integer converter").default_literal;
  const std::optional<Unsigned> value = support::parse_decimal<Unsigned>(literal);
  if (!value) {
    throw support::InternalFault(fmt::format("the default of argument '{}' is no integer of its type", arg.name()));
  }
  return *value;
}

template <class Unsigned>
Expected<Unsigned> narrow_unsigned(PyObject* object) {
  if constexpr (std::is_same_v<Unsigned, std::uint64_t>) {
    Object index(PyNumber_Index(object));
    if (!index) return raised();
    unsigned long long value = PyLong_AsUnsignedLongLong(index.get());
    if (value == static_cast<unsigned long long>(-1) && PyErr_Occurred()) return raised();
    return static_cast<std::uint64_t>(value);
  } else {
    long long value = PyLong_AsLongLong(object);
    if (value == -1 && PyErr_Occurred()) return raised();
    if (value < 0 || static_cast<unsigned long long>(value) > std::numeric_limits<Unsigned>::max()) {
      return overflow_error(std::string(out_of_range));
    }
    return static_cast<Unsigned>(value);
  }
}

template <class Unsigned>
Expected<Unsigned> to_unsigned(Arg arg) {
  if (arg.omitted()) return integer_default<Unsigned>(arg);
  return named(arg, narrow_unsigned<Unsigned>(arg.object));
}

}  // namespace

Failure cannot_convert(PyObject* object, std::string_view target) {
  return type_error(fmt::format("'{}' object cannot be converted to '{}'", type_name(object), target));
}

namespace convert_detail {

Status check_sequence(PyObject* object) {
  if (PyUnicode_Check(object)) return type_error("Can't extract `str` to `Vec`");
  if (!PySequence_Check(object)) return cannot_convert(object, "Sequence");
  return {};
}

PyObject* present(Arg arg) {
  if (arg.omitted()) {
    throw support::InternalFault(fmt::format("argument '{}' was omitted where a value is required", arg.name()));
  }
  return arg.object;
}

}  // namespace convert_detail

namespace from {

Expected<std::string> str(PyObject* object) {
  if (!PyUnicode_Check(object)) return cannot_convert(object, "str");
  Py_ssize_t size = 0;
  const char* utf8 = PyUnicode_AsUTF8AndSize(object, &size);
  if (utf8 == nullptr) return raised();
  return std::string(utf8, static_cast<std::size_t>(size));
}

Expected<std::string_view> bytes(PyObject* object) {
  if (!PyBytes_Check(object)) return cannot_convert(object, "bytes");
  char* data = nullptr;
  Py_ssize_t size = 0;
  if (PyBytes_AsStringAndSize(object, &data, &size) < 0) return raised();
  return std::string_view(data, static_cast<std::size_t>(size));
}

Expected<bool> boolean(PyObject* object) {
  if (!PyBool_Check(object)) return cannot_convert(object, "bool");
  return object == Py_True;
}

Expected<std::uint8_t> u8(PyObject* object) { return narrow_unsigned<std::uint8_t>(object); }
Expected<std::uint16_t> u16(PyObject* object) { return narrow_unsigned<std::uint16_t>(object); }
Expected<std::uint32_t> u32(PyObject* object) { return narrow_unsigned<std::uint32_t>(object); }
Expected<std::uint64_t> u64(PyObject* object) { return narrow_unsigned<std::uint64_t>(object); }

Expected<std::vector<std::string>> str_tuple(PyObject* object, std::size_t length) {
  if (!PyTuple_Check(object)) return cannot_convert(object, "tuple");
  Py_ssize_t size = PyTuple_Size(object);
  if (size < 0) return raised();
  if (static_cast<std::size_t>(size) != length) {
    return value_error(fmt::format("expected tuple of length {}, but got tuple of length {}", length, size));
  }
  std::vector<std::string> texts;
  texts.reserve(length);
  for (Py_ssize_t index = 0; index < size; ++index) {
    PyObject* item = PyTuple_GetItem(object, index);
    if (item == nullptr) return raised();
    auto text = str(item);
    if (!text) return propagate(text);
    texts.push_back(std::move(*text));
  }
  return texts;
}

Expected<std::pair<std::string, std::string>> str_pair(PyObject* object) {
  auto texts = str_tuple(object, 2);
  if (!texts) return propagate(texts);
  return std::pair(std::move((*texts)[0]), std::move((*texts)[1]));
}

Expected<std::string> payload(PyObject* object) {
  if (PyBytes_Check(object)) {
    auto view = bytes(object);
    if (!view) return propagate(view);
    return std::string(*view);
  }
  if (PyByteArray_Check(object)) {
    const char* data = PyByteArray_AsString(object);
    Py_ssize_t size = PyByteArray_Size(object);
    if (data == nullptr || size < 0) return raised();
    return std::string(data, static_cast<std::size_t>(size));
  }
  auto octets = list(object, u8);
  if (!octets) return propagate(octets);
  return std::string(octets->begin(), octets->end());
}

}  // namespace from

Expected<std::string> to_str(Arg arg) {
  if (arg.omitted()) return std::string(string_default(arg));
  return named(arg, from::str(arg.object));
}

Expected<std::optional<std::string>> to_optional_str(Arg arg) { return to_optional(arg, to_str); }

Expected<std::string_view> to_bytes(Arg arg) {
  return named(arg, from::bytes(convert_detail::present(arg)));
}

Expected<bool> to_bool(Arg arg) {
  if (arg.omitted()) {
    std::string_view literal = defaulted(arg, "to_bool").default_literal;
    if (literal != "True" && literal != "False") {
      throw support::InternalFault(fmt::format("the default of argument '{}' is no bool", arg.name()));
    }
    return literal == "True";
  }
  return named(arg, from::boolean(arg.object));
}

Expected<std::uint8_t> to_u8(Arg arg) { return to_unsigned<std::uint8_t>(arg); }
Expected<std::uint16_t> to_u16(Arg arg) { return to_unsigned<std::uint16_t>(arg); }
Expected<std::uint32_t> to_u32(Arg arg) { return to_unsigned<std::uint32_t>(arg); }
Expected<std::uint64_t> to_u64(Arg arg) { return to_unsigned<std::uint64_t>(arg); }

Expected<std::string> to_payload(Arg arg) { return named(arg, from::payload(convert_detail::present(arg))); }

}  // namespace quorvane_native::py

// Python classes over C++ values, declared once per class as a `py::Class<T>`:
//
//   py::Result trigger_pid(const Obligation& self) { return py::integer_of(self.trigger_pid); }
//   py::Result due_at(const Obligation& self, py::Args args) { ... args[0] is `received` ... }
//   py::Result repr(const Obligation& self) { return py::str(...); }
//
//   constexpr py::Attribute<Obligation> attributes[] = {
//       {"trigger_pid", "The Prüfidentifikator that ...", trigger_pid},
//       {"name", "...", name, set_name},  // a setter converts first, then swaps the value in
//   };
//   constexpr py::Method<Obligation> methods[] = {{"due_at", "($self, received)", "...", due_at}};
//   constexpr py::Class<Obligation> antwort_obligation{
//       .name = "AntwortObligation", .doc = "...", .attributes = attributes, .methods = methods,
//       .repr = repr};  // .constructor = {"(vorgangsnummer, dates=None)", make} for a constructor
//
//   py::add_class<antwort_obligation>(module)        registration (in the module's exec step)
//   py::new_instance<antwort_obligation>(value)      an instance made by a function
//   py::from::instance<antwort_obligation>           converter for arguments and sequence items
//
// Every class is a heap type "builtins.<Name>" with base object: not subclassable, no __dict__,
// no weak references, no equality of its own. Without a constructor, calling the class raises
// TypeError. The type object is created once per process, in the exec step under the import
// lock, and published without a lock of its own.
#pragma once

#include <Python.h>

#include <array>
#include <cstddef>
#include <new>
#include <span>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

#include "quorvane_native/py/args.hpp"
#include "quorvane_native/py/convert.hpp"
#include "quorvane_native/py/errors.hpp"
#include "quorvane_native/py/function.hpp"
#include "quorvane_native/py/signature.hpp"
#include "quorvane_native/py/static_text.hpp"

namespace quorvane_native::py {

template <class T>
struct Attribute {
  const char* name;
  const char* doc;
  Result (*get)(const T& self);
  // Null for a read-only attribute. A setter converts the value completely before it changes
  // anything, so a failed assignment leaves the object as it was.
  Status (*set)(T& self, Arg value) = nullptr;
};

template <class T>
struct Method {
  const char* name;
  const char* signature;  // "($self, received)"
  const char* doc;
  Result (*body)(const T& self, Args args);
};

template <class T>
struct Constructor {
  const char* signature = nullptr;  // "(positionsnummer, gruende, erlaeuterung=None)"
  Expected<T> (*make)(Args args) = nullptr;
};

template <class T>
struct Class {
  using Value = T;
  const char* name;
  const char* doc;
  std::span<const Attribute<T>> attributes{};
  std::span<const Method<T>> methods{};
  Result (*repr)(const T& self) = nullptr;
  Constructor<T> constructor{};
};

// Raises RuntimeError "An error occurred while initializing class {}" with the pending exception
// as its cause.
void raise_class_initialization_error(std::string_view class_name);

namespace class_detail {

template <const auto& Definition>
using ValueOf = typename std::remove_cvref_t<decltype(Definition)>::Value;

// The C++ value sits behind the object header, aligned for its type.
template <class T>
inline constexpr std::size_t value_offset = (sizeof(PyObject) + alignof(T) - 1) / alignof(T) * alignof(T);

template <class T>
T& value_of(PyObject* self) {
  return *std::launder(reinterpret_cast<T*>(reinterpret_cast<char*>(self) + value_offset<T>));
}

template <const auto& Definition>
inline PyTypeObject* published_type = nullptr;

template <class T>
Result allocate(PyTypeObject* type, T&& value) {
  static_assert(std::is_nothrow_move_constructible_v<T>, "an instance is filled after allocation and must not throw");
  static_assert(alignof(T) <= alignof(std::max_align_t));
  auto alloc = reinterpret_cast<allocfunc>(PyType_GetSlot(type, Py_tp_alloc));
  PyObject* self = alloc(type, 0);
  if (self == nullptr) return raised();
  new (reinterpret_cast<char*>(self) + value_offset<T>) T(std::move(value));
  return Object(self);
}

template <class T>
void deallocate(PyObject* self) noexcept {
  PyTypeObject* type = Py_TYPE(self);
  value_of<T>(self).~T();
  auto free = reinterpret_cast<freefunc>(PyType_GetSlot(type, Py_tp_free));
  free(self);
  // Every instance of a heap type holds a reference to its type.
  Py_DECREF(type);
}

template <const auto& Definition>
PyObject* get_attribute(PyObject* self, void* closure) noexcept {
  using T = ValueOf<Definition>;
  auto* attribute = static_cast<const Attribute<T>*>(closure);
  return guard([&] { return attribute->get(value_of<T>(self)); });
}

template <const auto& Definition>
int set_attribute(PyObject* self, PyObject* value, void* closure) noexcept {
  using T = ValueOf<Definition>;
  auto* attribute = static_cast<const Attribute<T>*>(closure);
  return guard_status([&]() -> Status {
    if (value == nullptr) return type_error("can't delete attribute");
    Parameter parameter;
    parameter.name = attribute->name;
    return attribute->set(value_of<T>(self), Arg{value, &parameter});
  });
}

template <const auto& Definition>
PyObject* repr(PyObject* self) noexcept {
  return guard([&] { return Definition.repr(value_of<ValueOf<Definition>>(self)); });
}

template <const auto& Definition, std::size_t Index>
PyObject* call_method(PyObject* self, PyObject* const* args, Py_ssize_t positional_count,
                      PyObject* keyword_names) noexcept {
  static constexpr const auto& method = Definition.methods[Index];
  static constexpr Signature signature = parse_signature(method.signature);
  static_assert(signature.well_formed, "a method's text signature cannot be read");
  return guard([&]() -> Result {
    std::array<PyObject*, signature.count> slots{};
    auto bound =
        bind_vectorcall(signature, {Definition.name, method.name}, args, positional_count, keyword_names, slots);
    if (!bound) return propagate(bound);
    return method.body(value_of<ValueOf<Definition>>(self), Args(slots, signature));
  });
}

template <const auto& Definition>
PyObject* construct(PyTypeObject* type, PyObject* args, PyObject* keywords) noexcept {
  static constexpr Signature signature = parse_signature(Definition.constructor.signature);
  static_assert(signature.well_formed, "a constructor's text signature cannot be read");
  return guard([&]() -> Result {
    std::array<PyObject*, signature.count> slots{};
    auto bound = bind_tuple_and_dict(signature, {Definition.name, "__new__"}, args, keywords, slots);
    if (!bound) return propagate(bound);
    auto value = Definition.constructor.make(Args(slots, signature));
    if (!value) return propagate(value);
    return allocate(type, std::move(*value));
  });
}

template <const auto& Definition, std::size_t Index>
inline constexpr auto method_doc = [] {
  constexpr const auto& method = Definition.methods[Index];
  constexpr std::array<std::string_view, 4> parts{method.name, method.signature, signature_end, method.doc};
  return join<joined_size(parts)>(parts);
}();

// "builtins.<Name>": the classes name no module of their own.
template <const auto& Definition>
inline constexpr auto qualified_name = [] {
  constexpr std::array<std::string_view, 2> parts{"builtins.", Definition.name};
  return join<joined_size(parts)>(parts);
}();

// With a constructor the docstring starts with its text signature, which the interpreter moves
// into __text_signature__.
template <const auto& Definition>
inline constexpr auto type_doc = [] {
  if constexpr (Definition.constructor.make != nullptr) {
    constexpr std::array<std::string_view, 4> parts{Definition.name, Definition.constructor.signature, signature_end,
                                                    Definition.doc};
    return join<joined_size(parts)>(parts);
  } else {
    constexpr std::array<std::string_view, 1> parts{Definition.doc};
    return join<joined_size(parts)>(parts);
  }
}();

template <const auto& Definition, std::size_t... Indices>
std::array<PyGetSetDef, sizeof...(Indices) + 1> getset_defs(std::index_sequence<Indices...>) {
  using T = ValueOf<Definition>;
  return {{
      PyGetSetDef{Definition.attributes[Indices].name, &get_attribute<Definition>,
                  Definition.attributes[Indices].set != nullptr ? &set_attribute<Definition> : nullptr,
                  Definition.attributes[Indices].doc,
                  const_cast<Attribute<T>*>(&Definition.attributes[Indices])}...,
      PyGetSetDef{nullptr, nullptr, nullptr, nullptr, nullptr},
  }};
}

template <const auto& Definition, std::size_t... Indices>
std::array<PyMethodDef, sizeof...(Indices) + 1> method_defs(std::index_sequence<Indices...>) {
  return {{
      PyMethodDef{Definition.methods[Indices].name, as_method_pointer(&call_method<Definition, Indices>),
                  METH_FASTCALL | METH_KEYWORDS, method_doc<Definition, Indices>.data()}...,
      PyMethodDef{nullptr, nullptr, 0, nullptr},
  }};
}

// The type keeps pointers into these tables for the life of the process.
template <const auto& Definition>
inline auto getset_table = getset_defs<Definition>(std::make_index_sequence<Definition.attributes.size()>{});
template <const auto& Definition>
inline auto method_table = method_defs<Definition>(std::make_index_sequence<Definition.methods.size()>{});

template <const auto& Definition>
PyObject* create_type() {
  using T = ValueOf<Definition>;
  std::vector<PyType_Slot> slots{
      {Py_tp_doc, const_cast<char*>(type_doc<Definition>.data())},
      {Py_tp_dealloc, reinterpret_cast<void*>(&deallocate<T>)},
  };
  if constexpr (Definition.attributes.size() > 0) slots.push_back({Py_tp_getset, getset_table<Definition>.data()});
  if constexpr (Definition.methods.size() > 0) slots.push_back({Py_tp_methods, method_table<Definition>.data()});
  if constexpr (Definition.repr != nullptr) slots.push_back({Py_tp_repr, reinterpret_cast<void*>(&repr<Definition>)});
  if constexpr (Definition.constructor.make != nullptr) {
    slots.push_back({Py_tp_new, reinterpret_cast<void*>(&construct<Definition>)});
  }
  slots.push_back({0, nullptr});
  unsigned int flags = Py_TPFLAGS_DEFAULT;
  if constexpr (Definition.constructor.make == nullptr) flags |= Py_TPFLAGS_DISALLOW_INSTANTIATION;
  PyType_Spec spec{qualified_name<Definition>.data(), static_cast<int>(value_offset<T> + sizeof(T)), 0, flags,
                   slots.data()};
  return PyType_FromSpec(&spec);
}

}  // namespace class_detail

// The class's type object, created on first use; null with the exception set when it cannot be.
template <const auto& Definition>
PyTypeObject* type_object() {
  PyTypeObject*& published = class_detail::published_type<Definition>;
  if (published != nullptr) return published;
  PyObject* created = class_detail::create_type<Definition>();
  if (created == nullptr) {
    raise_class_initialization_error(Definition.name);
    return nullptr;
  }
  // Creating a type can run Python code; the first one published is kept, a later copy dropped.
  if (published == nullptr) {
    published = reinterpret_cast<PyTypeObject*>(created);
  } else {
    Py_DECREF(created);
  }
  return published;
}

// Adds the class to the module under its name; 0, or -1 with the exception set.
template <const auto& Definition>
int add_class(PyObject* module) {
  PyTypeObject* type = type_object<Definition>();
  if (type == nullptr) return -1;
  return PyModule_AddType(module, type);
}

// A new instance holding `value`.
template <const auto& Definition>
Result new_instance(class_detail::ValueOf<Definition> value) {
  PyTypeObject* type = type_object<Definition>();
  if (type == nullptr) return raised();
  return class_detail::allocate(type, std::move(value));
}

namespace from {

// A copy of the value of an instance of the class (or a TypeError naming the class).
template <const auto& Definition>
Expected<class_detail::ValueOf<Definition>> instance(PyObject* object) {
  PyTypeObject* type = type_object<Definition>();
  if (type == nullptr) return raised();
  if (!PyObject_TypeCheck(object, type)) return cannot_convert(object, Definition.name);
  return class_detail::value_of<class_detail::ValueOf<Definition>>(object);
}

}  // namespace from

}  // namespace quorvane_native::py

// A small extension module that declares functions and classes through the binding layer the way
// the module's areas do, so that the Python tests can drive argument binding, conversion, results,
// error translation and the class machinery directly. Built by the tests; never installed.
#include <Python.h>

#include <fmt/format.h>

#include <array>
#include <new>
#include <string>
#include <vector>

#include "quorvane_native/py/class_type.hpp"
#include "quorvane_native/py/convert.hpp"
#include "quorvane_native/py/function.hpp"
#include "quorvane_native/py/result.hpp"
#include "support/internal_fault.hpp"

namespace py = quorvane_native::py;

namespace {

struct Item {
  std::string name;
  std::vector<std::pair<std::string, std::string>> tags;
  std::uint32_t weight = 0;
};

struct Frozen {
  std::uint32_t value = 0;
};

// --- signatures, checked while this file compiles ------------------------------------------------

constexpr py::Signature mixed = py::parse_signature("($self, a, b=\"x\", *, c, d=None, e=0)");
static_assert(mixed.well_formed && mixed.count == 5 && mixed.positional_count == 2);
static_assert(mixed.parameters[0].name == "a" && !mixed.parameters[0].has_default);
static_assert(mixed.parameters[1].default_literal == "\"x\"");
static_assert(mixed.parameters[2].kind == py::ParameterKind::keyword_only && !mixed.parameters[2].has_default);
static_assert(mixed.parameters[4].default_literal == "0");
static_assert(py::parse_signature("()").well_formed && py::parse_signature("()").count == 0);
// Forms this layer does not read: missing parentheses, a required parameter after a default,
// a bare "*" at the end, a repeated name, positional-only markers, unreadable defaults.
static_assert(!py::parse_signature("a, b").well_formed);
static_assert(!py::parse_signature("(a=1, b)").well_formed);
static_assert(!py::parse_signature("(a, *)").well_formed);
static_assert(!py::parse_signature("(a, a)").well_formed);
static_assert(!py::parse_signature("(a, /, b)").well_formed);
static_assert(!py::parse_signature("(a=[1])").well_formed);
static_assert(!py::parse_signature("(a='x')").well_formed);

// --- classes ---------------------------------------------------------------------------------

py::Result tag_list(const std::vector<std::pair<std::string, std::string>>& tags) {
  return py::list(tags, [](const auto& tag) { return py::tuple(py::str(tag.first), py::str(tag.second)); });
}

py::Result item_name(const Item& self) { return py::str(self.name); }
py::Status set_item_name(Item& self, py::Arg value) {
  auto name = py::to_str(value);
  if (!name) return py::propagate(name);
  self.name = std::move(*name);
  return {};
}
py::Result item_tags(const Item& self) { return tag_list(self.tags); }
py::Status set_item_tags(Item& self, py::Arg value) {
  auto tags = py::to_list(value, py::from::str_pair);
  if (!tags) return py::propagate(tags);
  self.tags.swap(*tags);
  return {};
}
py::Result item_weight(const Item& self) { return py::integer_of(self.weight); }

py::Result item_describe(const Item& self, py::Args args) {
  auto prefix = py::to_str(args[0]);
  if (!prefix) return py::propagate(prefix);
  return py::str(fmt::format("{}{}/{}", *prefix, self.name, self.tags.size()));
}

py::Result item_repr(const Item& self) { return py::str(fmt::format("Item({})", self.name)); }

py::Expected<Item> make_item(py::Args args) {
  auto name = py::to_str(args[0]);
  if (!name) return py::propagate(name);
  auto tags = py::to_list_or_empty(args[1], py::from::str_pair);
  if (!tags) return py::propagate(tags);
  auto weight = py::to_u32(args[2]);
  if (!weight) return py::propagate(weight);
  return Item{std::move(*name), std::move(*tags), *weight};
}

constexpr py::Attribute<Item> item_attributes[] = {
    {"name", "The item's name.", item_name, set_item_name},
    {"tags", "The item's (key, value) tags, a fresh list on every access.", item_tags, set_item_tags},
    {"weight", "Read-only weight.", item_weight},
};
constexpr py::Method<Item> item_methods[] = {
    {"describe", "($self, prefix)", "The name after a prefix, with the number of tags.", item_describe},
};
constexpr py::Class<Item> item_class{
    .name = "Item",
    .doc = "A probe value with a constructor, setters and a method.",
    .attributes = item_attributes,
    .methods = item_methods,
    .repr = item_repr,
    .constructor = {"(name, tags=None, *, weight=1)", make_item},
};

py::Result frozen_value(const Frozen& self) { return py::integer_of(self.value); }
constexpr py::Attribute<Frozen> frozen_attributes[] = {{"value", "The value.", frozen_value}};
constexpr py::Class<Frozen> frozen_class{
    .name = "Frozen",
    .doc = "A probe value without a constructor and without a repr of its own.",
    .attributes = frozen_attributes,
};

// An attribute name that is no UTF-8 makes the type impossible to create.
constexpr py::Attribute<Frozen> broken_attributes[] = {{"\xff", "Unreadable name.", frozen_value}};
constexpr py::Class<Frozen> broken_class{.name = "Broken", .doc = "Cannot be created.", .attributes = broken_attributes};

// --- functions -------------------------------------------------------------------------------

py::Result describe(py::Args args) {
  auto text = py::to_str(args[0]);
  if (!text) return py::propagate(text);
  auto data = py::to_bytes(args[1]);
  if (!data) return py::propagate(data);
  auto flag = py::to_bool(args[2]);
  if (!flag) return py::propagate(flag);
  auto small = py::to_u8(args[3]);
  if (!small) return py::propagate(small);
  auto label = py::to_str(args[4]);
  if (!label) return py::propagate(label);
  auto note = py::to_optional_str(args[5]);
  if (!note) return py::propagate(note);
  auto big = py::to_optional(args[6], py::to_u64);
  if (!big) return py::propagate(big);
  return py::tuple(py::str(*text), py::bytes(*data), py::boolean(*flag), py::integer_of(*small), py::str(*label),
                   py::optional(*note, py::str), py::optional(*big, py::integer_of<std::uint64_t>));
}

py::Result widths(py::Args args) {
  auto a = py::to_u8(args[0]);
  if (!a) return py::propagate(a);
  auto b = py::to_u16(args[1]);
  if (!b) return py::propagate(b);
  auto c = py::to_u32(args[2]);
  if (!c) return py::propagate(c);
  auto d = py::to_u64(args[3]);
  if (!d) return py::propagate(d);
  return py::tuple(py::integer_of(*a), py::integer_of(*b), py::integer_of(*c), py::integer_of(*d));
}

py::Result pairs(py::Args args) {
  auto items = py::to_list(args[0], py::from::str_pair);
  if (!items) return py::propagate(items);
  return tag_list(*items);
}

py::Result triples(py::Args args) {
  auto items = py::to_list(args[0], [](PyObject* item) { return py::from::str_tuple(item, 3); });
  if (!items) return py::propagate(items);
  return py::list(*items, [](const std::vector<std::string>& triple) {
    return py::str(fmt::format("{}|{}|{}", triple[0], triple[1], triple[2]));
  });
}

py::Result payloads(py::Args args) {
  auto items = py::to_list(args[0], py::from::payload);
  if (!items) return py::propagate(items);
  return py::list(*items, [](const std::string& payload) { return py::bytes(payload); });
}

py::Result invoice(py::Args args) {
  auto rechnungsnummer = py::to_str(args[1]);
  if (!rechnungsnummer) return py::propagate(rechnungsnummer);
  return py::str(*rechnungsnummer);
}

py::Result total_weight(py::Args args) {
  auto items = py::to_list(args[0], py::from::instance<item_class>);
  if (!items) return py::propagate(items);
  std::uint64_t total = 0;
  for (const Item& item : *items) total += item.weight;
  return py::integer_of(total);
}

py::Result frozen(py::Args args) {
  auto value = py::to_u32(args[0]);
  if (!value) return py::propagate(value);
  return py::new_instance<frozen_class>(Frozen{*value});
}

py::Result fail_with(py::Args args) {
  auto kind = py::to_str(args[0]);
  if (!kind) return py::propagate(kind);
  if (*kind == "value") return py::value_error("bad value \xc3\xa4");
  if (*kind == "runtime") return py::runtime_error("it broke");
  if (*kind == "overflow") return py::overflow_error("too big");
  if (*kind == "fault") throw support::InternalFault("a broken invariant");
  if (*kind == "memory") throw std::bad_alloc();
  if (*kind == "unknown") throw 42;
  if (*kind == "undeclared") return py::str(py::to_str(args[1]).value_or(""));
  return py::none();
}

py::Result add_broken_class(py::Args args) {
  if (py::add_class<broken_class>(args[0].object) < 0) return py::raised();
  return py::none();
}

constexpr py::Function functions[] = {
    {"describe", "(text, data, flag=False, small=7, *, label=\"dflt\", note=None, big=None)", "Converter probe.",
     describe},
    {"widths", "(a, b, c, d)", "Integer widths.", widths},
    {"pairs", "(items)", "Pairs of str.", pairs},
    {"triples", "(items)", "Triples of str.", triples},
    {"payloads", "(messages)", "Message payloads.", payloads},
    {"invoice", "(sender, *, rechnungsnummer, datum=None)", "A required keyword-only parameter.", invoice},
    {"total_weight", "(items)", "Instances as sequence items.", total_weight},
    {"frozen", "(value)", "A new instance of a class without a constructor.", frozen},
    {"fail_with", "(kind)", "Each kind of failure.", fail_with},
    {"add_broken_class", "(module)", "Registers a class whose type cannot be created.", add_broken_class},
};

int exec_probe(PyObject* module) {
  if (py::add_functions<functions>(module) < 0) return -1;
  if (py::add_class<item_class>(module) < 0) return -1;
  return py::add_class<frozen_class>(module);
}

PyModuleDef_Slot slots[] = {{Py_mod_exec, reinterpret_cast<void*>(&exec_probe)}, {0, nullptr}};
PyModuleDef definition = {PyModuleDef_HEAD_INIT, "_binding_probe", nullptr, 0, nullptr, slots, nullptr, nullptr, nullptr};

}  // namespace

PyMODINIT_FUNC PyInit__binding_probe() { return PyModuleDef_Init(&definition); }

#include "quorvane_native/edifact/build_check.hpp"

#include <fmt/format.h>

#include <algorithm>
#include <array>
#include <map>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "quorvane_native/edifact/column_verdict.hpp"
#include "quorvane_native/edifact/input_classes.hpp"

namespace quorvane_native::edifact {

namespace {

// These choose the column rather than write into it.
constexpr std::array<std::string_view, 5> column_choosers{"on", "release", "sparte", "pruefidentifikator",
                                                          "message_index"};

// The arguments of a call with one value left out, named by what is missing.
struct Variant {
  std::string label;
  std::vector<PyObject*> slots;
  py::Object replacement;
};

bool is_item_list(PyObject* object) {
  if (PyList_Check(object)) return true;
  // A tuple of texts is one value (a status pair); a tuple of pairs or instances lists items.
  return PyTuple_Check(object) && PyTuple_Size(object) > 0 && !PyUnicode_Check(PyTuple_GetItem(object, 0));
}

// A list with item `at` left out (no `replacement`) or replaced by it.
py::Result list_with(PyObject* list, Py_ssize_t at, PyObject* replacement) {
  const Py_ssize_t count = PySequence_Size(list);
  if (count < 0) return py::raised();
  py::Object copy(PyList_New(0));
  if (!copy) return py::raised();
  for (Py_ssize_t index = 0; index < count; ++index) {
    py::Object item(PySequence_GetItem(list, index));
    if (!item) return py::raised();
    PyObject* kept = index == at ? replacement : item.get();
    if (kept != nullptr && PyList_Append(copy.get(), kept) < 0) return py::raised();
  }
  return copy;
}

py::Status add_list_variants(std::vector<Variant>& variants, const std::vector<PyObject*>& slots, std::size_t slot,
                             std::string_view name) {
  PyObject* list = slots[slot];
  const Py_ssize_t count = PySequence_Size(list);
  if (count < 0) return py::raised();
  const auto add = [&](std::string label, Py_ssize_t at, PyObject* replacement) -> py::Status {
    auto copy = list_with(list, at, replacement);
    if (!copy) return py::propagate(copy);
    Variant variant{std::move(label), slots, std::move(*copy)};
    variant.slots[slot] = variant.replacement.get();
    variants.push_back(std::move(variant));
    return {};
  };
  for (Py_ssize_t at = 0; at < count; ++at) {
    py::Object item(PySequence_GetItem(list, at));
    if (!item) return py::raised();
    auto copies = without_each_value(item.get());
    if (!copies) return py::propagate(copies);
    for (auto& [field, copy] : *copies) {
      if (auto added = add(fmt::format("{}[{}].{}", name, at, field), at, copy.get()); !added) return added;
    }
    if (auto added = add(fmt::format("{}[{}]", name, at), at, nullptr); !added) return added;
  }
  return {};
}

// Every value the caller gave that the build writes, innermost first within an argument.
py::Expected<std::vector<Variant>> variants_of(py::Args args) {
  std::vector<PyObject*> slots(args.size());
  for (std::size_t index = 0; index < args.size(); ++index) slots[index] = args[index].object;
  std::vector<Variant> variants;
  for (std::size_t index = 0; index < args.size(); ++index) {
    const py::Arg arg = args[index];
    if (arg.omitted() || !arg.parameter->has_default || arg.object == Py_None) continue;
    if (std::ranges::find(column_choosers, arg.name()) != column_choosers.end()) continue;
    if (is_item_list(arg.object)) {
      if (auto added = add_list_variants(variants, slots, index, arg.name()); !added) return py::propagate(added);
    }
    Variant omitted{std::string(arg.name()), slots, {}};
    omitted.slots[index] = nullptr;
    variants.push_back(std::move(omitted));
  }
  return variants;
}

using FaultCounts = std::map<std::string, std::size_t, std::less<>>;

FaultCounts counts_of(const ColumnVerdict& verdict) {
  FaultCounts counts;
  for (const auto& rejection : verdict.rejections) ++counts[rejection.key];
  return counts;
}

py::Failure refused(std::string_view label, const ColumnVerdict& verdict, std::string_view fault) {
  return py::value_error(fmt::format("{}: the column of {} does not admit what it writes — {}", label,
                                     verdict.column, fault));
}

// A value of a required argument (a metering point) cannot be left out: it is named when the
// faulty data element holds exactly its text.
std::optional<py::Failure> required_value_at_fault(py::Args args, const ColumnVerdict& verdict) {
  for (const auto& rejection : verdict.rejections) {
    if (!rejection.value || rejection.value->empty()) continue;
    for (std::size_t index = 0; index < args.size(); ++index) {
      const py::Arg arg = args[index];
      if (arg.omitted() || arg.parameter->has_default || !PyUnicode_Check(arg.object)) continue;
      Py_ssize_t size = 0;
      const char* text = PyUnicode_AsUTF8AndSize(arg.object, &size);
      if (text == nullptr) {
        PyErr_Clear();
        continue;
      }
      if (std::string_view(text, static_cast<std::size_t>(size)) == *rejection.value) {
        return refused(arg.name(), verdict, rejection.text);
      }
    }
  }
  return std::nullopt;
}

}  // namespace

py::Result accepted_by_column(py::Result (*body)(py::Args), py::Args args) {
  ColumnVerdict verdict;
  py::Result built = [&] {
    const VerdictScope scope(verdict);
    return body(args);
  }();
  const bool unplaced = !built && verdict.unplaced;
  if (built ? verdict.rejections.empty() : !unplaced) return built;

  auto variants = variants_of(args);
  if (!variants) return py::propagate(variants);
  const FaultCounts faults = counts_of(verdict);
  for (const Variant& variant : *variants) {
    ColumnVerdict without;
    const VerdictScope scope(without);
    const py::Result other = body(py::Args(std::span<PyObject* const>(variant.slots), args.signature()));
    // A call the build refuses for another reason says nothing about this fault.
    if (!other) continue;
    if (unplaced) return refused(variant.label, verdict, *verdict.unplaced);
    const FaultCounts remaining = counts_of(without);
    for (const auto& rejection : verdict.rejections) {
      const auto left = remaining.find(rejection.key);
      if (left == remaining.end() || left->second < faults.at(rejection.key)) {
        return refused(variant.label, verdict, rejection.text);
      }
    }
  }
  if (built) {
    if (auto fault = required_value_at_fault(args, verdict)) return std::move(*fault);
  }
  return built;
}

}  // namespace quorvane_native::edifact

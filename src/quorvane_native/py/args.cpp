#include "quorvane_native/py/args.hpp"

#include <fmt/format.h>

#include <string>
#include <vector>

namespace quorvane_native::py {

namespace {

std::string display_name(CallableName callable) {
  if (callable.owner.empty()) return fmt::format("{}()", callable.name);
  return fmt::format("{}.{}()", callable.owner, callable.name);
}

// 'a' / 'a' and 'b' / 'a', 'b', and 'c', as CPython lists missing arguments.
std::string quoted_list(const std::vector<std::string_view>& names) {
  std::string out;
  for (std::size_t index = 0; index < names.size(); ++index) {
    if (index > 0) out += names.size() == 2 ? " " : ", ";
    if (index > 0 && index + 1 == names.size()) out += "and ";
    out += fmt::format("'{}'", names[index]);
  }
  return out;
}

class Binder {
 public:
  Binder(const Signature& signature, CallableName callable, std::span<PyObject*> slots)
      : signature_(signature), callable_(callable), slots_(slots) {
    for (PyObject*& slot : slots_) slot = nullptr;
  }

  Status check_positional_count(std::size_t given) const {
    if (given <= signature_.positional_count) return {};
    std::size_t required = 0;
    for (std::size_t index = 0; index < signature_.positional_count; ++index) {
      if (!signature_.parameters[index].has_default) ++required;
    }
    std::string takes = required == signature_.positional_count
                            ? fmt::format("{} positional argument{}", required, required == 1 ? "" : "s")
                            : fmt::format("from {} to {} positional arguments", required, signature_.positional_count);
    return type_error(fmt::format("{} takes {} but {} {} given", display_name(callable_), takes, given,
                                  given == 1 ? "was" : "were"));
  }

  void positional(std::size_t index, PyObject* value) { slots_[index] = value; }

  Status keyword(PyObject* key, PyObject* value) {
    if (!PyUnicode_Check(key)) return type_error("keywords must be strings");
    Py_ssize_t size = 0;
    const char* utf8 = PyUnicode_AsUTF8AndSize(key, &size);
    if (utf8 == nullptr) return raised();
    std::string_view name(utf8, static_cast<std::size_t>(size));
    for (std::size_t index = 0; index < signature_.count; ++index) {
      if (signature_.parameters[index].name != name) continue;
      if (slots_[index] != nullptr) {
        return type_error(fmt::format("{} got multiple values for argument '{}'", display_name(callable_), name));
      }
      slots_[index] = value;
      return {};
    }
    return type_error(fmt::format("{} got an unexpected keyword argument '{}'", display_name(callable_), name));
  }

  Status check_required() const {
    if (auto status = check_missing(ParameterKind::positional_or_keyword, "positional"); !status) return status;
    return check_missing(ParameterKind::keyword_only, "keyword");
  }

 private:
  Status check_missing(ParameterKind kind, std::string_view kind_text) const {
    std::vector<std::string_view> missing;
    for (std::size_t index = 0; index < signature_.count; ++index) {
      const Parameter& parameter = signature_.parameters[index];
      if (parameter.kind == kind && !parameter.has_default && slots_[index] == nullptr) missing.push_back(parameter.name);
    }
    if (missing.empty()) return {};
    return type_error(fmt::format("{} missing {} required {} argument{}: {}", display_name(callable_), missing.size(),
                                  kind_text, missing.size() == 1 ? "" : "s", quoted_list(missing)));
  }

  const Signature& signature_;
  CallableName callable_;
  std::span<PyObject*> slots_;
};

}  // namespace

Status bind_vectorcall(const Signature& signature, CallableName callable, PyObject* const* args,
                       Py_ssize_t positional_count, PyObject* keyword_names, std::span<PyObject*> slots) {
  Binder binder(signature, callable, slots);
  auto given = static_cast<std::size_t>(positional_count);
  if (auto status = binder.check_positional_count(given); !status) return status;
  for (std::size_t index = 0; index < given; ++index) binder.positional(index, args[index]);
  Py_ssize_t keyword_count = keyword_names == nullptr ? 0 : PyTuple_Size(keyword_names);
  if (keyword_count < 0) return raised();
  for (Py_ssize_t index = 0; index < keyword_count; ++index) {
    PyObject* key = PyTuple_GetItem(keyword_names, index);
    if (key == nullptr) return raised();
    if (auto status = binder.keyword(key, args[positional_count + index]); !status) return status;
  }
  return binder.check_required();
}

Status bind_tuple_and_dict(const Signature& signature, CallableName callable, PyObject* args, PyObject* keywords,
                           std::span<PyObject*> slots) {
  Binder binder(signature, callable, slots);
  Py_ssize_t positional_count = PyTuple_Size(args);
  if (positional_count < 0) return raised();
  if (auto status = binder.check_positional_count(static_cast<std::size_t>(positional_count)); !status) return status;
  for (Py_ssize_t index = 0; index < positional_count; ++index) {
    PyObject* value = PyTuple_GetItem(args, index);
    if (value == nullptr) return raised();
    binder.positional(static_cast<std::size_t>(index), value);
  }
  if (keywords != nullptr) {
    Py_ssize_t position = 0;
    PyObject* key = nullptr;
    PyObject* value = nullptr;
    while (PyDict_Next(keywords, &position, &key, &value)) {
      if (auto status = binder.keyword(key, value); !status) return status;
    }
  }
  return binder.check_required();
}

}  // namespace quorvane_native::py

#include "quorvane_native/edifact/segment_room.hpp"

#include <fmt/format.h>

#include <algorithm>
#include <string>

#include "quorvane_native/py/object.hpp"

namespace quorvane_native::edifact {

namespace {

// A tag and the separator before the first data element come before any text.
constexpr std::size_t room_for_text = segment_room - 4;

// Nested deeper than a pair in a list, nothing a builder reads is a text.
constexpr int deepest = 3;

py::Status fits(PyObject* object, std::string& path, int depth) {
  if (PyUnicode_Check(object)) {
    Py_ssize_t size = 0;
    const char* utf8 = PyUnicode_AsUTF8AndSize(object, &size);
    // A text without a UTF-8 form is refused by the conversion, which names it.
    if (utf8 == nullptr) {
      PyErr_Clear();
      return {};
    }
    const std::size_t written = written_length(std::string_view(utf8, static_cast<std::size_t>(size)));
    if (written <= room_for_text) return {};
    return py::value_error(fmt::format("argument '{}': a text of {} bytes as written does not fit into an EDIFACT "
                                       "segment, which holds at most {} bytes",
                                       path, written, segment_room));
  }
  const bool tuple = PyTuple_Check(object) != 0;
  if ((!tuple && !PyList_Check(object)) || depth >= deepest) return {};
  const Py_ssize_t count = tuple ? PyTuple_Size(object) : PyList_Size(object);
  for (Py_ssize_t index = 0; index < count; ++index) {
    PyObject* borrowed = tuple ? PyTuple_GetItem(object, index) : PyList_GetItem(object, index);
    if (borrowed == nullptr) return py::raised();
    const py::Object item = py::Object::borrowed(borrowed);
    const std::size_t kept = path.size();
    path += fmt::format("[{}]", index);
    auto status = fits(item.get(), path, depth + 1);
    path.resize(kept);
    if (!status) return status;
  }
  return {};
}

}  // namespace

std::size_t written_length(std::string_view text) {
  return text.size() + static_cast<std::size_t>(std::ranges::count_if(
                           text, [](char byte) { return byte == '+' || byte == ':' || byte == '?' || byte == '\''; }));
}

py::Status texts_fit_segments(py::Args args) {
  for (std::size_t index = 0; index < args.size(); ++index) {
    const py::Arg arg = args[index];
    if (arg.omitted()) continue;
    std::string path(arg.name());
    if (auto status = fits(arg.object, path, 0); !status) return status;
  }
  return {};
}

}  // namespace quorvane_native::edifact

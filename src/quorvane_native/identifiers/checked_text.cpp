#include "quorvane_native/identifiers/checked_text.hpp"

#include "quorvane_native/py/convert.hpp"

namespace quorvane_native::identifiers {

py::Expected<std::optional<std::string>> checked_text(py::Arg arg) {
  auto text = py::to_str(arg);
  if (text) return std::optional(std::move(*text));
  if (text.error().is(PyExc_UnicodeEncodeError)) return std::nullopt;
  return py::propagate(text);
}

}  // namespace quorvane_native::identifiers

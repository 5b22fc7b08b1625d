// The two Python shapes the EDIFACT classes hand out most: an optional text, and a list of
// (text, text) tuples.
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "quorvane_native/py/result.hpp"

namespace quorvane_native::edifact {

inline py::Result optional_text(const std::optional<std::string>& value) {
  return py::optional(value, [](const std::string& text) { return py::str(text); });
}

inline py::Result text_pairs(const std::vector<std::pair<std::string, std::string>>& pairs) {
  return py::list(pairs, [](const auto& pair) { return py::tuple(py::str(pair.first), py::str(pair.second)); });
}

}  // namespace quorvane_native::edifact

#include "quorvane_native/edifact/given_text.hpp"

#include <fmt/format.h>

namespace quorvane_native::edifact {

py::Status require_text(std::string_view field, std::string_view text) {
  if (!text.empty()) return {};
  return py::value_error(fmt::format(
      "{} is an empty text: the message needs a value there, and a value the caller gives is never replaced "
      "(leave an optional argument out instead)",
      field));
}

py::Status require_optional_text(std::string_view field, const std::optional<std::string>& text) {
  return text ? require_text(field, *text) : py::Status{};
}

py::Status require_texts(std::initializer_list<std::pair<std::string_view, std::string_view>> texts) {
  for (const auto& [field, text] : texts) {
    if (auto given = require_text(field, text); !given) return given;
  }
  return {};
}

py::Status require_optional_texts(
    std::initializer_list<std::pair<std::string_view, const std::optional<std::string>*>> texts) {
  for (const auto& [field, text] : texts) {
    if (auto given = require_optional_text(field, *text); !given) return given;
  }
  return {};
}

}  // namespace quorvane_native::edifact

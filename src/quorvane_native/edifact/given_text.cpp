#include "quorvane_native/edifact/given_text.hpp"

#include <fmt/format.h>

namespace quorvane_native::edifact {
namespace {

constexpr std::string_view message_needs =
    " is an empty text: the message needs a value there, and a value the caller gives is never replaced "
    "(leave an optional argument out instead)";
constexpr std::string_view column_requires =
    " is empty: the column requires a value there, and completion would replace an empty one with sample data";

py::Status refused_when_empty(std::string_view field, std::string_view text, std::string_view why) {
  if (!text.empty()) return {};
  return py::value_error(fmt::format("{}{}", field, why));
}

py::Status first_given_empty(std::initializer_list<NamedText> texts, std::string_view why) {
  for (const auto& [argument, text] : texts) {
    if (!*text) continue;
    if (auto given = refused_when_empty(argument, **text, why); !given) return given;
  }
  return {};
}

}  // namespace

py::Status require_text(std::string_view field, std::string_view text) {
  return refused_when_empty(field, text, message_needs);
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

py::Status require_optional_texts(std::initializer_list<NamedText> texts) {
  return first_given_empty(texts, message_needs);
}

py::Status refuse_empty(std::string_view argument, std::string_view text) {
  return refused_when_empty(argument, text, column_requires);
}

py::Status refuse_empty_texts(std::initializer_list<NamedText> texts) {
  return first_given_empty(texts, column_requires);
}

py::Status refuse_empty_members(std::string_view item,
                                std::initializer_list<std::pair<std::string_view, std::string_view>> members) {
  for (const auto& [member, text] : members) {
    if (!text.empty()) continue;
    return refuse_empty(fmt::format("{} {}", item, member), text);
  }
  return {};
}

py::Status refuse_empty_pairs(std::string_view argument, const std::vector<std::pair<std::string, std::string>>& pairs,
                              std::string_view first, std::string_view second) {
  for (std::size_t at = 0; at < pairs.size(); ++at) {
    const auto item = fmt::format("{}[{}]", argument, at);
    if (auto given = refuse_empty_members(item, {{first, pairs[at].first}, {second, pairs[at].second}}); !given) {
      return given;
    }
  }
  return {};
}

}  // namespace quorvane_native::edifact

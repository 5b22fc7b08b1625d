// The parameters of a Python-facing callable, read at compile time from its text signature, e.g.
// "(message_type, on, sparte=None, *, release=None, message_ref=\"1\")". The text signature is
// the one declaration of the parameters: names, kinds (positional-or-keyword; keyword-only after
// "*") and defaults, which the converters read when an argument is omitted.
#pragma once

#include <array>
#include <cstddef>
#include <string_view>
#include <utility>

namespace quorvane_native::py {

enum class ParameterKind : unsigned char { positional_or_keyword, keyword_only };

struct Parameter {
  std::string_view name;
  ParameterKind kind = ParameterKind::positional_or_keyword;
  bool has_default = false;
  // The default exactly as the signature writes it: None, False, True, 0, "regelfall".
  std::string_view default_literal;
};

inline constexpr std::size_t max_parameters = 32;

struct Signature {
  std::array<Parameter, max_parameters> parameters{};
  std::size_t count = 0;
  std::size_t positional_count = 0;
  // False when the text is no signature this layer understands; checked by a static_assert.
  bool well_formed = true;
};

namespace signature_detail {

constexpr std::string_view trim(std::string_view text) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  return text;
}

constexpr bool is_identifier(std::string_view text) {
  if (text.empty()) return false;
  for (std::size_t index = 0; index < text.size(); ++index) {
    char c = text[index];
    bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_';
    bool digit = c >= '0' && c <= '9';
    if (!letter && !(digit && index > 0)) return false;
  }
  return true;
}

// A default that the converters can read: None, True, False, a decimal integer or a string
// literal in double quotes without escapes.
constexpr bool is_supported_literal(std::string_view text) {
  if (text == "None" || text == "True" || text == "False") return true;
  if (text.size() >= 2 && text.front() == '"' && text.back() == '"') {
    return text.substr(1, text.size() - 2).find_first_of("\"\\") == std::string_view::npos;
  }
  if (text.empty()) return false;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
  }
  return true;
}

}  // namespace signature_detail

constexpr Signature parse_signature(std::string_view text) {
  using namespace signature_detail;
  Signature signature;
  text = trim(text);
  if (text.size() < 2 || text.front() != '(' || text.back() != ')') {
    signature.well_formed = false;
    return signature;
  }
  text = text.substr(1, text.size() - 2);
  bool keyword_only = false;
  bool first = true;
  bool seen_positional_default = false;
  while (!trim(text).empty()) {
    // Literals hold no commas (see is_supported_literal), so the next comma ends the parameter.
    std::size_t comma = text.find(',');
    std::string_view item = trim(text.substr(0, comma));
    text = comma == std::string_view::npos ? std::string_view() : text.substr(comma + 1);
    bool was_first = std::exchange(first, false);
    if (was_first && (item == "$self" || item == "$module")) continue;
    if (item == "*") {
      if (keyword_only) signature.well_formed = false;
      keyword_only = true;
      continue;
    }
    Parameter parameter;
    std::size_t equals = item.find('=');
    parameter.name = trim(item.substr(0, equals));
    if (equals != std::string_view::npos) {
      parameter.has_default = true;
      parameter.default_literal = trim(item.substr(equals + 1));
      if (!is_supported_literal(parameter.default_literal)) signature.well_formed = false;
    }
    if (!is_identifier(parameter.name) || signature.count == max_parameters) {
      signature.well_formed = false;
      return signature;
    }
    for (std::size_t index = 0; index < signature.count; ++index) {
      if (signature.parameters[index].name == parameter.name) signature.well_formed = false;
    }
    if (keyword_only) {
      parameter.kind = ParameterKind::keyword_only;
    } else {
      // As in Python: a required positional parameter cannot follow one with a default.
      if (!parameter.has_default && seen_positional_default) signature.well_formed = false;
      seen_positional_default = seen_positional_default || parameter.has_default;
      ++signature.positional_count;
    }
    signature.parameters[signature.count++] = parameter;
  }
  // A bare "*" must be followed by a keyword-only parameter.
  if (keyword_only && signature.count == signature.positional_count) signature.well_formed = false;
  return signature;
}

}  // namespace quorvane_native::py

#include "rubo4e/identifiers/obis_code.hpp"

#include <fmt/format.h>

#include <algorithm>
#include <iterator>

namespace rubo4e::identifiers::obis_code {
namespace {

constexpr unsigned octet_max = 255;

IdentifierError component_error(char group) {
  return IdentifierError::invalid_format(
      fmt::format("{}: component must be a single octet (0-255) per IEC 62056-61", group));
}

// A group that must take up the whole of `text`.
std::optional<std::uint8_t> whole_group(std::string_view text) {
  const auto group = parse_group(text);
  if (!group || !group->rest.empty()) return std::nullopt;
  return group->value;
}

}  // namespace

std::optional<ParsedGroup> parse_group(std::string_view text) {
  std::size_t digits = 0;
  unsigned value = 0;
  for (; digits < text.size() && text[digits] >= '0' && text[digits] <= '9'; ++digits) {
    // Saturates just above an octet so that long runs cannot overflow.
    value = std::min(value * 10 + static_cast<unsigned>(text[digits] - '0'), octet_max + 1);
  }
  if (digits == 0 || value > octet_max) return std::nullopt;
  return ParsedGroup{static_cast<std::uint8_t>(value), text.substr(digits)};
}

std::expected<ObisComponents, IdentifierError> validate_and_parse(std::string_view text) {
  if (text.empty()) return std::unexpected(IdentifierError::invalid_format("OBIS code must not be empty"));
  ObisComponents components;

  std::string_view rest = text;
  if (const auto f_separator = rest.find_last_of("*&"); f_separator != std::string_view::npos) {
    const auto f = whole_group(rest.substr(f_separator + 1));
    if (!f) return std::unexpected(component_error('F'));
    components.f = f;
    rest = rest.substr(0, f_separator);
  }

  if (const auto colon = rest.find(':'); colon != std::string_view::npos) {
    const std::string_view a_and_b = rest.substr(0, colon);
    const auto dash = a_and_b.find('-');
    components.a = whole_group(a_and_b.substr(0, dash));
    if (!components.a) return std::unexpected(component_error('A'));
    if (dash != std::string_view::npos) {
      components.b = whole_group(a_and_b.substr(dash + 1));
      if (!components.b) return std::unexpected(component_error('B'));
    }
    rest = rest.substr(colon + 1);
  }

  const auto c = parse_group(rest);
  if (!c) return std::unexpected(component_error('C'));
  components.c = c->value;
  rest = c->rest;

  if (!rest.starts_with('.')) {
    return std::unexpected(IdentifierError::invalid_format("expected '.' separator between C and D"));
  }
  const auto d = parse_group(rest.substr(1));
  if (!d) return std::unexpected(component_error('D'));
  components.d = d->value;
  rest = d->rest;

  if (!rest.empty()) {
    const IdentifierError trailing = IdentifierError::invalid_format("unexpected trailing characters after OBIS code");
    if (!rest.starts_with('.')) return std::unexpected(trailing);
    const auto e = parse_group(rest.substr(1));
    if (!e) return std::unexpected(component_error('E'));
    if (!e->rest.empty()) return std::unexpected(trailing);
    components.e = e->value;
  }
  return components;
}

std::string ObisComponents::render(bool include_f) const {
  std::string out;
  auto sink = std::back_inserter(out);
  if (a && b) {
    fmt::format_to(sink, "{}-{}:", *a, *b);
  } else if (a) {
    fmt::format_to(sink, "{}:", *a);
  }
  fmt::format_to(sink, "{}.{}", c, d);
  if (e) fmt::format_to(sink, ".{}", *e);
  if (include_f && f) fmt::format_to(sink, "*{}", *f);
  return out;
}

std::expected<ObisCode, IdentifierError> ObisCode::create(std::string_view text) {
  const auto components = validate_and_parse(text);
  if (!components) return std::unexpected(components.error());
  return ObisCode(components->render(true), *components);
}

}  // namespace rubo4e::identifiers::obis_code

// Lengths, digit groups, the UNOC repertoire and the shapes of contact data.
#include <algorithm>

#include <fmt/format.h>

#include "edi_energy/profile/formatbedingung/checks.hpp"
#include "edi_energy/profile/unicode_text.hpp"
#include "support/debug_quote.hpp"
#include "support/unicode_class.hpp"

namespace edi_energy::profile::formatbedingung {
namespace {

namespace ut = unicode_text;

Verdict length_check(std::string_view value, std::size_t limit, bool exact) {
  const std::size_t count = ut::char_count(value);
  if (exact ? count == limit : count <= limit) return Verdict::holds();
  return Verdict::violated(
      fmt::format("is {} characters long, not {} {}", count, exact ? "exactly" : "at most", limit));
}

// The printable part of ISO 8859-1.
bool unoc_defines(char32_t c) { return (c >= 0x20 && c <= 0x7E) || (c >= 0xA0 && c <= 0xFF); }

std::optional<char32_t> first_char_where(std::string_view value, bool (*test)(char32_t)) {
  for (std::size_t offset = 0; offset < value.size();) {
    const ut::Char c = ut::char_at(value, offset);
    if (test(c.scalar)) return c.scalar;
    offset += c.length;
  }
  return std::nullopt;
}

}  // namespace

Verdict max_length(std::string_view value) { return length_check(value, 3, false); }
Verdict exact_length(std::string_view value) { return length_check(value, 16, true); }

Verdict digit_groups(std::string_view value, std::span<const std::size_t> widths) {
  std::string pattern;
  for (std::size_t width : widths) {
    if (!pattern.empty()) pattern += '-';
    pattern += fmt::format("n{}", width);
  }
  std::vector<std::string_view> groups;
  for (std::size_t start = 0;;) {
    const std::size_t dash = value.find('-', start);
    groups.push_back(value.substr(start, dash == std::string_view::npos ? std::string_view::npos : dash - start));
    if (dash == std::string_view::npos) break;
    start = dash + 1;
  }
  if (groups.size() != widths.size()) {
    return Verdict::violated(fmt::format("is {}, which has {} dash-separated groups, not the {} of {}",
                                         support::debug_quote(value), groups.size(), widths.size(), pattern));
  }
  for (std::size_t i = 0; i < groups.size(); ++i) {
    if (groups[i].size() != widths[i] || !ut::all_ascii_digits(groups[i])) {
      return Verdict::violated(fmt::format("is {}, not {}", support::debug_quote(value), pattern));
    }
  }
  return Verdict::holds();
}

Verdict unoc_upper(std::string_view value) {
  if (auto letter = first_char_where(value, support::unicode::is_lowercase)) {
    return Verdict::violated(fmt::format("carries the lower-case letter {}", support::debug_quote(*letter)));
  }
  if (auto undefined = first_char_where(value, [](char32_t c) { return !unoc_defines(c); })) {
    return Verdict::violated(fmt::format("carries {}, which UNOC does not define", support::debug_quote(*undefined)));
  }
  return Verdict::holds();
}

Verdict email_shape(std::string_view value) {
  const bool at = value.find('@') != std::string_view::npos;
  const bool dot = value.find('.') != std::string_view::npos;
  if (at && dot) return Verdict::holds();
  if (at) return Verdict::violated(R"(does not contain ".")");
  if (dot) return Verdict::violated(R"(does not contain "@")");
  return Verdict::violated(R"(contains neither "@" nor ".")");
}

Verdict phone_shape(std::string_view value) {
  if (!value.starts_with('+')) return Verdict::violated(R"(does not begin with "+")");
  if (value.size() == 1) return Verdict::violated(R"(is "+" with no digits)");
  for (std::size_t offset = 1; offset < value.size();) {
    const ut::Char c = ut::char_at(value, offset);
    if (c.scalar < U'0' || c.scalar > U'9') {
      return Verdict::violated(fmt::format(R"(carries {} after the "+")", support::debug_quote(c.scalar)));
    }
    offset += c.length;
  }
  return Verdict::holds();
}

}  // namespace edi_energy::profile::formatbedingung

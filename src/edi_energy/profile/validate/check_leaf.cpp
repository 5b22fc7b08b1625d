#include <algorithm>

#include <fmt/format.h>
#include <fmt/ranges.h>

#include "edi_energy/profile/numeric_value.hpp"
#include "edi_energy/profile/validate/ctx.hpp"
#include "edi_energy/profile/validate/validate.hpp"
#include "support/debug_quote.hpp"

namespace edi_energy::profile::validate {
namespace {

using edifact::report::Severity;
using edifact::report::ValidationIssue;

enum class FormatClass : std::uint8_t { Alphanumeric, Alphabetic, Numeric };

struct Format {
  FormatClass kind;
  std::uint64_t length;
  bool variable;
};

// "an..35", "n13", "a3"; nothing for a format this check cannot read. Read in one pass: every
// filled leaf of a message asks it.
std::optional<Format> read_format(std::string_view text) {
  Format format{FormatClass::Alphanumeric, 0, false};
  std::size_t at = 0;
  if (text.starts_with("an")) {
    at = 2;
  } else if (text.starts_with('a')) {
    format.kind = FormatClass::Alphabetic;
    at = 1;
  } else if (text.starts_with('n')) {
    format.kind = FormatClass::Numeric;
    at = 1;
  } else {
    return std::nullopt;
  }
  if (text.substr(at).starts_with("..")) {
    format.variable = true;
    at += 2;
  }
  if (at < text.size() && text[at] == '+') ++at;
  if (at == text.size()) return std::nullopt;
  for (; at < text.size(); ++at) {
    const char c = text[at];
    if (c < '0' || c > '9') return std::nullopt;
    // A length past the integer's range is no length.
    if (__builtin_mul_overflow(format.length, 10U, &format.length) ||
        __builtin_add_overflow(format.length, static_cast<unsigned>(c - '0'), &format.length)) {
      return std::nullopt;
    }
  }
  return format;
}

std::size_t character_count(std::string_view text) {
  return static_cast<std::size_t>(
      std::ranges::count_if(text, [](char byte) { return (static_cast<unsigned char>(byte) & 0xC0U) != 0x80U; }));
}

bool is_digit(char c) { return c >= '0' && c <= '9'; }

std::optional<std::string> format_detail(const Format& format, std::string_view value) {
  if (format.kind == FormatClass::Numeric && !numeric_value::read(value)) return "is not numeric";
  if (format.kind == FormatClass::Alphabetic && std::ranges::any_of(value, is_digit)) return "contains digits";
  // Neither characters nor digits outnumber the bytes: a value of a variable format that is no
  // longer in bytes than the format allows fits without counting.
  if (format.variable && value.size() <= format.length) return std::nullopt;
  const std::size_t count = format.kind == FormatClass::Numeric
                                ? static_cast<std::size_t>(std::ranges::count_if(value, is_digit))
                                : character_count(value);
  if (count > format.length) return fmt::format("is {} characters long", count);
  if (count < format.length && !format.variable) return fmt::format("is {} characters long, not {}", count, format.length);
  return std::nullopt;
}

// The finding makers stay out of line: most leaves are empty or fit, and the check of one
// should not pay for the frame of a finding it does not make.
[[gnu::cold, gnu::noinline]] void report_leaf(const model::Element& element, const LeafAt& at,
                                              edifact::report::FindingSink findings, std::string message,
                                              std::string_view suffix) {
  findings.push_back(ValidationIssue(Severity::Error, std::move(message))
                         .with_rule_id(fmt::format("MIG-{}-{}-{}-{}", at.nr, at.tag, element.id, suffix))
                         .with_segment(at.tag)
                         .with_context_entry("nr", std::string(at.nr))
                         .with_context_entry("de", element.id)
                         .with_segment_index(at.segment_index)
                         .with_element(at.element)
                         .with_component(at.component));
}

[[gnu::cold, gnu::noinline]] void report_required(const model::Element& element, const LeafAt& at,
                                                  edifact::report::FindingSink findings) {
  report_leaf(element, at, findings,
              fmt::format("{} (Nr {}): DE {} „{}“ is mandatory in the MIG but empty", at.tag, at.nr, element.id,
                          element.name),
              "REQUIRED");
}

[[gnu::cold, gnu::noinline]] void report_not_used(const model::Element& element, std::string_view value,
                                                  const LeafAt& at, edifact::report::FindingSink findings) {
  report_leaf(element, at, findings,
              fmt::format("{} (Nr {}): DE {} „{}“ is not used in the MIG but carries {}", at.tag, at.nr, element.id,
                          element.name, support::debug_quote(value)),
              "NOTUSED");
}

[[gnu::noinline]] void check_format(const model::Element& element, std::string_view value, const LeafAt& at,
                                    edifact::report::FindingSink findings) {
  const auto format = read_format(*element.format);
  if (!format) return;
  if (const auto detail = format_detail(*format, value)) {
    report_leaf(element, at, findings,
                fmt::format("{} (Nr {}): DE {} „{}“ is {} in the MIG; {} {}", at.tag, at.nr, element.id, element.name,
                            *element.format, support::debug_quote(value), *detail),
                "FORMAT");
  }
}

[[gnu::cold, gnu::noinline]] void report_code(const model::Element& element, std::string_view value, const LeafAt& at,
                                              edifact::report::FindingSink findings) {
  std::vector<std::string_view> codes;
  for (const model::Code& code : element.codes) codes.emplace_back(code.code);
  report_leaf(element, at, findings,
              fmt::format("{} (Nr {}): DE {} „{}“ is {}; the MIG admits {}", at.tag, at.nr, element.id, element.name,
                          support::debug_quote(value), fmt::join(codes, ", ")),
              "CODE");
}

}  // namespace

void check_leaf(const model::Element& element, const edifact::model::Segment& segment, const LeafAt& at,
                bool check_empty, bool column_names, edifact::report::FindingSink findings) {
  check_leaf_value(element, text_at(segment, Position{at.element, at.component}).value_or(std::string_view{}), at,
                   check_empty, column_names, findings);
}

void check_leaf_value(const model::Element& element, std::string_view value, const LeafAt& at, bool check_empty,
                      bool column_names, edifact::report::FindingSink findings) {
  if (value.empty()) {
    if (check_empty && (element.status == "M" || (element.status == "R" && column_names))) {
      report_required(element, at, findings);
    }
    return;
  }
  if (element.status == "N") {
    report_not_used(element, value, at, findings);
    return;
  }
  if (element.format) check_format(element, value, at, findings);
  // A listed value ends the check before the costlier test of the list itself.
  if (std::ranges::none_of(element.codes, [&](const model::Code& code) { return code.code == value; }) &&
      element.is_code_list()) {
    report_code(element, value, at, findings);
  }
}

}  // namespace edi_energy::profile::validate

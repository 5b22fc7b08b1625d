// One finding of a check: a plain value built step by step with by-value `with_*` methods and
// moved into a report.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

#include "edifact/model/segment.hpp"
#include "edifact/report/severity.hpp"

namespace edifact::report {

// A library error code: either a text with static lifetime, shared by every copy, or an owned
// one.
class ErrorCode {
 public:
  // `static_text` must outlive every finding that carries it (a literal).
  static ErrorCode fixed(std::string_view static_text) { return ErrorCode(static_text); }
  static ErrorCode owned(std::string text) { return ErrorCode(std::move(text)); }

  std::string_view text() const {
    return std::visit([](const auto& code) { return std::string_view(code); }, code_);
  }
  bool is_fixed() const { return std::holds_alternative<std::string_view>(code_); }

  friend bool operator==(const ErrorCode& a, const ErrorCode& b) { return a.text() == b.text(); }

 private:
  explicit ErrorCode(std::string_view static_text) : code_(static_text) {}
  explicit ErrorCode(std::string text) : code_(std::move(text)) {}

  std::variant<std::string_view, std::string> code_;
};

using ContextEntry = std::pair<std::string, std::string>;

class ValidationIssue {
 public:
  ValidationIssue() = default;
  ValidationIssue(Severity severity, std::string message)
      : severity(severity), message(std::move(message)) {}

  Severity severity = Severity::Error;
  std::string message;
  std::optional<std::string> rule_id;
  std::optional<ErrorCode> error_code;
  std::optional<std::string> segment;
  // Shared so that the many findings of one group instance do not each own the name.
  std::shared_ptr<const std::string> segment_group;
  std::optional<std::uint16_t> segment_index;
  std::optional<std::uint8_t> element;
  std::optional<std::uint8_t> component;
  std::optional<model::Span> span;
  std::optional<std::string> suggestion;
  std::vector<ContextEntry> context;  // insertion order, keys unique
  std::optional<std::string> release;

  ValidationIssue with_rule_id(std::string rule_id) &&;
  ValidationIssue with_error_code(ErrorCode code) &&;
  ValidationIssue with_segment(std::string_view tag) &&;
  ValidationIssue with_suggestion(std::string suggestion) &&;
  // Replaces the value of an entry with an equal key in its place, else appends.
  ValidationIssue with_context_entry(std::string_view key, std::string value) &&;
  ValidationIssue with_segment_group(std::string group) &&;
  ValidationIssue with_segment_group(std::shared_ptr<const std::string> group) &&;
  ValidationIssue with_span(model::Span span) &&;
  // Positions wider than their field saturate at the field's largest value.
  ValidationIssue with_segment_index(std::size_t index) &&;
  ValidationIssue with_element(std::size_t index) &&;
  ValidationIssue with_component(std::size_t index) &&;

  // The value stored under `key`, if any.
  std::optional<std::string_view> context_value(std::string_view key) const;

  friend bool operator==(const ValidationIssue& a, const ValidationIssue& b);
};

}  // namespace edifact::report

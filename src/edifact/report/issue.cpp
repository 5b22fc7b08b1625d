#include "edifact/report/issue.hpp"

#include <algorithm>
#include <limits>

namespace edifact::report {
namespace {

template <class Narrow>
Narrow saturate(std::size_t value) {
  constexpr std::size_t largest = std::numeric_limits<Narrow>::max();
  return static_cast<Narrow>(std::min(value, largest));
}

bool same_group(const std::shared_ptr<const std::string>& a,
                const std::shared_ptr<const std::string>& b) {
  if (!a || !b) return a == b;
  return *a == *b;
}

}  // namespace

ValidationIssue ValidationIssue::with_rule_id(std::string id) && {
  rule_id = std::move(id);
  return std::move(*this);
}

ValidationIssue ValidationIssue::with_error_code(ErrorCode code) && {
  error_code = std::move(code);
  return std::move(*this);
}

ValidationIssue ValidationIssue::with_segment(std::string_view tag) && {
  segment = std::string(tag);
  return std::move(*this);
}

ValidationIssue ValidationIssue::with_suggestion(std::string text) && {
  suggestion = std::move(text);
  return std::move(*this);
}

ValidationIssue ValidationIssue::with_context_entry(std::string_view key, std::string value) && {
  auto existing = std::ranges::find(context, key, &ContextEntry::first);
  if (existing != context.end()) {
    existing->second = std::move(value);
  } else {
    context.emplace_back(std::string(key), std::move(value));
  }
  return std::move(*this);
}

ValidationIssue ValidationIssue::with_segment_group(std::string group) && {
  segment_group = std::make_shared<const std::string>(std::move(group));
  return std::move(*this);
}

ValidationIssue ValidationIssue::with_segment_group(std::shared_ptr<const std::string> group) && {
  segment_group = std::move(group);
  return std::move(*this);
}

ValidationIssue ValidationIssue::with_span(model::Span byte_range) && {
  span = byte_range;
  return std::move(*this);
}

ValidationIssue ValidationIssue::with_segment_index(std::size_t index) && {
  segment_index = saturate<std::uint16_t>(index);
  return std::move(*this);
}

ValidationIssue ValidationIssue::with_element(std::size_t index) && {
  element = saturate<std::uint8_t>(index);
  return std::move(*this);
}

ValidationIssue ValidationIssue::with_component(std::size_t index) && {
  component = saturate<std::uint8_t>(index);
  return std::move(*this);
}

std::optional<std::string_view> ValidationIssue::context_value(std::string_view key) const {
  auto entry = std::ranges::find(context, key, &ContextEntry::first);
  if (entry == context.end()) return std::nullopt;
  return entry->second;
}

bool operator==(const ValidationIssue& a, const ValidationIssue& b) {
  return a.severity == b.severity && a.message == b.message && a.rule_id == b.rule_id &&
         a.error_code == b.error_code && a.segment == b.segment &&
         same_group(a.segment_group, b.segment_group) && a.segment_index == b.segment_index &&
         a.element == b.element && a.component == b.component && a.span == b.span &&
         a.suggestion == b.suggestion && a.context == b.context && a.release == b.release;
}

}  // namespace edifact::report

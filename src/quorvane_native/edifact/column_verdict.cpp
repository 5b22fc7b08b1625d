#include "quorvane_native/edifact/column_verdict.hpp"

#include <fmt/format.h>

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <utility>

#include "edi_energy/messages/core.hpp"
#include "edifact/parse/from_bytes.hpp"
#include "edi_energy/messages/semantic_packs.hpp"
#include "edi_energy/profile/validate/validate.hpp"
#include "edi_energy/registry/shared_registry.hpp"

namespace quorvane_native::edifact {

namespace {

// Builds run under the interpreter lock, one per thread at a time; a nested build has its own scope.
thread_local ColumnVerdict* current_verdict = nullptr;

std::optional<std::string> leaf_text(std::span<const ::edifact::model::Segment> segments,
                                     const ::edifact::report::ValidationIssue& issue) {
  if (!issue.segment_index || !issue.element) return std::nullopt;
  if (*issue.segment_index >= segments.size()) return std::nullopt;
  const auto elements = segments[*issue.segment_index].elements();
  if (*issue.element >= elements.size()) return std::nullopt;
  const auto components = elements[*issue.element].components();
  const std::size_t component = issue.component.value_or(0);
  if (component >= components.size()) return std::nullopt;
  return std::string(components[component].text);
}

// Where a value of a completed segment stands in the builder's bytes, if the builder wrote it: its
// text is a view of them, or its span (which a segment completion rewrote keeps for the values it
// took over, and which a value completion wrote lacks) is a range of them.
std::optional<std::size_t> offset_in(std::string_view built, const ::edifact::model::Component& component) {
  const auto at = reinterpret_cast<std::uintptr_t>(component.text.data());
  const auto begin = reinterpret_cast<std::uintptr_t>(built.data());
  if (component.text.data() != nullptr && at >= begin && at < begin + built.size()) return at - begin;
  if (component.span.length() != 0 && component.span.end <= built.size()) return component.span.start;
  return std::nullopt;
}

// The builder's segment holding byte `offset`.
std::size_t segment_at(std::span<const std::size_t> starts, std::size_t offset) {
  const auto after = std::ranges::upper_bound(starts, offset);
  return after == starts.begin() ? 0 : static_cast<std::size_t>(after - starts.begin() - 1);
}

Writer writer_of(std::span<const ::edifact::model::Segment> segments, const ::edifact::report::ValidationIssue& issue,
                 std::string_view built, std::span<const std::size_t> starts) {
  if (!issue.segment_index || *issue.segment_index >= segments.size()) {
    // A Muss segment or group that is missing is one completion did not write.
    const std::string rule = issue.rule_id.value_or("");
    const bool missing = rule.ends_with("-MISSING") || (rule.starts_with("MIG-") && rule.ends_with("-REQUIRED"));
    return missing ? Writer{Writer::Kind::completion, 0, std::nullopt, std::nullopt} : Writer{};
  }
  const auto elements = segments[*issue.segment_index].elements();
  const std::optional<std::size_t> element = issue.element;
  if (element && *element < elements.size()) {
    const auto components = elements[*element].components();
    const std::size_t component = issue.component.value_or(0);
    if (component < components.size()) {
      if (const auto offset = offset_in(built, components[component])) {
        return Writer{Writer::Kind::builder, segment_at(starts, *offset), element, issue.component};
      }
      // Completion writes no empty value: one left empty is the fault of whoever wrote the segment.
      if (!components[component].text.empty()) {
        return Writer{Writer::Kind::completion, 0, element, issue.component};
      }
    }
  }
  // A fault of the segment, or of a value it lacks, is whoever's wrote the segment.
  if (const auto span = segments[*issue.segment_index].span(); span.length() != 0 && span.end <= built.size()) {
    return Writer{Writer::Kind::builder, segment_at(starts, span.start), element, issue.component};
  }
  for (const auto& each : elements) {
    for (const auto& component : each.components()) {
      if (const auto offset = offset_in(built, component)) {
        return Writer{Writer::Kind::builder, segment_at(starts, *offset), element, issue.component};
      }
    }
  }
  return Writer{Writer::Kind::completion, 0, element, issue.component};
}

// A number the finding carries in its context under `key`.
std::optional<std::size_t> number_in(const ::edifact::report::ValidationIssue& issue, std::string_view key) {
  const auto text = issue.context_value(key);
  std::size_t number = 0;
  if (!text || std::from_chars(text->data(), text->data() + text->size(), number).ec != std::errc{}) return std::nullopt;
  return number;
}

}  // namespace

VerdictScope::VerdictScope(ColumnVerdict& verdict) : outer_(std::exchange(current_verdict, &verdict)) {}

VerdictScope::~VerdictScope() { current_verdict = outer_; }

ColumnVerdict* VerdictScope::current() { return current_verdict; }

void name_column(ColumnVerdict& verdict, const ColumnRef& column, edi_energy::message_type::MessageType type,
                 std::uint32_t pruefidentifikator) {
  verdict.column = fmt::format("{} {} ({})", edi_energy::message_type::unh_code(type), pruefidentifikator,
                               column.profile->release().text());
}

std::vector<::edifact::model::Segment> judge_completed(ColumnVerdict& verdict, const ColumnRef& column,
                                                       edi_energy::message_type::MessageType type,
                                                       std::uint32_t pruefidentifikator,
                                                       std::vector<::edifact::model::Segment> segments,
                                                       std::string_view built, std::span<const std::size_t> starts) {
  const auto& release = column.profile->release();
  name_column(verdict, column, type, pruefidentifikator);
  verdict.ref = column;
  std::string reference;
  if (!segments.empty() && segments.front().elements().size() != 0 &&
      segments.front().elements()[0].components().size() != 0) {
    reference = std::string(segments.front().elements()[0].components()[0].text);
  }
  auto core = edi_energy::messages::core::MessageCore::new_on_date(std::move(segments), reference,
                                                                          release.text(), pruefidentifikator, type);
  const auto registry = edi_energy::registry::REGISTRY.get();
  // The column's own profile is the one in force on its first day.
  auto report = core.validate_against_with_semantic_and_registry_on_date(
      release, edi_energy::messages::semantic_rule_pack_for(type), *registry, column.profile->valid_from());
  if (report) {
    for (const auto& issue : report->errors) {
      verdict.rejections.push_back(Rejection{
          fmt::format("{}|{}|{}|{}|{}", issue.rule_id.value_or(""), issue.segment.value_or(""),
                      issue.element.value_or(255), issue.component.value_or(255), issue.message),
          issue.rule_id.value_or(""), issue.message, leaf_text(core.segments, issue),
          writer_of(core.segments, issue, built, starts),
          std::string(issue.context_value("nr").value_or("")), issue.segment_index,
          number_in(issue, edi_energy::profile::validate::SCOPE_CONTEXT),
          number_in(issue, edi_energy::profile::validate::LIMIT_CONTEXT)});
    }
  }
  return std::move(core.segments);
}

bool judge_message(ColumnVerdict& verdict, const ColumnRef& column, edi_energy::message_type::MessageType type,
                   std::uint32_t pruefidentifikator, std::string_view message) {
  std::vector<::edifact::model::Segment> segments;
  auto parsed = ::edifact::from_bytes_with_config(message, ::edifact::ParserConfig{});
  while (auto item = parsed.next()) {
    if (!*item) return false;
    segments.push_back(std::move(**item));
  }
  judge_completed(verdict, column, type, pruefidentifikator, std::move(segments), message, {});
  return true;
}

}  // namespace quorvane_native::edifact

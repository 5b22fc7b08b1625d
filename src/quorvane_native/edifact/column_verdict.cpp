#include "quorvane_native/edifact/column_verdict.hpp"

#include <fmt/format.h>

#include <utility>

#include "edi_energy/messages/core.hpp"
#include "edi_energy/messages/semantic_packs.hpp"
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
                                                       std::vector<::edifact::model::Segment> segments) {
  const auto& release = column.profile->release();
  name_column(verdict, column, type, pruefidentifikator);
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
          issue.message, leaf_text(core.segments, issue), issue.segment_index});
    }
  }
  return std::move(core.segments);
}

}  // namespace quorvane_native::edifact

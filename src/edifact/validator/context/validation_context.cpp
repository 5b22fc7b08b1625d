#include "edifact/validator/context/validation_context.hpp"

#include <algorithm>
#include <array>
#include <iterator>
#include <string_view>
#include <utility>

#include "edifact/validator/unh.hpp"
#include "support/internal_fault.hpp"

namespace edifact::validator::context {
namespace {

using report::ValidationIssue;
using report::ValidationReport;

constexpr std::array<std::string_view, 4> envelope_tags{"UNB", "UNG", "UNE", "UNZ"};

bool is_envelope_segment(const model::Segment& segment) {
  return std::ranges::find(envelope_tags, segment.tag()) != envelope_tags.end();
}

// The message body without interchange and group envelope segments (UNH and UNT stay). A list
// framed by one UNB and one UNZ is cut without copying; otherwise the body is copied once into
// `copy`.
std::span<const model::Segment> body_of(std::span<const model::Segment> segments,
                                        std::vector<model::Segment>& copy) {
  const auto envelope_count =
      static_cast<std::size_t>(std::ranges::count_if(segments, is_envelope_segment));
  if (envelope_count == 0) return segments;
  if (envelope_count == 2 && segments.front().tag() == "UNB" && segments.back().tag() == "UNZ") {
    return segments.subspan(1, segments.size() - 2);
  }
  copy.clear();
  std::ranges::copy_if(segments, std::back_inserter(copy),
                       [](const model::Segment& segment) { return !is_envelope_segment(segment); });
  return copy;
}

RuleContext with_unh_message_type(RuleContext context, std::span<const model::Segment> segments) {
  if (std::optional<std::string_view> message_type = unh_message_type(segments)) {
    context.message_type = message_type;
  }
  return context;
}

void fill_missing_release(std::vector<ValidationIssue>& findings, const std::string& release) {
  for (ValidationIssue& finding : findings) {
    if (!finding.release) finding.release = release;
  }
}

}  // namespace

bool ValidationContext::is_enabled(LayerKind kind) const {
  const auto index = static_cast<std::size_t>(kind);
  if (index >= layer_kind_count) throw support::InternalFault("unknown validation layer kind");
  return settings_.enabled[index];
}

bool ValidationContext::stops_at_critical(const ValidationReport& report) const {
  return settings_.fail_fast &&
         std::ranges::any_of(report.errors, [](const ValidationIssue& finding) {
           return finding.severity == report::Severity::Critical;
         });
}

ValidationReport ValidationContext::validate_with_context(std::span<const model::Segment> segments,
                                                          const RuleContext& start) const {
  ValidationReport report;
  const RuleContext run_context = with_unh_message_type(start, segments);

  const bool use_body =
      is_enabled(LayerKind::Parse) &&
      std::ranges::any_of(settings_.layers, [](const LayeredValidator& layer) {
        return layer.kind == LayerKind::Parse;
      });
  std::vector<model::Segment> body_copy;
  std::optional<std::span<const model::Segment>> body;

  for (const LayeredValidator& layer : settings_.layers) {
    if (!is_enabled(layer.kind)) continue;
    std::span<const model::Segment> seen = segments;
    if (use_body && layer.kind != LayerKind::Parse) {
      if (!body) body = body_of(segments, body_copy);
      seen = *body;
    }
    layer.validator->validate_batch(seen, report, run_context);
    if (stops_at_critical(report)) break;
  }

  if (settings_.release) {
    fill_missing_release(report.errors, *settings_.release);
    fill_missing_release(report.warnings, *settings_.release);
    fill_missing_release(report.infos, *settings_.release);
  }
  for (const ValidationIssue& preset : settings_.preset_issues) report.push(preset);
  return report;
}

ValidationReport ValidationContext::validate_grouped(
    const group::SegmentGroupIndexed& root, std::span<const model::Segment> segments) const {
  RuleContext start;
  start.extension = settings_.extension;
  start.findings_budget = settings_.findings_budget;
  if (settings_.release) start.release = *settings_.release;

  ValidationReport report = validate_with_context(segments, start);

  const RuleContext group_context = with_unh_message_type(start, segments);
  const bool any_group_rules =
      std::ranges::any_of(settings_.layers, [this](const LayeredValidator& layer) {
        return is_enabled(layer.kind) && layer.validator->has_group_rules();
      });
  if (!any_group_rules) return report;

  for (const LayeredValidator& layer : settings_.layers) {
    if (!is_enabled(layer.kind)) continue;
    layer.validator->validate_group_batch(root, segments, report, group_context);
    if (stops_at_critical(report)) break;
  }
  return report;
}

ValidationContextBuilder ValidationContextBuilder::with_profile_pack(
    pack::ProfileRulePack pack) && {
  settings_.layers.push_back(
      {std::make_unique<pack::ProfileRulePack>(std::move(pack)), LayerKind::Ahb});
  return std::move(*this);
}

ValidationContextBuilder ValidationContextBuilder::with_layer(
    LayerKind kind, std::unique_ptr<Validator> validator) && {
  if (!validator) throw support::InternalFault("a validation layer without a validator");
  settings_.layers.push_back({std::move(validator), kind});
  return std::move(*this);
}

ValidationContextBuilder ValidationContextBuilder::with_message_type(std::string message_type) && {
  settings_.message_type = std::move(message_type);
  return std::move(*this);
}

ValidationContextBuilder ValidationContextBuilder::with_release(std::string release) && {
  settings_.release = std::move(release);
  return std::move(*this);
}

ValidationContextBuilder ValidationContextBuilder::with_extension(
    std::shared_ptr<const RuleExtension> extension) && {
  settings_.extension = std::move(extension);
  return std::move(*this);
}

ValidationContextBuilder ValidationContextBuilder::with_preset_issue(ValidationIssue issue) && {
  settings_.preset_issues.push_back(std::move(issue));
  return std::move(*this);
}

ValidationContextBuilder ValidationContextBuilder::with_layer_enabled(LayerKind kind,
                                                                      bool enabled) && {
  const auto index = static_cast<std::size_t>(kind);
  if (index >= layer_kind_count) throw support::InternalFault("unknown validation layer kind");
  settings_.enabled[index] = enabled;
  return std::move(*this);
}

ValidationContextBuilder ValidationContextBuilder::with_fail_fast(bool fail_fast) && {
  settings_.fail_fast = fail_fast;
  return std::move(*this);
}

ValidationContextBuilder ValidationContextBuilder::with_findings_budget(report::FindingBudget& budget) && {
  settings_.findings_budget = &budget;
  return std::move(*this);
}

ValidationContext ValidationContextBuilder::build() && {
  return ValidationContext(std::move(settings_));
}

}  // namespace edifact::validator::context

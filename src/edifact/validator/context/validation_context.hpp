// Runs a sequence of validation layers over one message and gathers their findings into one
// report: which layers run, which segments each sees, what run context they get, when to stop.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "edifact/group/group_tree.hpp"
#include "edifact/model/segment.hpp"
#include "edifact/report/validation_report.hpp"
#include "edifact/validator/pack/profile_rule_pack.hpp"
#include "edifact/validator/rule_context.hpp"
#include "edifact/validator/validator.hpp"

namespace edifact::validator::context {

enum class LayerKind : std::uint8_t { Parse, Directory, Mig, Ahb };

inline constexpr std::size_t layer_kind_count = 4;

struct LayeredValidator {
  std::unique_ptr<Validator> validator;
  LayerKind kind = LayerKind::Ahb;
};

// The settings a context is built from; building moves them over unchanged.
struct ValidationSettings {
  std::vector<LayeredValidator> layers;              // run in the order added
  std::vector<report::ValidationIssue> preset_issues;  // added to every report, after the layers'
  std::optional<std::string> message_type;           // recorded only; runs read the UNH
  std::optional<std::string> release;                // stamped on layer findings that lack one
  std::shared_ptr<const RuleExtension> extension;
  std::array<bool, layer_kind_count> enabled{false, true, true, true};  // by LayerKind
  bool fail_fast = false;  // stop calling layers once a Critical finding is in the report
  report::FindingBudget* findings_budget = nullptr;  // what the rules of a grouped run draw on
};

class ValidationContext {
 public:
  explicit ValidationContext(ValidationSettings settings) : settings_(std::move(settings)) {}

  // Runs every switched-on layer's segment checks, starting from `start`; the UNH's message type
  // replaces the one `start` names.
  report::ValidationReport validate_with_context(std::span<const model::Segment> segments,
                                                 const RuleContext& start) const;

  // The segment checks, then every switched-on layer's group checks over the tree under `root`,
  // whose indices refer to `segments`.
  report::ValidationReport validate_grouped(const group::SegmentGroupIndexed& root,
                                            std::span<const model::Segment> segments) const;

  const ValidationSettings& settings() const { return settings_; }

 private:
  bool is_enabled(LayerKind kind) const;
  bool stops_at_critical(const report::ValidationReport& report) const;

  ValidationSettings settings_;
};

class ValidationContextBuilder {
 public:
  ValidationContextBuilder() = default;

  // The pack becomes an Ahb layer.
  ValidationContextBuilder with_profile_pack(pack::ProfileRulePack pack) &&;
  ValidationContextBuilder with_layer(LayerKind kind, std::unique_ptr<Validator> validator) &&;
  ValidationContextBuilder with_message_type(std::string message_type) &&;
  ValidationContextBuilder with_release(std::string release) &&;
  ValidationContextBuilder with_extension(std::shared_ptr<const RuleExtension> extension) &&;
  ValidationContextBuilder with_preset_issue(report::ValidationIssue issue) &&;
  ValidationContextBuilder with_layer_enabled(LayerKind kind, bool enabled) &&;
  ValidationContextBuilder with_fail_fast(bool fail_fast) &&;
  // Borrowed for every run of the context; see RuleContext::findings_budget.
  ValidationContextBuilder with_findings_budget(report::FindingBudget& budget) &&;

  ValidationContext build() &&;

  const ValidationSettings& settings() const { return settings_; }

 private:
  ValidationSettings settings_;
};

}  // namespace edifact::validator::context

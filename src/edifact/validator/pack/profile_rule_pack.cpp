#include "edifact/validator/pack/profile_rule_pack.hpp"

#include <limits>
#include <utility>

#include "edifact/validator/unh.hpp"
#include "support/internal_fault.hpp"

namespace edifact::validator::pack {
namespace {

using report::ValidationIssue;
using report::ValidationReport;

SharedText share(std::optional<std::string> text) {
  if (!text) return nullptr;
  return std::make_shared<const std::string>(std::move(*text));
}

void keep_first(std::vector<ValidationIssue>& findings, std::size_t count) {
  if (findings.size() > count) {
    findings.erase(findings.begin() + static_cast<std::ptrdiff_t>(count), findings.end());
  }
}

// The segments a node covers, or none when its range does not fit the list.
std::span<const model::Segment> node_segments(const group::SegmentGroupIndexed& node,
                                              std::span<const model::Segment> segments) {
  if (node.start <= node.end && node.end <= segments.size()) {
    return segments.subspan(node.start, node.end - node.start);
  }
  return {};
}

report::FindingSink sink_of(std::vector<ValidationIssue>& scratch, const RuleContext& context) {
  if (context.findings_budget == nullptr) return report::FindingSink(scratch);
  return report::FindingSink(scratch, *context.findings_budget);
}

// The errors reported so far, those only counted included, so that stopping after the first
// error does not depend on whether it found room.
std::size_t errors_so_far(const ValidationReport& report, const RuleContext& context) {
  return report.errors.size() + (context.findings_budget ? context.findings_budget->left_out.errors() : 0);
}

}  // namespace

ProfileRulePack ProfileRulePack::for_message_type(std::string_view message_type) && {
  message_types_.add(message_type);
  return std::move(*this);
}

ProfileRulePack ProfileRulePack::with_rule(std::shared_ptr<const ProfileRule> rule,
                                           std::optional<std::string> name) && {
  if (!rule) throw support::InternalFault("a rule pack was given no rule");
  rules_.push_back({std::move(rule), share(std::move(name))});
  return std::move(*this);
}

ProfileRulePack ProfileRulePack::with_group_rule(GroupRule rule, std::optional<std::string> name,
                                                 std::optional<std::string> group) && {
  return std::move(*this).with_group_rule(std::make_shared<const GroupRule>(std::move(rule)),
                                          std::move(name), std::move(group));
}

ProfileRulePack ProfileRulePack::with_group_rule(std::shared_ptr<const GroupRule> rule,
                                                 std::optional<std::string> name,
                                                 std::optional<std::string> group) && {
  if (!rule || !*rule) throw support::InternalFault("a rule pack was given no group rule");
  group_rules_.push_back({std::move(rule), share(std::move(name)), share(std::move(group))});
  return std::move(*this);
}

ProfileRulePack ProfileRulePack::with_release_scope(std::string release) && {
  release_scope_ = std::move(release);
  return std::move(*this);
}

ProfileRulePack ProfileRulePack::with_max_issues_per_rule(std::size_t cap) && {
  max_issues_per_rule_ = cap;
  return std::move(*this);
}

ProfileRulePack ProfileRulePack::with_stop_after_first_error(bool stop) && {
  stop_after_first_error_ = stop;
  return std::move(*this);
}

bool ProfileRulePack::scope_admits(std::span<const model::Segment> segments,
                                   std::optional<std::string_view> message_type) const {
  if (!message_types_.empty()) {
    const std::optional<std::string_view> type =
        message_type ? message_type : unh_message_type(segments);
    if (!type || !message_types_.contains(*type)) return false;
  }
  if (release_scope_) {
    const std::optional<std::string_view> release = unh_association_code(segments);
    if (!release || *release != *release_scope_) return false;
  }
  return true;
}

void ProfileRulePack::validate_batch(std::span<const model::Segment> segments,
                                     ValidationReport& report, const RuleContext& context) const {
  if (!scope_admits(segments, context.message_type)) return;
  std::vector<ValidationIssue> scratch;
  for (const NamedRule& named : rules_) {
    const std::size_t errors_before = errors_so_far(report, context);
    scratch.clear();
    named.rule->evaluate(segments, context, sink_of(scratch, context));
    if (max_issues_per_rule_) keep_first(scratch, *max_issues_per_rule_);
    for (ValidationIssue& finding : scratch) report.push(std::move(finding));
    if (stop_after_first_error_ && errors_so_far(report, context) > errors_before) return;
  }
}

void ProfileRulePack::validate_group_batch(const group::SegmentGroupIndexed& root,
                                           std::span<const model::Segment> segments,
                                           ValidationReport& report,
                                           const RuleContext& context) const {
  if (group_rules_.empty() || !scope_admits(segments, context.message_type)) return;

  // Budgets span the whole walk: a capped rule reports at most the cap over all instances.
  std::vector<std::size_t> budgets(
      group_rules_.size(), max_issues_per_rule_.value_or(std::numeric_limits<std::size_t>::max()));
  std::vector<ValidationIssue> scratch;

  // Depth-first pre-order with an explicit stack, so a deep tree cannot exhaust the call stack.
  std::vector<const group::SegmentGroupIndexed*> pending{&root};
  while (!pending.empty()) {
    const group::SegmentGroupIndexed& node = *pending.back();
    pending.pop_back();
    const std::span<const model::Segment> own_segments = node_segments(node, segments);
    SharedText group_name;  // made once per node, only when a finding lacks a group

    for (std::size_t index = 0; index < group_rules_.size(); ++index) {
      const NamedGroupRule& named = group_rules_[index];
      if (named.group && *named.group != node.name) continue;
      if (max_issues_per_rule_ && budgets[index] == 0) continue;

      const std::size_t errors_before = errors_so_far(report, context);
      scratch.clear();
      (*named.rule)(node, own_segments, context, sink_of(scratch, context));
      if (max_issues_per_rule_) {
        keep_first(scratch, budgets[index]);
        budgets[index] -= scratch.size();
      }
      for (ValidationIssue& finding : scratch) {
        if (!finding.segment_group) {
          if (!group_name) group_name = std::make_shared<const std::string>(node.name);
          finding.segment_group = group_name;
        }
        report.push(std::move(finding));
      }
      if (stop_after_first_error_ && errors_so_far(report, context) > errors_before) return;
    }

    for (auto child = node.children.rbegin(); child != node.children.rend(); ++child) {
      pending.push_back(&*child);
    }
  }
}

std::unique_ptr<Validator> ProfileRulePack::fork() const {
  return std::make_unique<ProfileRulePack>(*this);
}

}  // namespace edifact::validator::pack

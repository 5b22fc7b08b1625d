// A named collection of segment rules and group rules with a message-type and release scope and
// limits on how much it reports; one layer of a validation context.
#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "edifact/validator/pack/message_type_scope.hpp"
#include "edifact/validator/pack/profile_rule.hpp"
#include "edifact/validator/validator.hpp"

namespace edifact::validator::pack {

class ProfileRulePack final : public Validator {
 public:
  explicit ProfileRulePack(std::string name) : name_(std::move(name)) {}

  ProfileRulePack for_message_type(std::string_view message_type) &&;
  ProfileRulePack with_rule(std::shared_ptr<const ProfileRule> rule,
                            std::optional<std::string> name = std::nullopt) &&;
  ProfileRulePack with_group_rule(GroupRule rule, std::optional<std::string> name = std::nullopt,
                                  std::optional<std::string> group = std::nullopt) &&;
  ProfileRulePack with_group_rule(std::shared_ptr<const GroupRule> rule,
                                  std::optional<std::string> name = std::nullopt,
                                  std::optional<std::string> group = std::nullopt) &&;
  ProfileRulePack with_release_scope(std::string release) &&;
  ProfileRulePack with_max_issues_per_rule(std::size_t cap) &&;
  ProfileRulePack with_stop_after_first_error(bool stop) &&;

  const std::string& name() const { return name_; }
  const std::vector<NamedRule>& rules() const { return rules_; }
  const std::vector<NamedGroupRule>& group_rules() const { return group_rules_; }
  const MessageTypeScope& message_types() const { return message_types_; }
  const std::optional<std::string>& release_scope() const { return release_scope_; }
  std::optional<std::size_t> max_issues_per_rule() const { return max_issues_per_rule_; }
  bool stop_after_first_error() const { return stop_after_first_error_; }

  // Whether the pack applies to a message: by `message_type` when given, else by the UNH's.
  bool scope_admits(std::span<const model::Segment> segments,
                    std::optional<std::string_view> message_type) const;

  void validate_batch(std::span<const model::Segment> segments, report::ValidationReport& report,
                      const RuleContext& context) const override;
  void validate_group_batch(const group::SegmentGroupIndexed& root,
                            std::span<const model::Segment> segments,
                            report::ValidationReport& report,
                            const RuleContext& context) const override;
  bool has_group_rules() const override { return !group_rules_.empty(); }
  std::unique_ptr<Validator> fork() const override;

 private:
  std::string name_;
  std::vector<NamedRule> rules_;
  std::vector<NamedGroupRule> group_rules_;
  MessageTypeScope message_types_;
  std::optional<std::string> release_scope_;
  std::optional<std::size_t> max_issues_per_rule_;
  bool stop_after_first_error_ = false;
};

}  // namespace edifact::validator::pack

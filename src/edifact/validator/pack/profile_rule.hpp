// The rules a rule pack runs: segment rules over a message's segments and group rules over one
// instance of a segment group, each with the name its owner gave it.
#pragma once

#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "edifact/group/group_tree.hpp"
#include "edifact/model/segment.hpp"
#include "edifact/report/finding_sink.hpp"
#include "edifact/report/validation_report.hpp"
#include "edifact/validator/rule_context.hpp"

namespace edifact::validator::pack {

class ProfileRule {
 public:
  virtual ~ProfileRule() = default;

  // Appends what the rule finds to `findings`, whose list is empty on entry.
  virtual void evaluate(std::span<const model::Segment> segments, const RuleContext& context,
                        report::FindingSink findings) const = 0;

 protected:
  ProfileRule() = default;
  ProfileRule(const ProfileRule&) = default;
  ProfileRule& operator=(const ProfileRule&) = default;
};

using RuleFunction = void (*)(std::span<const model::Segment> segments, const RuleContext& context,
                              report::FindingSink findings);

// A rule that is a plain function without state.
class StatelessClosureProfileRule final : public ProfileRule {
 public:
  explicit StatelessClosureProfileRule(RuleFunction function) : function_(function) {}

  void evaluate(std::span<const model::Segment> segments, const RuleContext& context,
                report::FindingSink findings) const override;

 private:
  RuleFunction function_;
};

// A group rule sees one group instance and that instance's segments.
using GroupRule = std::function<void(const group::SegmentGroupIndexed& node,
                                     std::span<const model::Segment> segments,
                                     const RuleContext& context,
                                     report::FindingSink findings)>;

using SharedText = std::shared_ptr<const std::string>;

struct NamedRule {
  std::shared_ptr<const ProfileRule> rule;
  SharedText name;
};

struct NamedGroupRule {
  std::shared_ptr<const GroupRule> rule;
  SharedText name;   // the rule id, such as "SEM-INSRPT-SG7-PERIOD-ORDER"
  SharedText group;  // when set, the rule runs only on instances of this group
};

}  // namespace edifact::validator::pack

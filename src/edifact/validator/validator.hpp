// The interface of one validation layer: it looks at a message's segments and, in a second pass,
// at its segment-group tree, and adds findings to a report.
#pragma once

#include <memory>
#include <span>
#include <string_view>

#include "edifact/group/group_tree.hpp"
#include "edifact/model/segment.hpp"
#include "edifact/report/validation_report.hpp"
#include "edifact/validator/rule_context.hpp"

namespace edifact::validator {

class Validator {
 public:
  virtual ~Validator() = default;

  virtual void validate_batch(std::span<const model::Segment> segments,
                              report::ValidationReport& report,
                              const RuleContext& context) const = 0;

  // `segments` is the list that the tree's indices refer to.
  virtual void validate_group_batch(const group::SegmentGroupIndexed& root,
                                    std::span<const model::Segment> segments,
                                    report::ValidationReport& report,
                                    const RuleContext& context) const = 0;

  // Whether `validate_group_batch` can add anything.
  virtual bool has_group_rules() const = 0;

  virtual void set_message_type(std::string_view /*message_type*/) {}

  // An independent copy of the layer.
  virtual std::unique_ptr<Validator> fork() const = 0;

 protected:
  Validator() = default;
  Validator(const Validator&) = default;
  Validator& operator=(const Validator&) = default;
  Validator(Validator&&) = default;
  Validator& operator=(Validator&&) = default;
};

}  // namespace edifact::validator

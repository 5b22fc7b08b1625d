// What a validation run hands to every layer and every rule: the owner's extension handle, the
// release label of the run and the message type read from the UNH.
#pragma once

#include <memory>
#include <optional>
#include <string_view>

#include "edifact/report/finding_sink.hpp"

namespace edifact::validator {

// Base of whatever object the owner of a validation context hands through to its rules. The
// library never looks into it; rules that know the concrete type cast to it.
class RuleExtension {
 public:
  virtual ~RuleExtension() = default;
};

// Borrowed for the duration of one run.
struct RuleContext {
  std::shared_ptr<const RuleExtension> extension;
  std::optional<std::string_view> release;
  std::optional<std::string_view> message_type;
  // When set, every rule's findings draw on it; those past its room are only counted.
  report::FindingBudget* findings_budget = nullptr;
};

}  // namespace edifact::validator

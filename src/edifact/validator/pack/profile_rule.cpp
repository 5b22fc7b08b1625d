#include "edifact/validator/pack/profile_rule.hpp"

#include "support/internal_fault.hpp"

namespace edifact::validator::pack {

void StatelessClosureProfileRule::evaluate(std::span<const model::Segment> segments,
                                           const RuleContext& context,
                                           report::FindingSink findings) const {
  if (function_ == nullptr) throw support::InternalFault("a stateless rule without a function");
  function_(segments, context, findings);
}

}  // namespace edifact::validator::pack

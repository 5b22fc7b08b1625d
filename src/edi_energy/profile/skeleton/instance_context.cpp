// Decisions that look at what the walk has already written in an open group instance: a
// Voraussetzung such as "Wenn in derselben SG8 das SEQ+Z01 vorhanden" holds in one repetition of
// the SG8 and not in another, which no key of the completion loop can tell apart.
#include <algorithm>
#include <variant>

#include "edi_energy/profile/conditions/condition_kind.hpp"
#include "edi_energy/profile/conditions/status.hpp"
#include "edi_energy/profile/skeleton/generator.hpp"
#include "edi_energy/profile/skeleton/mandatory.hpp"
#include "edi_energy/profile/skeleton/unconditioned.hpp"

namespace edi_energy::profile::skeleton {

std::optional<std::span<const edifact::model::Segment>> Generator::open_instance(std::string_view group) const {
  const auto open = std::ranges::find(open_.rbegin(), open_.rend(), group, &OpenInstance::group);
  if (open == open_.rend()) return std::nullopt;
  return std::span<const edifact::model::Segment>(out_).subspan(open->start);
}

conditions::Truth Generator::truth_here(std::string_view reference) const {
  using conditions::Truth;
  if (conditions::kind_of(reference) != conditions::ConditionKind::Voraussetzung) {
    return unconditioned_truth(profile_, reference);
  }
  const auto entry = profile_.read_conditions().find(reference);
  if (entry == profile_.read_conditions().end() || !entry->second.precondition || !entry->second.voraussetzung) {
    return unconditioned_truth(profile_, reference);
  }
  // Only a presence in the message or in an instance that is open now: the segments written so
  // far are the ones that come before the node being decided. Anything else stays as undecided
  // as without a message.
  const auto* present = std::get_if<conditions::Voraussetzung::Present>(&entry->second.voraussetzung->shape);
  if (present == nullptr || present->negated) return Truth::Undecided;
  const auto written = present->group ? open_instance(*present->group)
                                      : std::optional<std::span<const edifact::model::Segment>>(out_);
  if (!written) return Truth::Undecided;
  const bool holds =
      present->any ? std::ranges::any_of(present->chain,
                                         [&](const conditions::SegmentPattern& pattern) {
                                           return std::ranges::any_of(*written, [&](const edifact::model::Segment& s) {
                                             return pattern.matches(s);
                                           });
                                         })
                   : conditions::matches_in_order(present->chain, *written);
  // A segment written later in the instance may still make it hold: absent is no "false".
  return holds ? Truth::True : Truth::Undecided;
}

bool Generator::required_here(const std::vector<std::string>* status) const {
  if (status == nullptr) return false;
  const auto callback = [this](std::string_view reference) -> conditions::TruthResult { return truth_here(reference); };
  return std::ranges::any_of(*status, [&](const std::string& cell) {
    const auto parsed = conditions::Status::parse(cell);
    if (!parsed || !is_mandatory_level(parsed->level)) return false;
    if (!parsed->condition) return true;
    const auto truth = parsed->condition->eval(callback);
    return truth && (*truth == conditions::Truth::True || *truth == conditions::Truth::Neutral);
  });
}

}  // namespace edi_energy::profile::skeleton

#include "edi_energy/profile/validate/format_context.hpp"

#include <optional>
#include <string>
#include <variant>

#include "edi_energy/profile/conditions/condition_kind.hpp"
#include "edi_energy/profile/conditions/same_segment.hpp"

namespace edi_energy::profile::validate {
namespace {

using conditions::Truth;

std::optional<Truth> in_segment(const AhbRun& run, std::string_view reference, std::size_t segment) {
  const std::string_view tag = run.segments[segment].tag();
  const auto read = run.profile.read_conditions().find(reference);
  if (read == run.profile.read_conditions().end() || !read->second.voraussetzung) return std::nullopt;
  const SegmentRange alone{segment, segment + 1};
  const auto flag = [](bool holds, bool negated) { return holds != negated ? Truth::True : Truth::False; };
  const auto same_segment = [&] {
    const auto text = run.profile.ahb().conditions.find(reference);
    return text != run.profile.ahb().conditions.end() && conditions::names_same_segment(text->second, tag);
  };
  using V = conditions::Voraussetzung;
  const auto& shape = read->second.voraussetzung->shape;
  // Segments named beside it stand elsewhere in the instance: the segment alone cannot tell.
  if (const auto* value = std::get_if<V::DeValue>(&shape);
      value != nullptr && value->tag == tag && value->companions.empty() && same_segment()) {
    return flag(run.ctx.carries_value(alone, *value), value->negated);
  }
  if (const auto* carried = std::get_if<V::DeShape>(&shape);
      carried != nullptr && carried->pattern.tag == tag && carried->companions.empty() && same_segment()) {
    return flag(run.ctx.carries_shape(alone, carried->pattern, carried->de, carried->check), carried->negated);
  }
  return std::nullopt;
}

}  // namespace

Truth decide_beside_format(const AhbRun& run, std::string_view reference, std::size_t segment,
                           structure::InstanceIndex scope) {
  const auto decided = run.ctx.decide_reference(reference, scope);
  const Truth truth = decided ? *decided : Truth::Undecided;
  // Only a Voraussetzung that was read can be asked of one segment; the others stay as decided.
  if (truth != Truth::True && truth != Truth::False) return truth;
  if (conditions::kind_of(reference) != conditions::ConditionKind::Voraussetzung) return truth;
  return in_segment(run, reference, segment).value_or(truth);
}

}  // namespace edi_energy::profile::validate

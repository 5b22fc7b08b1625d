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
  const auto text = run.profile.ahb().conditions.find(reference);
  if (text == run.profile.ahb().conditions.end() || !conditions::names_same_segment(text->second, tag)) return std::nullopt;
  const auto read = run.profile.read_conditions().find(reference);
  if (read == run.profile.read_conditions().end() || !read->second.voraussetzung) return std::nullopt;
  const SegmentRange alone{segment, segment + 1};
  const auto flag = [](bool holds, bool negated) { return holds != negated ? Truth::True : Truth::False; };
  using V = conditions::Voraussetzung;
  const auto& shape = read->second.voraussetzung->shape;
  if (const auto* value = std::get_if<V::DeValue>(&shape); value != nullptr && value->tag == tag) {
    return flag(run.ctx.carries_value(alone, value->tag, value->de, value->values, value->suffix), value->negated);
  }
  if (const auto* carried = std::get_if<V::DeShape>(&shape); carried != nullptr && carried->pattern.tag == tag) {
    return flag(run.ctx.carries_shape(alone, carried->pattern, carried->de, carried->check), carried->negated);
  }
  return std::nullopt;
}

}  // namespace

Truth decide_beside_format(const AhbRun& run, std::string_view reference, std::size_t segment,
                           structure::InstanceIndex scope) {
  if (conditions::kind_of(reference) == conditions::ConditionKind::Voraussetzung) {
    if (const auto truth = in_segment(run, reference, segment)) return *truth;
  }
  const auto truth = run.ctx.decide_reference(reference, scope);
  return truth ? *truth : Truth::Undecided;
}

}  // namespace edi_energy::profile::validate

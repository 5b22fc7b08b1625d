// A value named in a segment of the open instance decides there: "Wenn SG10 QTY DE6063 mit Wert
// 67" holds in the SG10 of a substitute value and not in its neighbours, each of which wrote its
// QTY before the statuses that hang on it.
#include <algorithm>

#include "edi_energy/profile/skeleton/generator.hpp"
#include "edi_energy/profile/validate/ctx.hpp"

namespace edi_energy::profile::skeleton {

namespace {

bool names_value(std::string_view text, const conditions::Voraussetzung::DeValue& value) {
  if (value.suffix && text.size() < 2) return false;
  return std::ranges::any_of(value.values, [&](const std::string& wanted) {
    return value.suffix ? text.ends_with(wanted) : text == wanted;
  });
}

}  // namespace

conditions::Truth Generator::value_here(const conditions::Voraussetzung::DeValue& value) const {
  using conditions::Truth;
  if (value.negated || !value.companions.empty() || !value.group) return Truth::Undecided;
  const OpenInstance* scope = open_instance(*value.group);
  if (scope == nullptr) return Truth::Undecided;
  const auto& definitions = profile_.structure().segment_defs;
  std::optional<validate::Position> position;
  for (const model::SegmentNode& definition : definitions) {
    if (definition.tag == value.tag && (position = validate::first_position(definition, value.de))) break;
  }
  if (!position) return Truth::Undecided;
  const bool qualified = !value.pattern.tag.empty();
  for (const edifact::model::Segment& segment : std::span<const edifact::model::Segment>(out_).subspan(scope->start)) {
    if (segment.tag() != value.tag || (qualified && !value.pattern.matches(segment))) continue;
    const auto text = validate::text_at(segment, *position);
    if (text && names_value(*text, value)) return Truth::True;
  }
  const conditions::SegmentPattern tagged{value.tag, {}};
  return settled_absent(std::span(&tagged, 1), scope) ? Truth::False : Truth::Undecided;
}

}  // namespace edi_energy::profile::skeleton

#include "edi_energy/profile/conditions/read_conditions.hpp"

#include "edi_energy/profile/conditions/condition_kind.hpp"
#include "edi_energy/profile/conditions/same_segment.hpp"
#include "edi_energy/profile/conditions/text_tokens.hpp"

namespace edi_energy::profile::conditions {

ReadConditions read_conditions(const ConditionTexts& conditions) {
  ReadConditions read;
  for (const auto& [number, text] : conditions) {
    switch (kind_of(number)) {
      case ConditionKind::Voraussetzung: {
        ReadCondition condition{is_precondition(text), std::nullopt, std::nullopt, std::nullopt, {}};
        if (condition.precondition) condition.voraussetzung = Voraussetzung::parse(text);
        if (condition.voraussetzung) condition.own_tag = own_segment_tag(text, *condition.voraussetzung);
        read.emplace_hint(read.end(), number, std::move(condition));
        break;
      }
      case ConditionKind::Wiederholbarkeit:
        read.emplace_hint(read.end(), number,
                          ReadCondition{false, std::nullopt, ProSegment::parse(text), RepeatLimit::parse(text), {}});
        break;
      default: break;
    }
  }
  return read;
}

}  // namespace edi_energy::profile::conditions

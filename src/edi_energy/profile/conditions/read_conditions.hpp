// The condition texts of one AHB, read once: a validation keeps this beside its profile instead
// of reading a Voraussetzung text again at every evaluation.
#pragma once

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "edi_energy/profile/conditions/number_order.hpp"
#include "edi_energy/profile/conditions/repeat_limit.hpp"
#include "edi_energy/profile/conditions/voraussetzung.hpp"

namespace edi_energy::profile::conditions {

struct ReadCondition {
  bool precondition = false;                   // Voraussetzung numbers: `is_precondition`
  std::optional<Voraussetzung> voraussetzung;  // Voraussetzung numbers written as preconditions
  std::optional<ProSegment> pro_segment;       // Wiederholbarkeit numbers
  std::optional<RepeatLimit> repeat_limit;     // Wiederholbarkeit numbers that set a bound
  // The tag of the segment the text points at as its own ("in diesem STS"): asked about a value
  // or a row of a segment with that tag, the reading is decided on that very segment.
  std::string own_tag;

  friend bool operator==(const ReadCondition&, const ReadCondition&) = default;
};

// Keyed like the AHB conditions map; numbers of other kinds are left out.
using ReadConditions = std::map<std::string, ReadCondition, NumberOrder>;

// The AHB conditions map: condition number to text (the profile model's TextMap).
using ConditionTexts = std::map<std::string, std::string, std::less<>>;

ReadConditions read_conditions(const ConditionTexts& conditions);

}  // namespace edi_energy::profile::conditions

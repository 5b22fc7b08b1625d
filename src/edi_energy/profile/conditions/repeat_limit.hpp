// The upper bound a Wiederholbarkeit text sets on how often a segment or segment group may stand
// in one instance of a scope ("Segment bzw. Segmentgruppe ist genau einmal je SG4 IDE (Vorgang)
// anzugeben", "Pro Nachricht ist die SG27 LIN+Z64 maximal einmal anzugeben"). Texts that set no
// upper bound, make one depend on a condition or tie the count to other segments ("für jede …")
// give nothing.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "edi_energy/profile/conditions/segment_pattern.hpp"

namespace edi_energy::profile::conditions {

struct RepeatLimit {
  enum class Scope : std::uint8_t {
    Parent,   // no scope named: the instance the row stands in
    Message,  // "pro Nachricht", "je UNH"
    Group,    // "je SG4 IDE": the instance of `scope_group` around the row
  };
  // What the text says it limits: "Segment", "Segmentgruppe", both, or the group and segment it
  // names (`target_group`, `target_pattern`).
  enum class Target : std::uint8_t { Either, Segment, Group };

  std::size_t limit = 1;
  Scope scope = Scope::Parent;
  std::string scope_group;
  std::optional<SegmentPattern> scope_trigger;  // the trigger the scope instance must have
  Target target = Target::Either;
  std::optional<std::string> target_group;
  std::optional<SegmentPattern> target_pattern;

  static std::optional<RepeatLimit> parse(std::string_view text);

  friend bool operator==(const RepeatLimit&, const RepeatLimit&) = default;
};

}  // namespace edi_energy::profile::conditions

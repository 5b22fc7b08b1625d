// Where a segment pattern's codes stand in a message. The AHB texts write patterns loosely
// ("CCI+E03" for a segment written CCI+++E03, "IMD+Z36+Z13" for IMD++Z36+Z13); each code goes
// where the MIG, or an AHB line of that segment, names it. A pattern that could stand in more
// than one way is not placed, and a reading that holds one is left unread.
#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "edi_energy/profile/conditions/read_conditions.hpp"
#include "edi_energy/profile/conditions/segment_pattern.hpp"
#include "edi_energy/profile/model.hpp"

namespace edi_energy::profile::conditions {

// One element, or one component of a composite, of a MIG segment definition.
struct CodeSlot {
  std::size_t element = 0;
  std::size_t component = 0;
  bool unused = false;  // the MIG marks it, or its composite, "N"
  bool closed = false;  // the MIG gives it a code list
  std::vector<std::string> codes;  // sorted: the MIG's codes and those AHB lines name there
};

struct SegmentCodes {
  std::string tag;
  std::vector<CodeSlot> slots;  // elements in order, each followed by its components
};

// One entry per definition, in the order given, with the codes every Anwendungsfall of the AHB
// names for the definition's segment number added.
std::vector<SegmentCodes> segment_codes(std::span<const model::SegmentNode> definitions, const model::AhbProfile& ahb);

// The pattern with its codes where the definitions of its tag put them: unchanged where a
// definition takes it as written, or none takes it at all; nothing when the definitions leave
// it open where a code goes.
std::optional<SegmentPattern> place_pattern(const SegmentPattern& pattern, std::span<const SegmentCodes> definitions);

// Places every pattern of every reading; a reading with a pattern that cannot be placed
// becomes unread.
void place_readings(ReadConditions& read, std::span<const SegmentCodes> definitions);

}  // namespace edi_energy::profile::conditions

// A request unit as the answer holds it: what carry decides of it, and what the rounds of
// decisions and the units past a place's count change.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <utility>

#include "edi_energy/profile/structure_resolution.hpp"

namespace quorvane_native::edifact::answer {

using edi_energy::profile::structure::NodeIndex;
using Unit = std::pair<std::size_t, std::size_t>;  // segments [first, last) of a cut

// A request unit in the answer: carried, left out for a fault of its own, (while its Vorgang's
// faults are searched) replaced by completion's unit again, or left out past its place's count.
struct Choice {
  enum class State : std::uint8_t { carried, dropped, reverted, past_count };
  std::size_t vorgang = 0;  // of the answer, from 1
  Unit unit;                // in the request's cut
  std::optional<Unit> fallback;  // completion's unit at the same place, in the answer's cut
  std::optional<std::size_t> parent;  // the choice it stands in
  State state = State::carried;
  std::optional<NodeIndex> place;  // where it stands: its own, or that of another of its key
  bool unplaced = false;           // the reader placed it nowhere
  std::size_t count = 0;           // past a count: how many may stand at its place
};

}  // namespace quorvane_native::edifact::answer

// How the completion loop turns one round's findings into keys for the next walk.
#pragma once

#include <span>

#include "edi_energy/profile/skeleton/keys.hpp"
#include "edifact/report/issue.hpp"

namespace edi_energy::profile::skeleton {

// Adds the keys that the findings ask for; true when the round made progress (some key is new,
// or a code rotation moved on). A finding within one of `vorgaenge` (the round's Vorgänge, in
// order) is learned for that Vorgang alone.
bool learn_from_findings(std::span<const edifact::report::ValidationIssue> findings, KeySets& keys,
                         std::span<const VorgangSpan> vorgaenge = {});

// True when the next walk, with the keys `learned` from a round whose walk ran with `before` and
// chose codes as `uses` tells, writes the same message again, and so does every later one: no
// key changed but rotation counts, and each count moved on by whole turns of every code list it
// chose from. The same message draws the same findings, which move the counts on alike, so
// further rounds could only repeat it.
bool repeats_forever(const KeySets& before, const KeySets& learned, const RotationUses& uses);

}  // namespace edi_energy::profile::skeleton

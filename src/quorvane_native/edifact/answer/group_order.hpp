// The order in which the MIG reads a request whose Vorgang writes an SG8 or SG12 group after one
// the MIG puts later. Its reader walks forward only: such a group would stand at no place, and
// what it holds at none or at a wrong one in the group before it, so that the answer could not
// put the request's values where they belong.
#pragma once

#include <cstddef>
#include <span>
#include <vector>

#include "edi_energy/profile/structure.hpp"

namespace quorvane_native::edifact::answer {

// The segments' positions in the order to read them in: each group of a Vorgang that
// `resolution` left without a place and whose head's codes a group of the MIG lists goes, with
// what it holds, before the Vorgang's first placed group of a later place (else to the Vorgang's
// end), and a group whose head's code no group lists is left out, wherever it was placed; empty
// where nothing moves or goes.
std::vector<std::size_t> group_order(std::span<const ::edifact::model::Segment> segments,
                                     const edi_energy::profile::structure::Resolution& resolution,
                                     const edi_energy::profile::structure::Structure& structure);

}  // namespace quorvane_native::edifact::answer

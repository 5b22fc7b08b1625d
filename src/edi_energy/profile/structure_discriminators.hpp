// Making the qualifier tests of segment nodes: first per node from its MIG definition, then,
// once the whole tree is known, trimmed to the positions where same-tag nodes differ.
#pragma once

#include <vector>

#include "edi_energy/profile/model.hpp"
#include "edi_energy/profile/structure.hpp"

namespace edi_energy::profile::structure {

// The tests that one segment definition implies, in element order, then component order.
std::vector<Discriminator> discriminators(const model::SegmentNode& definition);

// Keeps, per tag, the tests at (0, 0) and at the first position where each pair of nodes
// differs; adds must-be-absent tests where a node's definition lacks such a position, and
// fills the excluded codes.
void settle_discriminators(Structure& structure);

}  // namespace edi_energy::profile::structure

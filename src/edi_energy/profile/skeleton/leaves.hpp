// The fillable places of a segment layout: each simple data element, each component of a
// composite, in layout order.
#pragma once

#include <cstddef>
#include <vector>

#include "edi_energy/profile/model.hpp"

namespace edi_energy::profile::skeleton {

struct Leaf {
  std::size_t element = 0;
  std::size_t component = 0;
  std::size_t occurrence = 0;  // earlier leaves of the segment with the same id
  const model::Element* def = nullptr;
  const model::Element* parent = nullptr;  // the element the leaf belongs to (itself when simple)
};

std::vector<Leaf> leaves(const model::SegmentNode& node);

}  // namespace edi_energy::profile::skeleton

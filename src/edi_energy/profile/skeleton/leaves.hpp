// The fillable places of a segment layout: each simple data element, each component of a
// composite, in layout order.
#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <string_view>
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

// The text of data element `de` at its `occurrence` in a table of component texts per data
// element laid out by `leaves`; null where the leaf or its place in the table is missing.
std::string* text_at(std::span<const Leaf> leaves, std::vector<std::vector<std::string>>& table, std::string_view de,
                     std::size_t occurrence);

}  // namespace edi_energy::profile::skeleton

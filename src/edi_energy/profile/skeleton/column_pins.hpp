// The Paket pins of one column and the repetitions they ask of each node: they depend only on
// the profile and the column, so a profile keeps them for every completion to that column.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <unordered_map>
#include <vector>

#include "edi_energy/profile/skeleton/parties.hpp"
#include "edi_energy/profile/structure.hpp"

namespace edi_energy::profile::skeleton {

struct ColumnPins {
  // By segment number, for every segment node with a MIG definition.
  std::unordered_map<std::string, std::vector<Pin>, structure::TextHash, std::equal_to<>> by_nr;
  // By node: how many repetitions of the enclosing group the pins below the node need.
  std::vector<std::size_t> rounds;
};

}  // namespace edi_energy::profile::skeleton

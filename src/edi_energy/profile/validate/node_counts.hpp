// How many segments and child instances of one instance each node took, counted in one pass
// over the instance instead of once per child node.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "edi_energy/profile/structure.hpp"

namespace edi_energy::profile::validate {

class NodeCounts {
 public:
  explicit NodeCounts(std::size_t nodes) : counts_(nodes, 0) {}

  void count(const structure::Resolution& resolution, const structure::Instance& instance) {
    for (const structure::NodeIndex node : touched_) counts_[node] = 0;
    touched_.clear();
    for (const std::size_t at : instance.segments) add(resolution.placements[at]->node);
    for (const structure::InstanceIndex child : instance.children) {
      if (const auto& node = resolution.instances[child].node) add(*node);
    }
  }

  std::size_t operator[](structure::NodeIndex node) const { return counts_[node]; }

 private:
  void add(structure::NodeIndex node) {
    if (counts_[node]++ == 0) touched_.push_back(node);
  }

  std::vector<std::size_t> counts_;
  std::vector<structure::NodeIndex> touched_;
};

}  // namespace edi_energy::profile::validate

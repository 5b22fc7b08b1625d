#include "edi_energy/profile/skeleton/leaves.hpp"

#include <string_view>
#include <unordered_map>

namespace edi_energy::profile::skeleton {

std::vector<Leaf> leaves(const model::SegmentNode& node) {
  std::vector<Leaf> found;
  std::unordered_map<std::string_view, std::size_t> seen;
  const auto add = [&](std::size_t i, std::size_t j, const model::Element& def, const model::Element& parent) {
    found.push_back(Leaf{i, j, seen[def.id]++, &def, &parent});
  };
  for (std::size_t i = 0; i < node.elements.size(); ++i) {
    const model::Element& element = node.elements[i];
    if (element.components.empty()) {
      add(i, 0, element, element);
      continue;
    }
    for (std::size_t j = 0; j < element.components.size(); ++j) add(i, j, element.components[j], element);
  }
  return found;
}

std::string* text_at(std::span<const Leaf> leaves, std::vector<std::vector<std::string>>& table, std::string_view de,
                     std::size_t occurrence) {
  for (const Leaf& leaf : leaves) {
    if (leaf.def->id != de || leaf.occurrence != occurrence) continue;
    if (leaf.element < table.size() && leaf.component < table[leaf.element].size()) {
      return &table[leaf.element][leaf.component];
    }
    return nullptr;
  }
  return nullptr;
}

}  // namespace edi_energy::profile::skeleton

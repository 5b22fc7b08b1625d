#include "edi_energy/profile/structure.hpp"

#include <algorithm>
#include <utility>

#include "edi_energy/profile/structure_discriminators.hpp"

namespace edi_energy::profile::structure {
namespace {

// Recursion follows the nesting of the MIG, which the document reader bounds.
NodeIndex add(Structure& structure, const model::Node& node, std::optional<NodeIndex> parent) {
  const NodeIndex index = structure.nodes.size();
  if (const model::GroupNode* group = node.group()) {
    structure.nodes.push_back(SNode{parent, {}, group->status, group->name, Kind{Kind::Group{group->group}}, group->max});
    std::vector<NodeIndex> children;
    children.reserve(group->children.size());
    for (const model::Node& child : group->children) children.push_back(add(structure, child, index));
    structure.nodes[index].children = std::move(children);
    return index;
  }
  const model::SegmentNode& segment = *node.segment();
  const std::size_t def = structure.segment_defs.size();
  structure.segment_defs.push_back(segment);
  structure.nr_index.insert_or_assign(segment.nr, index);
  structure.nodes.push_back(SNode{parent, {}, segment.status, segment.name,
                                  Kind{Kind::Segment{segment.nr, segment.tag, discriminators(segment), def}},
                                  segment.max});
  return index;
}

}  // namespace

bool Discriminator::accepts(const edifact::model::Segment& segment) const {
  std::string_view value;
  if (element < segment.elements().size()) {
    const edifact::model::ComponentList components = segment.elements()[element].components();
    if (component < components.size()) value = components[component].text;
  }
  if (value.empty()) return !required;
  if (absent) return false;
  if (std::ranges::find(allowed, value) != allowed.end()) return true;
  return std::ranges::find(excluded, value) == excluded.end();
}

Structure Structure::compile(const model::MigProfile& mig) {
  Structure structure;
  structure.roots.reserve(mig.structure.size());
  for (const model::Node& node : mig.structure) structure.roots.push_back(add(structure, node, std::nullopt));
  settle_discriminators(structure);
  return structure;
}

bool Structure::fits(NodeIndex node, const edifact::model::Segment& segment) const {
  const SNode& candidate = nodes[node];
  if (const Kind::Segment* segment_node = candidate.segment()) {
    return segment_node->tag == segment.tag() &&
           std::ranges::all_of(segment_node->discriminators,
                               [&segment](const Discriminator& test) { return test.accepts(segment); });
  }
  if (candidate.children.empty()) return false;
  const NodeIndex trigger = candidate.children.front();
  return nodes[trigger].segment() != nullptr && fits(trigger, segment);
}

}  // namespace edi_energy::profile::structure

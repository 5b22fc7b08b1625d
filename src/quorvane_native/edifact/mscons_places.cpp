#include "quorvane_native/edifact/mscons_places.hpp"

#include <algorithm>

namespace quorvane_native::edifact {

namespace {

using edi_energy::profile::structure::SNode;

std::optional<NodeIndex> parent_of(const std::vector<SNode>& nodes, std::optional<NodeIndex> node) {
  if (!node) return std::nullopt;
  return nodes[*node].parent;
}

// The first child of a group: its trigger segment.
std::optional<NodeIndex> trigger_of(const std::vector<SNode>& nodes, std::optional<NodeIndex> group) {
  if (!group || nodes[*group].children.empty()) return std::nullopt;
  return nodes[*group].children.front();
}

std::optional<NodeIndex> child_group_opened_by(const std::vector<SNode>& nodes, NodeIndex group, std::string_view tag) {
  for (NodeIndex child : nodes[group].children) {
    if (nodes[child].group() == nullptr) continue;
    const auto trigger = trigger_of(nodes, child);
    if (!trigger) continue;
    const auto* segment = nodes[*trigger].segment();
    if (segment != nullptr && segment->tag == tag) return child;
  }
  return std::nullopt;
}

// The column's first code for the data element, else `fallback`.
std::string first_code(const ColumnRef& column, std::optional<NodeIndex> node, std::string_view de,
                       std::string fallback) {
  if (!node) return fallback;
  auto codes = column_codes(column, nr_of(column, *node), de);
  return codes.codes.empty() ? fallback : std::move(codes.codes.front());
}

}  // namespace

std::optional<MsconsPlaces> mscons_places(const ColumnRef& column) {
  const auto& nodes = column.profile->structure().nodes;
  const auto lin = std::ranges::find_if(nodes, [](const SNode& node) {
    return node.segment() != nullptr && node.segment()->tag == "LIN";
  });
  if (lin == nodes.end()) return std::nullopt;
  const auto line_group = lin->parent;
  const auto point_group = parent_of(nodes, line_group);
  const auto party_group = parent_of(nodes, point_group);
  const auto location = trigger_of(nodes, point_group);
  const auto party = trigger_of(nodes, party_group);
  if (!location || !party) return std::nullopt;

  MsconsPlaces places;
  places.party_qualifier = first_code(column, party, "3035", places.party_qualifier);
  places.location_qualifier = first_code(column, location, "3227", places.location_qualifier);
  places.location_id = column_codes(column, nr_of(column, *location), "3225").listed;
  for (NodeIndex node : used_segments(column, "BGM")) {
    places.message_function = first_code(column, node, "1225", places.message_function);
  }
  places.line_items = column_uses(column, lin->segment()->nr);
  const auto quantity_group = child_group_opened_by(nodes, *line_group, "QTY");
  if (!places.line_items || !quantity_group) {
    places.line_items = false;
    places.period = false;
    return places;
  }
  const auto quantity = *trigger_of(nodes, quantity_group);
  places.qualifiers = column_codes(column, nr_of(column, quantity), "6063");
  places.units = column_codes(column, nr_of(column, quantity), "6411");
  places.period = used_child(column, *quantity_group, "DTM", "163").has_value();
  for (NodeIndex child : nodes[*line_group].children) {
    const auto* segment = nodes[child].segment();
    if (segment != nullptr && segment->tag == "PIA") places.product_codes = column_codes(column, segment->nr, "7143");
  }
  return places;
}

}  // namespace quorvane_native::edifact

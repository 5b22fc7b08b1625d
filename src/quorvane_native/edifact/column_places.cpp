#include "quorvane_native/edifact/column_places.hpp"

#include <algorithm>

#include "edi_energy/profile/validate/column.hpp"

namespace quorvane_native::edifact {

namespace {

// Whether segment node `node` (number `nr`) has a row or an element rule in the column: looked up in
// the column the validator prepares, since a builder asks this of many nodes per call.
bool node_used(const ColumnRef& column, const edi_energy::profile::validate::Column* prepared, NodeIndex node,
               std::string_view nr) {
  if (prepared == nullptr) return column_uses(column, nr);
  return prepared->segment_row(node, nr) != nullptr || !prepared->rules(node, nr).empty();
}

}  // namespace

bool column_uses(const ColumnRef& column, std::string_view nr) {
  if (const auto* prepared = column.profile->column(*column.anwendungsfall)) {
    return prepared->segment_row(nr) != nullptr || !prepared->rules(nr).empty();
  }
  if (column.anwendungsfall->segment_status(nr) != nullptr) return true;
  return std::ranges::any_of(column.anwendungsfall->elements, [nr](const auto& rule) { return rule.nr == nr; });
}

ColumnCodes column_codes(const ColumnRef& column, std::string_view nr, std::string_view de) {
  ColumnCodes found;
  for (const auto& rule : column.anwendungsfall->elements) {
    if (rule.nr != nr || rule.de != de) continue;
    found.listed = true;
    bool coded = false;
    for (const auto& operand : rule.operands) {
      if (!operand.code) continue;
      coded = true;
      if (std::ranges::find(found.codes, *operand.code) == found.codes.end()) found.codes.push_back(*operand.code);
    }
    if (!coded) found.any = true;
  }
  return found;
}

bool lists_code(const std::vector<edi_energy::profile::model::Element>& elements, std::string_view de,
                std::string_view code) {
  for (const auto& element : elements) {
    if (element.id == de && std::ranges::any_of(element.codes, [&](const auto& c) { return c.code == code; })) {
      return true;
    }
    if (lists_code(element.components, de, code)) return true;
  }
  return false;
}

bool admits_code(const ColumnCodes& codes, const std::string& code) {
  return !codes.listed || codes.any || std::ranges::find(codes.codes, code) != codes.codes.end();
}

std::vector<NodeIndex> used_segments(const ColumnRef& column, std::string_view tag) {
  std::vector<NodeIndex> found;
  const auto& nodes = column.profile->structure().nodes;
  const auto* prepared = column.profile->column(*column.anwendungsfall);
  for (NodeIndex at = 0; at < nodes.size(); ++at) {
    const auto* segment = nodes[at].segment();
    if (segment != nullptr && segment->tag == tag && node_used(column, prepared, at, segment->nr)) found.push_back(at);
  }
  return found;
}

bool admits_qualifier(const ColumnRef& column, NodeIndex node, std::string_view qualifier) {
  const auto* segment = column.profile->structure().nodes[node].segment();
  if (segment == nullptr) return false;
  // The qualifier is the first data element, or its first component; a node whose MIG lists
  // no code there takes any.
  const auto& definition = column.profile->structure().segment_defs[segment->def];
  if (definition.elements.empty()) return true;
  const auto& first = definition.elements.front();
  const auto& codes = first.components.empty() ? first.codes : first.components.front().codes;
  return codes.empty() ||
         std::ranges::any_of(codes, [qualifier](const auto& code) { return code.code == qualifier; });
}

bool uses_qualifier(const ColumnRef& column, std::string_view tag, std::string_view qualifier) {
  return std::ranges::any_of(used_segments(column, tag),
                             [&](NodeIndex node) { return admits_qualifier(column, node, qualifier); });
}

std::optional<NodeIndex> used_child(const ColumnRef& column, NodeIndex group, std::string_view tag,
                                    std::string_view qualifier) {
  const auto& nodes = column.profile->structure().nodes;
  const auto* prepared = column.profile->column(*column.anwendungsfall);
  for (NodeIndex child : nodes[group].children) {
    const auto* segment = nodes[child].segment();
    if (segment == nullptr || segment->tag != tag || !node_used(column, prepared, child, segment->nr)) continue;
    if (admits_qualifier(column, child, qualifier)) return child;
  }
  return std::nullopt;
}

std::string_view nr_of(const ColumnRef& column, NodeIndex node) {
  const auto* segment = column.profile->structure().nodes[node].segment();
  return segment == nullptr ? std::string_view() : std::string_view(segment->nr);
}

}  // namespace quorvane_native::edifact

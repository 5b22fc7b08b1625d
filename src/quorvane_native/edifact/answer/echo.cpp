#include "quorvane_native/edifact/answer/echo.hpp"

#include <algorithm>

#include <fmt/format.h>

#include "quorvane_native/edifact/column_places.hpp"

namespace quorvane_native::edifact::answer {

bool in_vorgang_group(const ColumnRef& column, NodeIndex node, std::string_view group) {
  const auto& nodes = column.profile->structure().nodes;
  const auto parent = nodes[node].parent;
  if (!parent || nodes[*parent].group() == nullptr || nodes[*parent].group()->group != group) return false;
  const auto vorgang = nodes[*parent].parent;
  if (!vorgang || nodes[*vorgang].children.empty()) return false;
  const auto* trigger = nodes[nodes[*vorgang].children.front()].segment();
  return trigger != nullptr && trigger->tag == "IDE";
}

bool EchoPlaces::takes(std::string_view group, std::string_view tag, std::string_view de,
                       std::string_view qualifier) {
  if (!column_) return true;
  std::string key = fmt::format("{}+{}", tag, qualifier);
  const auto known = std::ranges::find(known_, key, &std::pair<std::string, bool>::first);
  if (known != known_.end()) return known->second;
  const std::string code(qualifier);
  const bool placed = std::ranges::any_of(used_segments(*column_, tag), [&](NodeIndex node) {
    return in_vorgang_group(*column_, node, group) && admits_qualifier(*column_, node, qualifier) &&
           admits_code(column_codes(*column_, nr_of(*column_, node), de), code);
  });
  known_.emplace_back(std::move(key), placed);
  return placed;
}

std::optional<NodeIndex> vorgang_date_node(const ColumnRef& column, std::string_view qualifier) {
  const auto& nodes = column.profile->structure().nodes;
  const std::string& vorgang_group = column.profile->structure().vorgang_group;
  for (const NodeIndex node : used_segments(column, "DTM")) {
    const auto parent = nodes[node].parent;
    if (parent && nodes[*parent].group() != nullptr && nodes[*parent].group()->group == vorgang_group &&
        admits_qualifier(column, node, qualifier) &&
        admits_code(column_codes(column, nr_of(column, node), "2005"), std::string(qualifier))) {
      return node;
    }
  }
  return std::nullopt;
}

bool EchoPlaces::takes_date(std::string_view qualifier) {
  if (!column_) return true;
  std::string key = fmt::format("DTM+{}", qualifier);
  const auto known = std::ranges::find(known_, key, &std::pair<std::string, bool>::first);
  if (known != known_.end()) return known->second;
  const bool placed = vorgang_date_node(*column_, qualifier).has_value();
  known_.emplace_back(std::move(key), placed);
  return placed;
}

std::optional<std::size_t> EchoPlaces::room(std::string_view tag, std::string_view qualifier) {
  if (!column_) return std::nullopt;
  std::string key = fmt::format("{}+{}", tag, qualifier);
  using Room = std::pair<std::string, std::optional<std::size_t>>;
  if (const auto known = std::ranges::find(rooms_, key, &Room::first); known != rooms_.end()) return known->second;
  const auto& nodes = column_->profile->structure().nodes;
  const std::string_view group = tag == "LOC" ? "SG5" : "SG6";
  std::optional<std::size_t> places = 0;
  for (const NodeIndex node : used_segments(*column_, tag)) {
    if (!in_vorgang_group(*column_, node, group) || !admits_qualifier(*column_, node, qualifier)) continue;
    const std::uint32_t max = nodes[*nodes[node].parent].max;
    if (max == 0) {
      places.reset();
      break;
    }
    *places += max;
  }
  rooms_.emplace_back(std::move(key), places);
  return places;
}

}  // namespace quorvane_native::edifact::answer

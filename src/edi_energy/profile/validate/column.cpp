#include "edi_energy/profile/validate/column.hpp"

#include <algorithm>
#include <functional>
#include <utility>

#include <fmt/format.h>
#include <fmt/ranges.h>

#include "edi_energy/profile/conditions/paket.hpp"

namespace edi_energy::profile::validate {

Column::Column(const model::Anwendungsfall& anwendungsfall, std::size_t node_count)
    : anwendungsfall_(anwendungsfall),
      operands_(anwendungsfall.elements.size()),
      rows_(anwendungsfall.rows.size()),
      node_rows_(node_count),
      node_rules_(node_count) {
  const auto& rows = anwendungsfall.rows;
  for (std::size_t at = 0; at < rows.size(); ++at) {
    if (rows[at].nr) segment_rows_.push_back({*rows[at].nr, {}, at});
    if (rows[at].group && rows[at].before) group_rows_.push_back({*rows[at].group, *rows[at].before, at});
  }
  std::ranges::sort(segment_rows_);
  std::ranges::sort(group_rows_);
  rules_.resize(anwendungsfall.elements.size());
  for (std::size_t at = 0; at < rules_.size(); ++at) rules_[at] = at;
  const auto& elements = anwendungsfall.elements;
  std::ranges::sort(rules_, std::less<>{},
                    [&](std::size_t at) { return std::pair<std::string_view, std::size_t>(elements[at].nr, at); });
}

const model::Row* Column::segment_row(std::string_view nr) const {
  const auto found = std::ranges::lower_bound(segment_rows_, nr, std::less<>{}, &Keyed::key);
  return found == segment_rows_.end() || found->key != nr ? nullptr : &anwendungsfall_.rows[found->at];
}

const model::Row* Column::group_row(std::string_view group, std::string_view nr) const {
  const auto found = std::ranges::lower_bound(group_rows_, Keyed{group, nr, 0});
  if (found != group_rows_.end() && found->key == group && found->second_key == nr) {
    return &anwendungsfall_.rows[found->at];
  }
  return segment_row(nr);
}

std::span<const std::size_t> Column::rules(std::string_view nr) const {
  const auto& elements = anwendungsfall_.elements;
  const auto by_nr = [&](std::size_t at) { return std::string_view(elements[at].nr); };
  const auto [first, last] = std::ranges::equal_range(rules_, nr, std::less<>{}, by_nr);
  return {first, last};
}

const model::Row* Column::segment_row(std::size_t node, std::string_view nr) const {
  if (node >= node_rows_.size()) return segment_row(nr);
  auto& cached = node_rows_[node];
  if (!cached) cached = segment_row(nr);
  return *cached;
}

const model::Row* Column::group_row(std::size_t node, std::string_view group, std::string_view nr) const {
  if (node >= node_rows_.size()) return group_row(group, nr);
  auto& cached = node_rows_[node];
  if (!cached) cached = group_row(group, nr);
  return *cached;
}

std::span<const std::size_t> Column::rules(std::size_t node, std::string_view nr) const {
  if (node >= node_rules_.size()) return rules(nr);
  auto& cached = node_rules_[node];
  if (!cached) cached = rules(nr);
  return *cached;
}

const std::vector<ParsedOperand>& Column::operands(std::size_t rule) const {
  auto& cached = operands_[rule];
  if (!cached) {
    std::vector<ParsedOperand> cells;
    for (const model::Operand& operand : anwendungsfall_.elements[rule].operands) {
      ParsedOperand parsed{conditions::Status::parse(operand.operand), false};
      parsed.references_paket = parsed.status && parsed.status->condition && !parsed.status->condition->pakete().empty();
      cells.push_back(std::move(parsed));
    }
    cached = std::move(cells);
  }
  return *cached;
}

bool Column::names(std::span<const std::size_t> rules, const model::Element& element) const {
  for (const std::size_t at : rules) {
    const std::string& de = anwendungsfall_.elements[at].de;
    if (de == element.id) return true;
    for (const model::Element& component : element.components) {
      if (component.id == de) return true;
    }
  }
  return false;
}

const ParsedCells& Column::cells(const model::Row& row) const {
  auto& cached = rows_[static_cast<std::size_t>(&row - anwendungsfall_.rows.data())];
  if (!cached) cached = parse_cells(row.status);
  return *cached;
}

ParsedCells parse_cells(std::span<const std::string> cells) {
  ParsedCells parsed;
  parsed.reserve(cells.size());
  for (const std::string& cell : cells) parsed.push_back(conditions::Status::parse(cell));
  return parsed;
}

bool is_mandatory(conditions::StatusLevel level) {
  return level == conditions::StatusLevel::Muss || level == conditions::StatusLevel::X ||
         level == conditions::StatusLevel::M;
}

std::string status_text(std::span<const std::string> cells) { return fmt::format("{}", fmt::join(cells, " | ")); }

}  // namespace edi_energy::profile::validate

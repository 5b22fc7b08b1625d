#include "edi_energy/profile/validate/column.hpp"

#include <algorithm>
#include <functional>
#include <utility>

#include <fmt/format.h>
#include <fmt/ranges.h>

#include "edi_energy/profile/conditions/condition_kind.hpp"
#include "edi_energy/profile/conditions/paket.hpp"

namespace edi_energy::profile::validate {

namespace {

bool names_format(const conditions::Expr& condition) {
  std::vector<std::string_view> references;
  condition.collect(references);
  return std::ranges::any_of(references, [](std::string_view reference) {
    const conditions::ConditionKind kind = conditions::kind_of(reference);
    return kind == conditions::ConditionKind::Formatbedingung || kind == conditions::ConditionKind::Unterbedingung;
  });
}

bool holds_exclusive_choice(const conditions::Expr& condition) {
  return condition.kind == conditions::Expr::Kind::Xor ||
         std::ranges::any_of(condition.children, holds_exclusive_choice);
}

std::vector<ParsedOperand> parse_operands(const model::ElementRule& rule) {
  std::vector<ParsedOperand> cells;
  cells.reserve(rule.operands.size());
  for (const model::Operand& operand : rule.operands) {
    ParsedOperand parsed{conditions::Status::parse(operand.operand), false, {}, false};
    if (parsed.status && parsed.status->condition) {
      parsed.pakete = parsed.status->condition->pakete();
      parsed.names_format = names_format(*parsed.status->condition);
      parsed.exclusive = holds_exclusive_choice(*parsed.status->condition);
    }
    parsed.references_paket = !parsed.pakete.empty();
    cells.push_back(std::move(parsed));
  }
  return cells;
}

// The references a condition cannot hold without: itself, or those of every operand of a
// conjunction.
void required_references(const conditions::Expr& condition, std::vector<std::string_view>& references) {
  using Kind = conditions::Expr::Kind;
  if (condition.kind == Kind::Ref) {
    references.push_back(condition.text);
  } else if (condition.kind == Kind::And || condition.kind == Kind::Juxt) {
    for (const conditions::Expr& child : condition.children) required_references(child, references);
  }
}

// Whether a group of id `group` stands around `node`.
bool within_group(const structure::Structure& structure, structure::NodeIndex node, std::string_view group) {
  for (auto at = structure.nodes[node].parent; at; at = structure.nodes[*at].parent) {
    const auto* around = structure.nodes[*at].group();
    if (around != nullptr && around->group == group) return true;
  }
  return false;
}

// Whether the text's bound speaks of node `node`: the kind and the group and segment it names,
// and a scope group around the node.
bool bounds_node(const conditions::RepeatLimit& limit, const structure::Structure& structure,
                 structure::NodeIndex node) {
  using Target = conditions::RepeatLimit::Target;
  const structure::SNode& at = structure.nodes[node];
  if (limit.scope == conditions::RepeatLimit::Scope::Group && !within_group(structure, node, limit.scope_group)) {
    return false;
  }
  if (const auto* segment = at.segment()) {
    if (limit.target == Target::Group || (limit.target_group && !limit.target_pattern)) return false;
    if (limit.target_pattern && limit.target_pattern->tag != segment->tag) return false;
    if (!limit.target_group) return true;
    const auto* parent = at.parent ? structure.nodes[*at.parent].group() : nullptr;
    return parent != nullptr && parent->group == *limit.target_group;
  }
  if (limit.target == Target::Segment || at.children.empty()) return false;
  const auto* trigger = structure.nodes[at.children.front()].segment();
  if (trigger == nullptr) return false;
  if (limit.target_group && *limit.target_group != at.group()->group) return false;
  return !limit.target_pattern || limit.target_pattern->tag == trigger->tag;
}

// The bounds every cell of a row asks for.
std::vector<RowLimit> row_limits(const ParsedCells& cells, const conditions::ReadConditions& conditions) {
  std::vector<RowLimit> limits;
  if (cells.empty()) return limits;
  std::vector<std::string_view> references;
  for (std::size_t at = 0; at < cells.size(); ++at) {
    if (!cells[at] || !cells[at]->condition) return {};
    references.clear();
    required_references(*cells[at]->condition, references);
    if (at == 0) {
      for (const std::string_view reference : references) {
        const auto read = conditions.find(reference);
        if (read == conditions.end() || !read->second.repeat_limit) continue;
        const auto& limit = *read->second.repeat_limit;
        limits.push_back(RowLimit{read->first, &limit, limit.target_pattern && !limit.target_pattern->elements.empty()});
      }
    } else {
      std::erase_if(limits, [&](const RowLimit& limit) { return std::ranges::find(references, limit.reference) == references.end(); });
    }
  }
  return limits;
}

// The positions of `definition` that none of `sites` addresses, nor an earlier repeat of the same
// data element in the composite, and that the MIG does not mark unused ("N").
std::vector<UncoveredSite> uncovered_sites(const model::SegmentNode& definition, std::span<const RuleSite> sites) {
  const auto covered = [&](std::size_t element, std::size_t component) {
    return std::ranges::any_of(sites, [&](const RuleSite& site) {
      return site.mig != nullptr && site.element == element && site.component == component;
    });
  };
  std::vector<UncoveredSite> uncovered;
  for (std::size_t k = 0; k < definition.elements.size(); ++k) {
    const model::Element& element = definition.elements[k];
    if (element.components.empty()) {
      if (!covered(k, 0) && element.status != "N") uncovered.push_back({k, 0, &element});
      continue;
    }
    for (std::size_t j = 0; j < element.components.size(); ++j) {
      const model::Element& component = element.components[j];
      if (covered(k, j) || component.status == "N") continue;
      bool repeat_covered = false;
      for (std::size_t earlier = 0; earlier < j && !repeat_covered; ++earlier) {
        repeat_covered = element.components[earlier].id == component.id && covered(k, earlier);
      }
      if (!repeat_covered) uncovered.push_back({k, j, &component});
    }
  }
  return uncovered;
}

}  // namespace

RuleSite site_of(const model::SegmentNode& definition, const model::ElementRule& rule) {
  std::size_t seen = 0;
  const auto hit = [&](const model::Element& element) { return element.id == rule.de && seen++ == rule.occurrence; };
  for (std::size_t k = 0; k < definition.elements.size(); ++k) {
    const model::Element& element = definition.elements[k];
    if (hit(element)) return RuleSite{k, 0, &element};
    for (std::size_t j = 0; j < element.components.size(); ++j) {
      if (hit(element.components[j])) return RuleSite{k, j, &element.components[j]};
    }
  }
  return RuleSite{};
}

std::vector<AnswerSite> find_answer_sites(std::span<const model::ElementRule> elements,
                                          const model::SegmentNode& definition, std::span<const std::size_t> rules) {
  std::vector<AnswerSite> sites;
  const bool names_answer = std::ranges::any_of(rules, [&](std::size_t rule) {
    return elements[rule].de == "9013" || elements[rule].de == "4465";
  });
  if (!names_answer) return sites;
  const auto rule_of = [&](std::string_view de, std::size_t occurrence) -> std::optional<std::size_t> {
    const auto found = std::ranges::find_if(rules, [&](std::size_t index) {
      return elements[index].de == de && elements[index].occurrence == occurrence;
    });
    if (found == rules.end()) return std::nullopt;
    return *found;
  };
  for (const answer_code::Slot& slot : answer_code::slots(definition)) {
    const auto code_rule = rule_of(slot.code_de, slot.code.occurrence);
    if (!code_rule) continue;
    const model::Element& tree = definition.elements[slot.tree.element];
    const std::string_view tree_de = tree.components.empty() ? tree.id : tree.components[slot.tree.component].id;
    sites.push_back(AnswerSite{slot, *code_rule, rule_of(tree_de, slot.tree.occurrence)});
  }
  return sites;
}

Column::Column(const model::Anwendungsfall& anwendungsfall, const structure::Structure* structure,
               const conditions::ReadConditions* conditions)
    : anwendungsfall_(anwendungsfall) {
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
  operands_.reserve(elements.size());
  for (const model::ElementRule& rule : elements) {
    operands_.push_back(parse_operands(rule));
    names_pakete_ = names_pakete_ || std::ranges::any_of(operands_.back(), &ParsedOperand::references_paket);
  }
  rows_.reserve(rows.size());
  for (const model::Row& row : rows) rows_.push_back(parse_cells(row.status));
  if (structure == nullptr) return;
  node_rows_.reserve(structure->nodes.size());
  node_rules_.reserve(structure->nodes.size());
  node_sites_.reserve(structure->nodes.size());
  node_named_.reserve(structure->nodes.size());
  node_answers_.reserve(structure->nodes.size());
  node_uncovered_.reserve(structure->nodes.size());
  for (const structure::SNode& node : structure->nodes) {
    if (const auto* segment = node.segment()) {
      node_rows_.push_back(segment_row(segment->nr));
      node_rules_.push_back(rules(segment->nr));
      std::vector<RuleSite> sites;
      std::vector<char> named;
      std::vector<AnswerSite> answers;
      std::vector<UncoveredSite> uncovered;
      if (segment->def < structure->segment_defs.size()) {
        const model::SegmentNode& definition = structure->segment_defs[segment->def];
        answers = find_answer_sites(elements, definition, node_rules_.back());
        for (const std::size_t rule : node_rules_.back()) sites.push_back(site_of(definition, elements[rule]));
        uncovered = uncovered_sites(definition, sites);
        for (std::size_t k = 0; k < definition.elements.size(); ++k) {
          named.push_back(names(node_rules_.back(), definition.elements[k]) ? 1 : 0);
          for (std::size_t j = 0; j < definition.elements[k].components.size(); ++j) {
            named.push_back(names_component(node_rules_.back(), definition, k, j) ? 1 : 0);
          }
        }
      }
      node_sites_.push_back(std::move(sites));
      node_named_.push_back(std::move(named));
      node_answers_.push_back(std::move(answers));
      node_uncovered_.push_back(std::move(uncovered));
      continue;
    }
    node_sites_.emplace_back();
    node_named_.emplace_back();
    node_answers_.emplace_back();
    node_uncovered_.emplace_back();
    const auto* trigger = node.children.empty() ? nullptr : structure->nodes[node.children.front()].segment();
    const std::string_view nr = trigger != nullptr ? std::string_view(trigger->nr) : std::string_view("?");
    node_rows_.push_back(group_row(node.group()->group, nr));
    node_rules_.push_back(rules(nr));
  }
  node_pakete_.reserve(node_rules_.size());
  for (const std::span<const std::size_t> rules : node_rules_) {
    node_pakete_.push_back(std::ranges::any_of(rules, [&](std::size_t rule) {
      return std::ranges::any_of(operands_[rule], &ParsedOperand::references_paket);
    }) ? 1 : 0);
  }
  if (conditions == nullptr) return;
  std::vector<std::size_t> offsets(node_rows_.size() + 1, 0);
  for (std::size_t node = 0; node < node_rows_.size(); ++node) {
    offsets[node] = limits_.size();
    if (node_rows_[node] == nullptr) continue;
    for (const RowLimit& limit : row_limits(cells(*node_rows_[node]), *conditions)) {
      if (bounds_node(*limit.limit, *structure, node)) limits_.push_back(limit);
    }
  }
  offsets.back() = limits_.size();
  if (!limits_.empty()) limit_offsets_ = std::move(offsets);
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

bool Column::names_component(std::span<const std::size_t> rules, const model::SegmentNode& definition,
                             std::size_t element, std::size_t component) const {
  const auto& components = definition.elements[element].components;
  const model::Element& named = components[component];
  const bool repeat = std::any_of(components.begin(), components.begin() + static_cast<std::ptrdiff_t>(component),
                                  [&](const model::Element& earlier) { return earlier.id == named.id; });
  if (!repeat) return names(rules, named);
  return std::ranges::any_of(rules, [&](std::size_t at) {
    const RuleSite site = site_of(definition, anwendungsfall_.elements[at]);
    return site.mig != nullptr && site.element == element && site.component == component;
  });
}

ParsedCells parse_cells(std::span<const std::string> cells) {
  ParsedCells parsed;
  parsed.reserve(cells.size());
  for (const std::string& cell : cells) parsed.push_back(conditions::Status::parse(cell));
  return parsed;
}

std::string status_text(std::span<const std::string> cells) { return fmt::format("{}", fmt::join(cells, " | ")); }

}  // namespace edi_energy::profile::validate

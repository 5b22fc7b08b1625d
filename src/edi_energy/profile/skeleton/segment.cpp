#include <algorithm>
#include <utility>

#include "edifact/model/segment_builder.hpp"
#include "edi_energy/profile/conditions/status.hpp"
#include "edi_energy/profile/conditions/voraussetzung.hpp"
#include "edi_energy/profile/formatbedingung/formatbedingung.hpp"
#include "edi_energy/profile/skeleton/format_fit.hpp"
#include "edi_energy/profile/skeleton/generator.hpp"
#include "edi_energy/profile/skeleton/mandatory.hpp"

namespace edi_energy::profile::skeleton {

namespace {

bool is_m_or_r(const std::string& status) { return status == "M" || status == "R"; }

const model::ElementRule* rule_of(std::span<const model::ElementRule* const> rules, const Leaf& leaf) {
  const auto found = std::ranges::find_if(rules, [&](const model::ElementRule* rule) {
    return rule->de == leaf.def->id && rule->occurrence == leaf.occurrence;
  });
  return found == rules.end() ? nullptr : *found;
}

void put(TextTable& table, std::size_t i, std::size_t j, std::string value) {
  if (table.size() <= i) table.resize(i + 1);
  if (table[i].size() <= j) table[i].resize(j + 1);
  table[i][j] = std::move(value);
}

void trim(std::vector<std::string>& components) {
  while (!components.empty() && components.back().empty()) components.pop_back();
}

}  // namespace

bool takes_forced_value(std::span<const model::ElementRule* const> rules, const Leaf& leaf,
                        const model::ElementRule* rule) {
  return rule != nullptr || rules.empty() ||
         std::ranges::none_of(rules, [&](const model::ElementRule* candidate) { return candidate->de == leaf.def->id; });
}

std::optional<std::string> mig_code(std::span<const model::Code> codes, std::size_t n) {
  if (codes.empty()) return std::nullopt;
  return codes[n % codes.size()].code;
}

void Generator::note_rotation(const model::SegmentNode& node, const Leaf& leaf, std::size_t count) const {
  if (count < 2) return;
  auto& counts = rotation_uses_[ElementKey{node.nr, leaf.def->id}];
  if (std::ranges::find(counts, count) == counts.end()) counts.push_back(count);
}

std::string Generator::mig_value(const model::SegmentNode& node, const Leaf& leaf, std::size_t n,
                                 std::span<const std::vector<std::string>> finished,
                                 std::span<const std::string> current) const {
  if (leaf.def->is_code_list()) {
    note_rotation(node, leaf, leaf.def->codes.size());
    if (auto code = mig_code(leaf.def->codes, n)) return std::move(*code);
  }
  return synthetic(node, leaf, finished, current);
}

std::string Generator::forced(const model::SegmentNode& node, const Leaf& leaf, const model::ElementRule* rule,
                              std::size_t n, std::span<const std::vector<std::string>> finished,
                              std::span<const std::string> current) const {
  if (rule != nullptr) {
    std::vector<const std::string*> codes;
    for (const model::Operand& operand : rule->operands) {
      if (operand.code) codes.push_back(&*operand.code);
    }
    if (!codes.empty()) {
      note_rotation(node, leaf, codes.size());
      return *codes[n % codes.size()];
    }
  }
  return mig_value(node, leaf, n, finished, current);
}

std::string Generator::fit_to_conditions(std::string value, const model::ElementRule& rule) const {
  std::vector<conditions::Expr> exprs;
  for (const model::Operand& operand : rule.operands) {
    if (operand.code) continue;
    auto status = conditions::Status::parse(operand.operand);
    if (status && is_mandatory_level(status->level) && status->condition) exprs.push_back(std::move(*status->condition));
  }
  const auto rejected = [&exprs](std::string_view candidate) {
    std::vector<formatbedingung::Finding> findings;
    return std::ranges::any_of(exprs, [&](const conditions::Expr& expr) {
      return formatbedingung::fold(expr, candidate, findings) == conditions::Truth::False;
    });
  };
  if (!rejected(value)) return value;
  for (const conditions::Expr& expr : exprs) {
    std::vector<std::string_view> references;
    expr.collect(references);
    for (const std::string_view reference : references) {
      const auto example = formatbedingung::example(reference);
      if (example && !rejected(*example)) return std::string(*example);
    }
  }
  return value;
}

edifact::model::Segment Generator::segment(const model::SegmentNode& node, const Pin* pin) const {
  std::vector<const model::ElementRule*> rules;
  for (const model::ElementRule& rule : anwendungsfall_.elements) {
    if (rule.nr == node.nr) rules.push_back(&rule);
  }

  const std::vector<Leaf> all_leaves = leaves(node);
  TextTable table;
  std::size_t at = 0;
  for (std::size_t i = 0; i < node.elements.size(); ++i) {
    const model::Element& element = node.elements[i];
    const bool mandatory = element.components.empty() || is_m_or_r(element.status);
    std::vector<std::string> current;
    const std::size_t first_leaf = at;
    for (; at < all_leaves.size() && all_leaves[at].element == i; ++at) {
      const Leaf& leaf = all_leaves[at];
      const std::span<const std::vector<std::string>> finished(table);
      const ElementKey key{node.nr, leaf.def->id};
      const model::ElementRule* rule = rule_of(rules, leaf);
      const std::size_t n = rotation(key);
      const bool required = mandatory && is_m_or_r(leaf.def->status);
      std::string value;
      if (pin != nullptr && pin->de == leaf.def->id && pin->occurrence == leaf.occurrence) {
        value = pin->code;
      } else if (suppressed_element(key)) {
      } else if (forced_element(key) && takes_forced_value(rules, leaf, rule)) {
        value = forced(node, leaf, rule, n, finished, current);
      } else if (rule == nullptr) {
        if (required) value = mig_value(node, leaf, n, finished, current);
      } else {
        std::vector<std::string> candidates;
        bool coded = false;
        bool code_less_demand = false;
        // A value of a required composite that the column marks X on a condition only the message
        // decides (a role, a Sparte): the segment is written, so leaving it empty is never right.
        const bool in_required_composite = !element.components.empty() && is_m_or_r(element.status);
        bool undecided_demand = false;
        for (const model::Operand& operand : rule->operands) {
          if (operand.code) coded = true;
          const bool demanded = demands(profile_, operand.operand);
          if (operand.code && demanded) candidates.push_back(*operand.code);
          if (!operand.code && demanded) code_less_demand = true;
          if (!operand.code && !demanded && in_required_composite && may_demand(profile_, operand.operand)) {
            undecided_demand = true;
          }
        }
        const std::size_t required_codes = candidates.size();
        for (const model::Operand& operand : rule->operands) {
          if (operand.code && std::ranges::find(candidates, *operand.code) == candidates.end()) {
            candidates.push_back(*operand.code);
          }
        }
        if (coded) {
          if (required || required_codes != 0) {
            note_rotation(node, leaf, candidates.size());
            value = candidates[n % candidates.size()];
          }
        } else if (code_less_demand || required || undecided_demand) {
          if (leaf.def->is_code_list()) {
            value = mig_value(node, leaf, n, finished, current);
          } else {
            value = fit_to_conditions(synthetic(node, leaf, finished, current), *rule);
          }
        }
      }
      current.push_back(std::move(value));
    }
    const auto filled = [](const std::vector<std::string>& texts) {
      return std::ranges::any_of(texts, [](const std::string& text) { return !text.empty(); });
    };
    if (!element.components.empty() && is_m_or_r(element.status) && !filled(current)) {
      fill_required_composite(rules, std::span(all_leaves).subspan(first_leaf, at - first_leaf), current);
    }
    if (!mandatory && filled(current)) {
      for (std::size_t k = first_leaf; k < at; ++k) {
        const Leaf& leaf = all_leaves[k];
        std::string& slot = current[leaf.component];
        const ElementKey key{node.nr, leaf.def->id};
        if (!slot.empty() || !is_m_or_r(leaf.def->status) || suppressed_element(key)) continue;
        slot = forced(node, leaf, rule_of(rules, leaf), rotation(key), table, current);
      }
    }
    trim(current);
    table.push_back(std::move(current));
  }

  imply_values(node, rules, all_leaves, table);
  sample_answers(node, rules, table, nullptr);
  fit_formats_in_segment(profile_, node, rules, all_leaves, table,
                         [this](std::string_view reference) { return truth_here(reference); });

  while (!table.empty() && table.back().empty()) table.pop_back();
  edifact::model::SegmentBuilder builder(node.tag);
  for (const auto& components : table) {
    builder.element();
    for (const std::string& text : components) builder.component(text);
  }
  return builder.build();
}

void Generator::fill_required_composite(std::span<const model::ElementRule* const> rules,
                                        std::span<const Leaf> composite, std::vector<std::string>& current) const {
  // The MIG requires the composite, and every code the column names for it hangs on a condition
  // only the message decides (a Sparte, a role): the first such code beats an empty composite.
  for (const Leaf& leaf : composite) {
    const model::ElementRule* rule = rule_of(rules, leaf);
    if (rule == nullptr || suppressed_element(ElementKey{rule->nr, leaf.def->id})) continue;
    for (const model::Operand& operand : rule->operands) {
      if (!operand.code || !may_demand(profile_, operand.operand)) continue;
      current[leaf.component] = *operand.code;
      return;
    }
  }
}

void Generator::imply_values(const model::SegmentNode& node, std::span<const model::ElementRule* const> rules,
                             std::span<const Leaf> all_leaves, TextTable& table) const {
  std::vector<std::pair<std::string, std::string>> implied;
  for (const model::ElementRule* rule : rules) {
    for (const model::Operand& operand : rule->operands) {
      if (!operand.code) continue;
      const auto status = conditions::Status::parse(operand.operand);
      if (!status || !is_mandatory_level(status->level) || !status->condition) continue;
      const std::string* standing = text_at(all_leaves, table, rule->de, rule->occurrence);
      if (standing == nullptr || *standing != *operand.code) continue;
      std::vector<std::string_view> references;
      status->condition->collect(references);
      for (const std::string_view reference : references) {
        const auto text = profile_.ahb().conditions.find(reference);
        if (text == profile_.ahb().conditions.end()) continue;
        const auto voraussetzung = conditions::Voraussetzung::parse(text->second);
        if (!voraussetzung) continue;
        const auto* value = std::get_if<conditions::Voraussetzung::DeValue>(&voraussetzung->shape);
        if (value == nullptr || value->negated || value->tag != node.tag || value->de == rule->de ||
            value->values.empty()) {
          continue;
        }
        if (std::ranges::any_of(implied, [&](const auto& pair) { return pair.first == value->de; })) continue;
        implied.emplace_back(value->de, value->values.front());
      }
    }
  }
  for (auto& [de, value] : implied) {
    for (const Leaf& leaf : all_leaves) {
      if (leaf.def->id != de || suppressed_element(ElementKey{node.nr, de})) continue;
      const std::string* standing = text_at(all_leaves, table, de, leaf.occurrence);
      if (standing == nullptr || standing->empty()) put(table, leaf.element, leaf.component, std::move(value));
      break;
    }
  }
}

}  // namespace edi_energy::profile::skeleton

// The sample answer code: a code that the Entscheidungsbaum named beside it publishes, in the
// cluster the column asks for, never a placeholder that no tree knows.
#include <algorithm>

#include "edi_energy/profile/answer_code.hpp"
#include "edi_energy/profile/conditions/status.hpp"
#include "edi_energy/profile/skeleton/generator.hpp"
#include "edi_energy/profile/skeleton/mandatory.hpp"

namespace edi_energy::profile::skeleton {
namespace {

std::string* place_in(TextTable& table, const answer_code::Place& place) {
  if (place.element >= table.size() || place.component >= table[place.element].size()) return nullptr;
  return &table[place.element][place.component];
}

}  // namespace

void Generator::sample_answers(const model::SegmentNode& node, std::span<const model::ElementRule* const> rules,
                               TextTable& table,
                               const std::vector<std::pair<std::size_t, std::size_t>>* written) const {
  if (std::ranges::none_of(rules, [](const model::ElementRule* rule) { return rule->de == "9013" || rule->de == "4465"; })) {
    return;
  }
  for (const answer_code::Slot& slot : answer_code::slots(node)) {
    if (written != nullptr &&
        std::ranges::find(*written, std::pair{slot.code.element, slot.code.component}) == written->end()) {
      continue;
    }
    std::string* code = place_in(table, slot.code);
    if (code == nullptr || code->empty()) continue;
    const auto rule_of = [&](std::string_view de, std::size_t occurrence) {
      return std::ranges::find_if(rules, [&](const model::ElementRule* candidate) {
        return candidate->de == de && candidate->occurrence == occurrence;
      });
    };
    const auto rule = rule_of(slot.code_de, slot.code.occurrence);
    // The tree the segment names; for an AJT without one, the first the column may name there.
    std::vector<std::string_view> listed;
    if (const std::string* named = place_in(table, slot.tree); named != nullptr && !named->empty()) {
      listed.push_back(*named);
    } else if (slot.tree_from_column) {
      const model::Element& holder = node.elements[slot.tree.element];
      const std::string& tree_de = holder.components.empty() ? holder.id : holder.components[slot.tree.component].id;
      if (const auto tree_rule = rule_of(tree_de, slot.tree.occurrence); tree_rule != rules.end()) {
        for (const model::Operand& operand : (*tree_rule)->operands) {
          if (operand.code && may_demand(profile_, operand.operand)) listed.push_back(*operand.code);
        }
      }
    }
    if (listed.empty() || !answer_code::named_tree(listed.front())) continue;
    // The code stands as the column or the layout names it; only a made-up sample is replaced.
    const model::Element& element = node.elements[slot.code.element].components.empty()
                                        ? node.elements[slot.code.element]
                                        : node.elements[slot.code.element].components[slot.code.component];
    if (element.is_code_list()) continue;
    if (rule != rules.end() &&
        std::ranges::any_of((*rule)->operands, [](const model::Operand& operand) { return operand.code.has_value(); })) {
      continue;
    }
    // Without a message only a cluster the column asks for unconditionally is known.
    std::vector<answer_code::ClusterDemand> asked;
    if (rule != rules.end()) {
      std::vector<std::string_view> references;
      for (const model::Operand& operand : (*rule)->operands) {
        const auto status = conditions::Status::parse(operand.operand);
        if (!status || !status->condition || !demands(profile_, *status)) continue;
        references.clear();
        status->condition->collect(references);
        for (const std::string_view reference : references) {
          const auto text = profile_.ahb().conditions.find(reference);
          if (text == profile_.ahb().conditions.end()) continue;
          auto demand = answer_code::read_cluster_demand(text->second);
          if (demand && !demand->conditional) asked.push_back(std::move(*demand));
        }
      }
    }
    auto fitting = answer_code::fitting_codes(listed.front(), asked);
    if (fitting->empty()) fitting = answer_code::fitting_codes(listed.front(), {});
    if (fitting->empty()) continue;
    const auto rotation = keys_.code_rotation.find(ElementKey{node.nr, std::string(slot.code_de)});
    const std::size_t n = rotation == keys_.code_rotation.end() ? 0 : rotation->second;
    *code = std::string((*fitting)[n % fitting->size()]);
  }
}

}  // namespace edi_energy::profile::skeleton

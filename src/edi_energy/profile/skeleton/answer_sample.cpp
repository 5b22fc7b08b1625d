// The sample answer code: a code that the Entscheidungsbaum named beside it publishes, in the
// cluster the column asks for and of the answer's own kind, never a placeholder that no tree knows.
#include <algorithm>

#include "edi_energy/profile/answer_code.hpp"
#include "edi_energy/profile/conditions/status.hpp"
#include "edi_energy/profile/skeleton/generator.hpp"
#include "edi_energy/profile/skeleton/mandatory.hpp"
#include "zelk/fristen/antwort.hpp"

namespace edi_energy::profile::skeleton {
namespace {

std::string* place_in(TextTable& table, const answer_code::Place& place) {
  if (place.element >= table.size() || place.component >= table[place.element].size()) return nullptr;
  return &table[place.element][place.component];
}

// A Bestätigung agrees and an Ablehnung refuses, whatever tree the column names first; none
// where the records do not tell which of the two the Prüfidentifikator is.
std::optional<answer_code::Cluster> cluster_of_answer(const model::Anwendungsfall& anwendungsfall) {
  if (!anwendungsfall.pid) return std::nullopt;
  const auto kind = zelk_fristen::antwort::answer_kind(*anwendungsfall.pid);
  if (!kind) return std::nullopt;
  return *kind == zelk_fristen::antwort::AnswerKind::bestaetigung ? answer_code::Cluster::Zustimmung
                                                                   : answer_code::Cluster::Ablehnung;
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
    const auto column_trees = [&] {
      std::vector<std::string_view> trees;
      const model::Element& holder = node.elements[slot.tree.element];
      const std::string& tree_de = holder.components.empty() ? holder.id : holder.components[slot.tree.component].id;
      if (const auto tree_rule = rule_of(tree_de, slot.tree.occurrence); tree_rule != rules.end()) {
        for (const model::Operand& operand : (*tree_rule)->operands) {
          if (operand.code && may_demand(profile_, operand.operand)) trees.push_back(*operand.code);
        }
      }
      return trees;
    };
    // The tree the segment names; for an AJT without one, the first the column may name there.
    std::string* const named = place_in(table, slot.tree);
    std::vector<std::string_view> listed;
    if (named != nullptr && !named->empty()) {
      listed.push_back(*named);
    } else if (slot.tree_from_column) {
      listed = column_trees();
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
    std::vector<std::string_view> fitting;
    if (const auto kind = cluster_of_answer(anwendungsfall_)) {
      // A tree this round wrote may give way to another the column lists, so that a Bestätigung
      // whose first tree only refuses (a Vorprüfung) still agrees; a tree the seed named stays.
      const bool tree_written = named != nullptr && !named->empty() &&
                                (written == nullptr ||
                                 std::ranges::find(*written, std::pair{slot.tree.element, slot.tree.component}) !=
                                     written->end());
      if (tree_written) {
        for (const std::string_view tree : column_trees()) {
          if (std::ranges::find(listed, tree) == listed.end()) listed.push_back(tree);
        }
      }
      for (std::size_t k = 0; k < listed.size(); ++k) {
        auto of_kind = answer_code::fitting_codes(listed[k], asked, kind);
        if (!of_kind || of_kind->empty()) continue;
        fitting = std::move(*of_kind);
        // Every tree but the first comes from the column's rules, never from the table itself.
        if (tree_written && k != 0) *named = std::string(listed[k]);
        break;
      }
    }
    if (fitting.empty()) fitting = *answer_code::fitting_codes(listed.front(), asked);
    if (fitting.empty()) fitting = *answer_code::fitting_codes(listed.front(), {});
    if (fitting.empty()) continue;
    const std::size_t n = rotation(ElementKey{node.nr, std::string(slot.code_de)});
    *code = std::string(fitting[n % fitting.size()]);
  }
}

}  // namespace edi_energy::profile::skeleton

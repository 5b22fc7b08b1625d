#include "quorvane_native/edifact/answer_kind.hpp"

#include <algorithm>
#include <array>
#include <string_view>

#include "edi_energy/profile/answer_code.hpp"
#include "quorvane_native/antwortcodes/lookup.hpp"
#include "zelk/fristen/antwort.hpp"

namespace quorvane_native::edifact {

namespace {

using edi_energy::profile::answer_code::Cluster;
using edi_energy::profile::answer_code::ClusterDemand;

// Zustimmung or Ablehnung, from the record of the request or, without one, from the records
// that name the answer PID, when they agree.
std::optional<Cluster> kind_of(std::optional<std::uint32_t> request_pid, std::uint32_t answer_pid) {
  const auto kind_in = [answer_pid](const zelk_fristen::antwort::AntwortObligation& record) -> std::optional<Cluster> {
    if (record.bestaetigung_pid == answer_pid) return Cluster::Zustimmung;
    if (record.ablehnung_pid == answer_pid) return Cluster::Ablehnung;
    return std::nullopt;
  };
  if (request_pid) {
    if (const auto* record = zelk_fristen::antwort::antwort_obligation(*request_pid)) {
      if (auto kind = kind_in(*record)) return kind;
    }
  }
  std::optional<Cluster> found;
  for (const auto& record : zelk_fristen::antwort::answer_obligation_table()) {
    const auto kind = kind_in(record);
    if (!kind) continue;
    if (found && *found != *kind) return std::nullopt;
    found = kind;
  }
  return found;
}

// The trees the column lists in DE 1131 of its STS+E01, in rule order.
std::vector<std::string> listed_trees(const ColumnRef& column) {
  const auto& rules = column.anwendungsfall->elements;
  const auto category = std::ranges::find_if(rules, [](const auto& rule) {
    return rule.de == "9015" &&
           std::ranges::any_of(rule.operands, [](const auto& operand) { return operand.code == "E01"; });
  });
  std::vector<std::string> trees;
  if (category == rules.end()) return trees;
  for (const auto& rule : rules) {
    if (rule.nr != category->nr || rule.de != "1131") continue;
    for (const auto& operand : rule.operands) {
      if (operand.code && std::ranges::find(trees, *operand.code) == trees.end()) trees.push_back(*operand.code);
    }
  }
  return trees;
}

bool needs_erlaeuterung(std::string_view tree, std::string_view code) {
  const auto named = edi_energy::profile::answer_code::named_tree(tree);
  const auto row = antwortcodes::antwort_code(named ? named->tree : tree, code);
  return row && row->braucht_bemerkung;
}

}  // namespace

std::vector<AntwortChoice> codes_of_answer_kind(std::optional<std::uint32_t> request_pid, std::uint32_t answer_pid,
                                                const ColumnRef& column) {
  std::vector<AntwortChoice> choices;
  const auto kind = kind_of(request_pid, answer_pid);
  if (!kind) return choices;
  const std::array<ClusterDemand, 1> demand{ClusterDemand{.cluster = *kind, .conditional = false, .except = {}}};
  for (const std::string& tree : listed_trees(column)) {
    const auto codes = edi_energy::profile::answer_code::fitting_codes(tree, demand);
    if (!codes) continue;
    for (const std::string_view code : *codes) choices.push_back(AntwortChoice{std::string(code), tree});
  }
  std::ranges::stable_partition(choices, [](const AntwortChoice& choice) {
    return !needs_erlaeuterung(choice.tree, choice.code);
  });
  return choices;
}

}  // namespace quorvane_native::edifact

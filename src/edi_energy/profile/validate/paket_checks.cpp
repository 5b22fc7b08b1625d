// How often each code of a Paket occurs among the segments it counts over, against the
// Paket's bounds.
#include <optional>
#include <unordered_set>

#include <fmt/format.h>

#include "edi_energy/profile/conditions/paket.hpp"
#include "edi_energy/profile/validate/ahb_run.hpp"
#include "support/debug_quote.hpp"

namespace edi_energy::profile::validate {
namespace {

using conditions::Truth;
using edifact::report::Severity;
using edifact::report::ValidationIssue;

struct CountingScope {
  structure::InstanceIndex scope;
  structure::NodeIndex node;
};

// A segment that may stand only once in its group counts with that group's repetitions: climb
// while the repetition is fixed at one.
std::vector<CountingScope> counting_scopes(const AhbRun& run) {
  struct PairHash {
    std::size_t operator()(const std::pair<std::size_t, std::size_t>& p) const {
      return std::hash<std::size_t>{}(p.first * 0x9E3779B97F4A7C15ULL ^ p.second);
    }
  };
  std::unordered_set<std::pair<std::size_t, std::size_t>, PairHash> seen;
  std::vector<CountingScope> scopes;
  for (const auto& placement : run.resolution.placements) {
    if (!placement) continue;
    structure::NodeIndex node = placement->node;
    structure::InstanceIndex instance = placement->instance;
    while (run.structure.nodes[node].max == 1) {
      const structure::Instance& current = run.resolution.instances[instance];
      if (!current.is_group() || !current.parent) break;
      node = *current.node;
      instance = *current.parent;
    }
    if (seen.emplace(instance, placement->node).second) scopes.push_back({instance, placement->node});
  }
  return scopes;
}

void check_operand(AhbRun& run, const CountingScope& counting, const model::SegmentNode& definition,
                   const model::ElementRule& rule, const RuleTarget& target, const model::Operand& operand,
                   const conditions::Status& status, std::span<const conditions::Paket> pakete) {
  // Asked only when a count falls short of a minimum.
  std::optional<Truth> truth;
  const auto condition_holds = [&] {
    if (!truth) truth = condition_truth(run.ctx, status.condition, counting.scope);
    return holds(*truth);
  };
  const structure::Instance& instance = run.resolution.instances[counting.scope];
  std::size_t count = 0;
  for (std::size_t at = instance.start; at < instance.end && at < run.segments.size(); ++at) {
    const auto& placement = run.resolution.placements[at];
    if (!placement || placement->node != counting.node) continue;
    if (text_at(run.segments[at], target.position) == std::optional<std::string_view>(*operand.code)) ++count;
  }
  const auto report = [&](std::string message, std::string_view suffix) {
    run.findings.push_back(ValidationIssue(Severity::Error, std::move(message))
                               .with_rule_id(fmt::format("AHB-{}-{}-{}-{}-{}", run.label, definition.nr,
                                                         definition.tag, rule.de, suffix))
                               .with_context_entry("pid", run.label)
                               .with_context_entry("nr", definition.nr)
                               .with_context_entry("de", rule.de)
                               .with_segment(definition.tag)
                               .with_element(target.position.element)
                               .with_component(target.position.component));
  };
  for (const conditions::Paket& paket : pakete) {
    const auto paket_truth = run.ctx.paket_truth(paket.name, counting.scope);
    if (!paket_truth || *paket_truth != Truth::True) continue;
    // Formatted only for a Paket whose bounds are broken.
    const auto lead = [&] {
      return fmt::format("{} (Nr {}): DE {} „{}“ carries {} {} times{}; Paket {} of {}", definition.tag, definition.nr,
                         rule.de, target.element->name, support::debug_quote(*operand.code), count,
                         scope_suffix(run.structure, run.resolution, counting.scope), paket.name, run.label);
    };
    if (paket.max && count > *paket.max) report(fmt::format("{} allows {}", lead(), *paket.max), "PAKET-MAX");
    if (count < paket.min && is_mandatory(status.level) && condition_holds()) {
      report(fmt::format("{} asks for {} — AHB operand {}", lead(), paket.min, operand.operand), "PAKET-MIN");
    }
  }
}

}  // namespace

void paket_checks(AhbRun& run) {
  for (const CountingScope& counting : counting_scopes(run)) {
    const model::SegmentNode* definition = definition_of(run.structure, counting.node);
    if (definition == nullptr || run.column.segment_row(counting.node, definition->nr) == nullptr) continue;
    const auto rules = run.column.rules(counting.node, definition->nr);
    for (std::size_t nth = 0; nth < rules.size(); ++nth) {
      const model::ElementRule& rule = run.column.anwendungsfall().elements[rules[nth]];
      const auto target = locate(run.column, counting.node, nth, *definition, rule);
      if (!target) continue;
      const auto& cells = run.column.operands(rules[nth]);
      for (std::size_t k = 0; k < cells.size(); ++k) {
        const auto& status = cells[k].status;
        if (!rule.operands[k].code || !status || !status->condition) continue;
        check_operand(run, counting, *definition, rule, *target, rule.operands[k], *status, cells[k].pakete);
      }
    }
  }
}

}  // namespace edi_energy::profile::validate

// How often each code of a Paket occurs among the segments it counts over, against the
// Paket's bounds.
#include <algorithm>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

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
  // Deduplicated by sorting one vector rather than through a hash set: one allocation, not
  // one per scope. `order` keeps the scopes in the order they are first met.
  struct Met {
    structure::InstanceIndex scope;
    structure::NodeIndex node;
    std::size_t order;
  };
  std::vector<Met> met;
  met.reserve(run.resolution.placements.size());
  for (const auto& placement : run.resolution.placements) {
    // A node whose rules name no Paket has nothing to count.
    if (!placement || !run.column.names_pakete(placement->node)) continue;
    structure::NodeIndex node = placement->node;
    structure::InstanceIndex instance = placement->instance;
    while (run.structure.nodes[node].max == 1) {
      const structure::Instance& current = run.resolution.instances[instance];
      if (!current.is_group() || !current.parent) break;
      node = *current.node;
      instance = *current.parent;
    }
    met.push_back({instance, placement->node, met.size()});
  }
  const auto key = [](const Met& m) { return std::pair<std::size_t, std::size_t>(m.scope, m.node); };
  std::ranges::sort(met, [&](const Met& a, const Met& b) {
    return std::pair(key(a), a.order) < std::pair(key(b), b.order);
  });
  const auto duplicates = std::ranges::unique(met, {}, key);
  met.erase(duplicates.begin(), duplicates.end());
  std::ranges::sort(met, {}, &Met::order);
  std::vector<CountingScope> scopes;
  scopes.reserve(met.size());
  for (const Met& m : met) scopes.push_back({m.scope, m.node});
  return scopes;
}

// The segments placed at the counted node, from `first` up to `end`.
struct Counted {
  structure::InstanceIndex scope;
  std::size_t first;
  std::size_t end;
};

// The instance of `group` at or below `top` that holds the segment's own instance; `top` when
// none does.
structure::InstanceIndex instance_of(const AhbRun& run, structure::InstanceIndex at, structure::InstanceIndex top,
                                     std::string_view group) {
  for (structure::InstanceIndex walk = at; walk != top;) {
    const structure::Instance& instance = run.resolution.instances[walk];
    const auto* node = instance.node ? run.structure.nodes[*instance.node].group() : nullptr;
    if (node != nullptr && node->group == group) return walk;
    if (!instance.parent) break;
    walk = *instance.parent;
  }
  return top;
}

void check_paket(AhbRun& run, const CountingScope& counting, Counted counted, const model::SegmentNode& definition,
                 const model::ElementRule& rule, const RuleTarget& target, const model::Operand& operand,
                 const conditions::Status& status, const conditions::Paket& paket) {
  const auto paket_truth = run.ctx.paket_truth(paket.name, counted.scope);
  if (!paket_truth || *paket_truth != Truth::True) return;
  std::size_t count = 0;
  for (std::size_t at = counted.first; at < counted.end; ++at) {
    const auto& placement = run.resolution.placements[at];
    if (!placement || placement->node != counting.node) continue;
    if (text_at(run.segments[at], target.position) == std::optional<std::string_view>(*operand.code)) ++count;
  }
  const auto report = [&](std::string message, std::string_view suffix) {
    run.findings.push_back(in_scope(ValidationIssue(Severity::Error, std::move(message))
                                        .with_rule_id(fmt::format("AHB-{}-{}-{}-{}-{}", run.label, definition.nr,
                                                                  definition.tag, rule.de, suffix))
                                        .with_context_entry("pid", run.label)
                                        .with_context_entry("nr", definition.nr)
                                        .with_context_entry("de", rule.de)
                                        .with_segment(definition.tag)
                                        .with_element(target.position.element)
                                        .with_component(target.position.component),
                                    run.resolution, counted.scope));
  };
  // Formatted only for a Paket whose bounds are broken.
  const auto lead = [&] {
    return fmt::format("{} (Nr {}): DE {} „{}“ carries {} {} times{}; Paket {} of {}", definition.tag, definition.nr,
                       rule.de, target.element->name, support::debug_quote(*operand.code), count,
                       scope_suffix(run.structure, run.resolution, counted.scope), paket.name, run.label);
  };
  if (paket.max && count > *paket.max) report(fmt::format("{} allows {}", lead(), *paket.max), "PAKET-MAX");
  if (count < paket.min && is_mandatory(status.level) &&
      holds(condition_truth(run.ctx, status.condition, counted.scope))) {
    report(fmt::format("{} asks for {} — AHB operand {}", lead(), paket.min, operand.operand), "PAKET-MIN");
  }
}

void check_operand(AhbRun& run, const CountingScope& counting, const model::SegmentNode& definition,
                   const model::ElementRule& rule, const RuleTarget& target, const model::Operand& operand,
                   const conditions::Status& status, std::span<const conditions::Paket> pakete) {
  const structure::Instance& instance = run.resolution.instances[counting.scope];
  const std::size_t end = std::min(instance.end, run.segments.size());
  for (const conditions::Paket& paket : pakete) {
    // A Paket is counted in the instance its own condition is decided in: "Wenn SG10 QTY …" per
    // SG10, so that each substituted value of a Lastgang carries its own statuses. A Paket without
    // such a text counts over the whole climb, where a second SEQ+ZH0 of one Vorgang is caught.
    const auto group = run.ctx.paket_group(paket.name);
    if (!group) {
      check_paket(run, counting, {counting.scope, instance.start, end}, definition, rule, target, operand, status,
                  paket);
      continue;
    }
    std::optional<Counted> open;
    for (std::size_t at = instance.start; at < end; ++at) {
      const auto& placement = run.resolution.placements[at];
      if (!placement || placement->node != counting.node) continue;
      const structure::InstanceIndex scope = instance_of(run, placement->instance, counting.scope, *group);
      if (open && open->scope != scope) {
        check_paket(run, counting, *open, definition, rule, target, operand, status, paket);
        open.reset();
      }
      if (!open) open = Counted{scope, at, at};
      open->end = at + 1;
    }
    if (open) check_paket(run, counting, *open, definition, rule, target, operand, status, paket);
  }
}

}  // namespace

void paket_checks(AhbRun& run) {
  if (!run.column.names_pakete()) return;
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
        // An operand that names no Paket has no bounds to count against.
        if (!rule.operands[k].code || !status || !status->condition || cells[k].pakete.empty()) continue;
        check_operand(run, counting, *definition, rule, *target, rule.operands[k], *status, cells[k].pakete);
      }
    }
  }
}

}  // namespace edi_energy::profile::validate

// Answer codes against the Entscheidungsbaum named beside them: a code the tree does not
// publish, or one outside the cluster the column asks for, is an error. Where the catalogue
// does not carry the tree, nothing is known and nothing is reported.
#include <algorithm>

#include <fmt/format.h>
#include <fmt/ranges.h>

#include "edi_energy/profile/answer_code.hpp"
#include "edi_energy/profile/validate/ahb_run.hpp"
#include "support/debug_quote.hpp"

namespace edi_energy::profile::validate {
namespace {

using answer_code::ClusterDemand;
using conditions::Truth;
using edifact::report::Severity;
using edifact::report::ValidationIssue;

// The clusters the operands that apply here ask for. A "Wenn …" text asks only where its own
// precondition holds.
std::vector<ClusterDemand> demands_here(const AhbRun& run, std::size_t rule_index, structure::InstanceIndex scope,
                                        OwnSegment own) {
  std::vector<ClusterDemand> demands;
  std::vector<std::string_view> references;
  for (const ParsedOperand& cell : run.column.operands(rule_index)) {
    if (!cell.status || !cell.status->condition || !is_mandatory(cell.status->level)) continue;
    if (!holds(condition_truth(run.ctx, cell.status->condition, scope, own))) continue;
    references.clear();
    cell.status->condition->collect(references);
    for (const std::string_view reference : references) {
      const auto text = run.profile.ahb().conditions.find(reference);
      if (text == run.profile.ahb().conditions.end()) continue;
      auto demand = answer_code::read_cluster_demand(text->second);
      if (!demand) continue;
      if (demand->conditional) {
        const auto truth = run.ctx.decide_reference(reference, scope, own);
        if (!truth || *truth != Truth::True) continue;
      }
      demands.push_back(std::move(*demand));
    }
  }
  return demands;
}

std::string codes_text(std::span<const std::string_view> codes) {
  return codes.empty() ? std::string("no code") : fmt::format("{}", fmt::join(codes, ", "));
}

}  // namespace

void answer_codes(AhbRun& run, std::size_t segment, const model::SegmentNode& definition,
                  structure::InstanceIndex scope, structure::NodeIndex node, std::span<const std::size_t> rules) {
  const auto& elements = run.column.anwendungsfall().elements;
  const OwnSegment own{definition.tag, segment};
  std::vector<AnswerSite> computed;
  std::span<const AnswerSite> sites = run.column.answer_sites(node);
  if (!run.column.prepared(node)) {
    computed = find_answer_sites(elements, definition, rules);
    sites = computed;
  }
  for (const AnswerSite& site : sites) {
    const answer_code::Slot& slot = site.slot;
    const edifact::model::Segment& message_segment = run.segments[segment];
    const Position code_at{slot.code.element, slot.code.component};
    const std::string_view value = text_at(message_segment, code_at).value_or(std::string_view{});
    if (value.empty()) continue;
    const std::size_t rule = site.code_rule;
    // The tree the segment names; for an AJT without one, those the column may name there.
    std::vector<std::string_view> listed;
    if (const auto named = text_at(message_segment, {slot.tree.element, slot.tree.component}); named && !named->empty()) {
      listed.push_back(*named);
    } else if (!slot.tree_from_column) {
      continue;
    } else if (const auto tree_rule = site.tree_rule) {
      const auto& cells = run.column.operands(*tree_rule);
      for (std::size_t at = 0; at < cells.size(); ++at) {
        const auto& code = elements[*tree_rule].operands[at].code;
        if (!code) continue;
        const auto& status = cells[at].status;
        if (status && is_mandatory(status->level) &&
            condition_truth(run.ctx, status->condition, scope, own) == Truth::False) {
          continue;
        }
        listed.push_back(*code);
      }
    }
    const auto names = answer_code::known_names(listed);
    if (!names) continue;

    const model::Element& element = definition.elements[slot.code.element].components.empty()
                                        ? definition.elements[slot.code.element]
                                        : definition.elements[slot.code.element].components[slot.code.component];
    const auto report = [&](std::string message, std::string_view suffix) {
      run.findings.push_back(ValidationIssue(Severity::Error, std::move(message))
                                 .with_rule_id(fmt::format("AHB-{}-{}-{}-{}-{}", run.label, definition.nr,
                                                           definition.tag, slot.code_de, suffix))
                                 .with_context_entry("pid", run.label)
                                 .with_context_entry("nr", definition.nr)
                                 .with_context_entry("de", std::string(slot.code_de))
                                 .with_segment(definition.tag)
                                 .with_segment_index(segment)
                                 .with_element(code_at.element)
                                 .with_component(code_at.component));
    };
    // Only a finding needs the names written out.
    const auto source = [&] {
      std::vector<std::string> sources;
      for (const std::string_view name : *names) {
        const auto tree = answer_code::named_tree(name);
        sources.push_back(tree->tree == name ? std::string(name) : fmt::format("{} (list {})", tree->tree, name));
      }
      return fmt::format("Entscheidungsbaum {}", fmt::join(sources, " or "));
    };

    const std::vector<ClusterDemand> demands = demands_here(run, rule, scope, own);
    std::optional<answer_code::Cluster> published;
    bool fits = false;
    for (const std::string_view name : *names) {
      const auto tree = answer_code::named_tree(name);
      const auto codes = *antwortcodes::published_codes(tree->tree);
      if (const auto row = std::ranges::find(codes, value, &antwortcodes::PublishedCode::code); row != codes.end()) {
        if (!published) published = row->cluster;
        // A list of one cluster asks for that cluster whatever the column says.
        fits = fits || ((!tree->cluster || row->cluster == *tree->cluster) && answer_code::fits(*row, demands));
      }
    }
    if (!published) {
      std::vector<std::string_view> codes;
      for (const std::string_view name : *names) {
        const auto tree_codes = *antwortcodes::published_codes(answer_code::named_tree(name)->tree);
        for (const auto& code : tree_codes) {
          if (std::ranges::find(codes, code.code) == codes.end()) codes.push_back(code.code);
        }
      }
      report(fmt::format("{} (Nr {}): DE {} „{}“ is {}, which {} does not publish; it publishes {}", definition.tag,
                         definition.nr, slot.code_de, element.name, support::debug_quote(value), source(),
                         codes_text(codes)),
             "EBD");
      continue;
    }
    if (fits) continue;
    std::vector<std::string_view> fitting;
    for (const std::string_view name : *names) {
      const std::vector<std::string_view> codes_here = *answer_code::fitting_codes(name, demands);
      for (const std::string_view code : codes_here) {
        if (std::ranges::find(fitting, code) == fitting.end()) fitting.push_back(code);
      }
    }
    std::vector<std::string_view> clusters;
    for (const ClusterDemand& demand : demands) clusters.push_back(answer_code::cluster_text(demand.cluster));
    for (const std::string_view name : *names) {
      if (const auto tree = answer_code::named_tree(name); tree->cluster) clusters.push_back(answer_code::cluster_text(*tree->cluster));
    }
    std::ranges::sort(clusters);
    clusters.erase(std::unique(clusters.begin(), clusters.end()), clusters.end());
    report(fmt::format("{} (Nr {}): DE {} „{}“ is {}, of cluster {} in {}; the Prüfschablone of {} asks for "
                       "cluster {}: {}",
                       definition.tag, definition.nr, slot.code_de, element.name, support::debug_quote(value),
                       answer_code::cluster_text(*published), source(), run.label, fmt::join(clusters, " or "),
                       codes_text(fitting)),
           "CLUSTER");
  }
}

}  // namespace edi_energy::profile::validate

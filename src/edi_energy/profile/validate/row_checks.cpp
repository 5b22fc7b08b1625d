// Groups and segments of every instance against the status rows of the column.
#include <algorithm>
#include <optional>
#include <string>

#include <fmt/format.h>

#include "edi_energy/profile/validate/ahb_run.hpp"
#include "edi_energy/profile/validate/limit_checks.hpp"
#include "edi_energy/profile/validate/node_counts.hpp"
#include "edi_energy/profile/validate/validate.hpp"

namespace edi_energy::profile::validate {
namespace {

using edifact::report::Severity;
using edifact::report::ValidationIssue;

// Whether the requirement of `cells` can make a finding of `count` occurrences: a missing thing
// needs a mandatory cell, a present one a list of mandatory cells that all have conditions.
bool can_report(const ParsedCells& cells, std::size_t count) {
  const auto mandatory = [](const std::optional<conditions::Status>& cell) { return cell && is_mandatory(cell->level); };
  if (count == 0) return std::ranges::any_of(cells, mandatory);
  return !cells.empty() && std::ranges::all_of(cells, [&](const auto& cell) { return mandatory(cell) && cell->condition; });
}

// Whether some occurrence of the segment node in the scope is one that its row does not permit,
// each deciding the texts about its own segment.
bool some_not_permitted(const AhbRun& run, structure::InstanceIndex scope, structure::NodeIndex node_index,
                        const ParsedCells& cells, std::string_view tag) {
  for (const std::size_t at : run.resolution.instances[scope].segments) {
    const auto& placement = run.resolution.placements[at];
    if (!placement || placement->node != node_index) continue;
    if (run.ctx.requirement(cells, scope, OwnSegment{tag, at}) == Requirement::NotPermitted) return true;
  }
  return false;
}

std::optional<std::size_t> first_placed(const structure::Resolution& resolution, structure::InstanceIndex scope,
                                        structure::NodeIndex node_index) {
  for (const std::size_t at : resolution.instances[scope].segments) {
    const auto& placement = resolution.placements[at];
    if (placement && placement->node == node_index) return at;
  }
  return std::nullopt;
}

void check_segment(AhbRun& run, structure::InstanceIndex scope, structure::NodeIndex node_index, std::size_t count) {
  const structure::SNode& node = run.structure.nodes[node_index];
  const auto& segment = *node.segment();
  const auto finding = [&](std::string message, std::string_view suffix) {
    return in_scope(ValidationIssue(Severity::Error, std::move(message))
                        .with_rule_id(fmt::format("AHB-{}-{}-{}-{}", run.label, segment.nr, segment.tag, suffix))
                        .with_segment(segment.tag)
                        .with_context_entry("nr", segment.nr)
                        .with_context_entry("pid", run.label),
                    run.resolution, scope);
  };
  const auto report = [&](std::string message, std::string_view suffix) {
    run.findings.push_back(finding(std::move(message), suffix));
  };
  const model::Row* row = run.column.segment_row(node_index, segment.nr);
  if (row == nullptr) {
    if (count > 0) {
      // Its first segment here, so that a builder can name what wrote it without building again.
      auto issue = finding(fmt::format("{} „{}“ (Nr {}) is not part of the Prüfschablone of {}{}", segment.tag,
                                       node.name, segment.nr, run.label,
                                       scope_suffix(run.structure, run.resolution, scope)),
                           "NOT-PERMITTED");
      if (const auto at = first_placed(run.resolution, scope, node_index)) {
        issue = std::move(issue).with_segment_index(*at);
      }
      run.findings.push_back(std::move(issue));
    }
    return;
  }
  const ParsedCells& cells = run.column.cells(*row);
  if (!can_report(cells, count)) return;
  // A text about "this STS" is undecided before any STS stands here, and once some do, each
  // decides for itself.
  Requirement requirement = run.ctx.requirement(cells, scope, OwnSegment{segment.tag, std::nullopt});
  if (count > 0 && run.ctx.asked_own()) {
    requirement = some_not_permitted(run, scope, node_index, cells, segment.tag) ? Requirement::NotPermitted
                                                                                  : Requirement::Optional;
  }
  if (requirement == Requirement::Required && count == 0) {
    report(fmt::format("{} „{}“ (Nr {}) is Muss for {}{} but missing — AHB status {}", segment.tag, node.name,
                       segment.nr, run.label, scope_suffix(run.structure, run.resolution, scope),
                       status_text(row->status)),
           "MISSING");
  } else if (requirement == Requirement::NotPermitted && count > 0) {
    report(fmt::format("{} „{}“ (Nr {}) is present but its Voraussetzung for {} is not met — AHB status {}",
                       segment.tag, node.name, segment.nr, run.label, status_text(row->status)),
           "NOT-PERMITTED");
  }
}

void check_group(AhbRun& run, structure::InstanceIndex scope, structure::NodeIndex node_index, std::size_t count) {
  const structure::SNode& node = run.structure.nodes[node_index];
  const std::string& group = node.group()->group;
  if (node.children.empty()) return;
  const auto* trigger = run.structure.nodes[node.children.front()].segment();
  if (trigger == nullptr) return;
  const std::string& nr = trigger->nr;
  const model::Row* row = run.column.group_row(node_index, group, nr);
  if (row == nullptr) return;
  const ParsedCells& cells = run.column.cells(*row);
  if (!can_report(cells, count)) return;
  const Requirement requirement = run.ctx.requirement(cells, scope);
  const auto report = [&](std::string message, std::string_view suffix) {
    run.findings.push_back(in_scope(ValidationIssue(Severity::Error, std::move(message))
                                        .with_rule_id(fmt::format("AHB-{}-{}-{}-{}", run.label, group, nr, suffix))
                                        .with_segment_group(group)
                                        .with_context_entry("nr", nr)
                                        .with_context_entry("pid", run.label),
                                    run.resolution, scope));
  };
  if (requirement == Requirement::Required && count == 0) {
    report(fmt::format("segment group {} „{}“ (Nr {}) is Muss for {}{} but missing — AHB status {}", group, node.name,
                       nr, run.label, scope_suffix(run.structure, run.resolution, scope), status_text(row->status)),
           "MISSING");
  } else if (requirement == Requirement::NotPermitted && count > 0) {
    report(fmt::format("segment group {} „{}“ (Nr {}) is present but its Voraussetzung for {} is not met — AHB status {}",
                       group, node.name, nr, run.label, status_text(row->status)),
           "NOT-PERMITTED");
  }
}

}  // namespace

void row_checks(AhbRun& run) {
  NodeCounts counts(run.structure.nodes.size());
  LimitChecks limits(run);
  const bool bounded = run.column.has_limits();
  for (structure::InstanceIndex scope = 0; scope < run.resolution.instances.size(); ++scope) {
    counts.count(run.resolution, run.resolution.instances[scope]);
    for (const structure::NodeIndex node : child_nodes(run.structure, run.resolution.instances[scope])) {
      if (run.structure.nodes[node].segment() != nullptr) {
        check_segment(run, scope, node, counts[node]);
      } else {
        check_group(run, scope, node, counts[node]);
      }
      if (bounded) limits.add(scope, node, counts[node]);
    }
  }
  limits.finish();
}

}  // namespace edi_energy::profile::validate

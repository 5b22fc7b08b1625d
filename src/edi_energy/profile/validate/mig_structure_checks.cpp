// Segments that fit no place, and how often groups and segments occur in each instance.
#include <algorithm>

#include <fmt/format.h>
#include <fmt/ranges.h>

#include "edi_energy/profile/validate/ahb_run.hpp"
#include "edi_energy/profile/validate/mig_checks.hpp"
#include "edi_energy/profile/validate/node_counts.hpp"
#include "edi_energy/profile/validate/validate.hpp"

namespace edi_energy::profile::validate {
namespace {

using edifact::report::Severity;
using edifact::report::ValidationIssue;

// Keeps a finding short for tags the MIG uses often.
constexpr std::size_t listed_places = 12;

std::string places_of(const structure::Structure& structure, std::string_view tag) {
  std::vector<std::string> places;
  for (const structure::SNode& node : structure.nodes) {
    const auto* segment = node.segment();
    if (segment == nullptr || segment->tag != tag) continue;
    if (!segment->discriminators.empty() && !segment->discriminators.front().allowed.empty()) {
      places.push_back(fmt::format("{} „{}“ ({}+{})", segment->nr, node.name, tag,
                                   fmt::join(segment->discriminators.front().allowed, "/")));
    } else {
      places.push_back(fmt::format("{} „{}“", segment->nr, node.name));
    }
    if (places.size() == listed_places) break;
  }
  if (places.empty()) return fmt::format("the MIG defines no place for a {} segment", tag);
  return fmt::format("the MIG's {} places are {}", tag, fmt::join(places, ", "));
}

bool mandatory(std::string_view status, bool listed) { return status == "M" || (status == "R" && listed); }

}  // namespace

void unplaced_checks(MigRun& run) {
  for (const std::size_t at : run.resolution.unplaced) {
    const edifact::model::Segment& segment = run.segments[at];
    const std::string_view tag = segment.tag();
    run.findings.push_back(
        ValidationIssue(Severity::Error,
                        fmt::format("segment {} (message segment {}) fits no place of the Nachrichtenstruktur from "
                                    "here on — out of order, in a wrong group, or with qualifiers no place admits; {}",
                                    tag, at, places_of(run.profile.structure(), tag)))
            .with_rule_id("MIG-STRUCTURE")
            .with_segment(tag)
            .with_segment_index(at)
            .with_span(segment.span()));
  }
}

void occurrence_checks(MigRun& run) {
  const structure::Structure& structure = run.profile.structure();
  const Column* column = run.column;
  NodeCounts counts(structure.nodes.size());
  for (structure::InstanceIndex scope = 0; scope < run.resolution.instances.size(); ++scope) {
    const structure::Instance& instance = run.resolution.instances[scope];
    counts.count(run.resolution, instance);
    for (const structure::NodeIndex node_index : child_nodes(structure, instance)) {
      const structure::SNode& node = structure.nodes[node_index];
      const std::size_t count = counts[node_index];
      if (const auto* segment = node.segment()) {
        const bool listed = !column || column->segment_row(node_index, segment->nr) != nullptr;
        if (mandatory(node.status, listed) && count == 0) {
          run.findings.push_back(in_scope(
              ValidationIssue(Severity::Error, fmt::format("segment {} „{}“ (Nr {}) is mandatory in the MIG{} but missing",
                                                           segment->tag, node.name, segment->nr,
                                                           scope_suffix(structure, run.resolution, scope)))
                  .with_rule_id(fmt::format("MIG-{}-{}-REQUIRED", segment->nr, segment->tag))
                  .with_segment(segment->tag)
                  .with_context_entry("nr", segment->nr),
              run.resolution, scope));
        }
        if (node.max != 0 && count > node.max) {
          run.findings.push_back(in_scope(
              ValidationIssue(Severity::Error,
                              fmt::format("segment {} „{}“ (Nr {}) occurs {} times{}; the MIG allows {}", segment->tag,
                                          node.name, segment->nr, count, scope_suffix(structure, run.resolution, scope),
                                          node.max))
                  .with_rule_id(fmt::format("MIG-{}-{}-MAX", segment->nr, segment->tag))
                  .with_segment(segment->tag)
                  .with_context_entry("nr", segment->nr)
                  .with_context_entry(LIMIT_CONTEXT, std::to_string(node.max)),
              run.resolution, scope));
        }
        continue;
      }
      const std::string& group = node.group()->group;
      const auto* trigger = node.children.empty() ? nullptr : structure.nodes[node.children.front()].segment();
      const std::string_view first_nr = trigger != nullptr ? std::string_view(trigger->nr) : std::string_view("?");
      const bool listed = !column || column->group_row(node_index, group, first_nr) != nullptr;
      if (mandatory(node.status, listed) && count == 0) {
        run.findings.push_back(in_scope(
            ValidationIssue(Severity::Error,
                            fmt::format("segment group {} „{}“ (Nr {}) is mandatory in the MIG{} but missing", group,
                                        node.name, first_nr, scope_suffix(structure, run.resolution, scope)))
                .with_rule_id(fmt::format("MIG-{}-{}-REQUIRED", group, first_nr))
                .with_segment_group(group)
                .with_context_entry("nr", std::string(first_nr)),
            run.resolution, scope));
      }
      if (node.max != 0 && count > node.max) {
        run.findings.push_back(in_scope(
            ValidationIssue(Severity::Error, fmt::format("segment group {} „{}“ (Nr {}) occurs {} times{}; the MIG allows {}",
                                                         group, node.name, first_nr, count,
                                                         scope_suffix(structure, run.resolution, scope), node.max))
                .with_rule_id(fmt::format("MIG-{}-{}-MAX", group, first_nr))
                .with_segment_group(group)
                .with_context_entry("nr", std::string(first_nr))
                .with_context_entry(LIMIT_CONTEXT, std::to_string(node.max)),
            run.resolution, scope));
      }
    }
  }
}

}  // namespace edi_energy::profile::validate

// What the three passes of the AHB column checks share during one run.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <vector>

#include "edi_energy/profile/profile.hpp"
#include "edi_energy/profile/validate/column.hpp"
#include "edi_energy/profile/validate/ctx.hpp"
#include "edifact/report/finding_sink.hpp"
#include "edifact/report/issue.hpp"

namespace edi_energy::profile::validate {

struct AhbRun {
  const Profile& profile;
  const structure::Structure& structure;
  const structure::Resolution& resolution;
  std::span<const edifact::model::Segment> segments;
  const Column& column;
  const Ctx& ctx;
  std::string label;
  edifact::report::FindingSink findings;
};

// The children of an instance's group node, or the structure's roots for the message root.
std::span<const structure::NodeIndex> child_nodes(const structure::Structure& structure,
                                                  const structure::Instance& instance);

// " in SG4" ("?" for a node without group id); empty for the message root.
std::string scope_suffix(const structure::Structure& structure, const structure::Resolution& resolution,
                         structure::InstanceIndex scope);

// The finding with the first segment of the group instance it was judged in (SCOPE_CONTEXT), so
// that a reader knows which instance; unchanged for the message root.
edifact::report::ValidationIssue in_scope(edifact::report::ValidationIssue issue,
                                          const structure::Resolution& resolution, structure::InstanceIndex scope);

// The truth of a cell's condition: True without one, Undecided for an evaluation error. `own`:
// the segment whose value the cell is about.
conditions::Truth condition_truth(const Ctx& ctx, const std::optional<conditions::Expr>& condition,
                                  structure::InstanceIndex scope, OwnSegment own = {});

inline bool holds(conditions::Truth truth) {
  return truth == conditions::Truth::True || truth == conditions::Truth::Neutral;
}

// The MIG element (or component) an element rule addresses and where it stands: the
// occurrence-th element or component with the rule's id, elements before their components.
struct RuleTarget {
  Position position;
  const model::Element* element = nullptr;
};
std::optional<RuleTarget> locate(const model::SegmentNode& definition, const model::ElementRule& rule);
// The same for rule number `at` of `column.rules(node, …)`, from the column's prepared sites when
// it has them.
inline std::optional<RuleTarget> locate(const Column& column, structure::NodeIndex node, std::size_t at,
                                        const model::SegmentNode& definition, const model::ElementRule& rule) {
  const auto sites = column.sites(node);
  if (at >= sites.size()) return locate(definition, rule);
  if (sites[at].mig == nullptr) return std::nullopt;
  return RuleTarget{Position{sites[at].element, sites[at].component}, sites[at].mig};
}

// Nothing when the segment node has no MIG definition.
inline const model::SegmentNode* definition_of(const structure::Structure& structure, structure::NodeIndex node) {
  const auto* segment = structure.nodes[node].segment();
  if (segment == nullptr || segment->def >= structure.segment_defs.size()) return nullptr;
  return &structure.segment_defs[segment->def];
}

// Answer codes of a placed segment against the Entscheidungsbaum named beside them and the
// cluster the column asks for; `node` is the segment's node, `rules` the column's rules for it.
void answer_codes(AhbRun& run, std::size_t segment, const model::SegmentNode& definition,
                  structure::InstanceIndex scope, structure::NodeIndex node, std::span<const std::size_t> rules);

void row_checks(AhbRun& run);
void element_rules(AhbRun& run);
void paket_checks(AhbRun& run);

}  // namespace edi_energy::profile::validate

#include "edi_energy/profile/validate/ahb_run.hpp"

#include <string>
#include <utility>

#include "edi_energy/profile/validate/validate.hpp"

namespace edi_energy::profile::validate {

namespace {

std::optional<RuleTarget> target_at(const RuleSite& site) {
  if (site.mig == nullptr) return std::nullopt;
  return RuleTarget{Position{site.element, site.component}, site.mig};
}

}  // namespace

std::span<const structure::NodeIndex> child_nodes(const structure::Structure& structure,
                                                  const structure::Instance& instance) {
  if (!instance.node) return structure.roots;
  return structure.nodes[*instance.node].children;
}

std::string scope_suffix(const structure::Structure& structure, const structure::Resolution& resolution,
                         structure::InstanceIndex scope) {
  const structure::Instance& instance = resolution.instances[scope];
  if (!instance.is_group()) return {};
  const auto* group = structure.nodes[*instance.node].group();
  return std::string(" in ") + (group != nullptr ? group->group : std::string("?"));
}

edifact::report::ValidationIssue in_scope(edifact::report::ValidationIssue issue,
                                          const structure::Resolution& resolution, structure::InstanceIndex scope) {
  const structure::Instance& instance = resolution.instances[scope];
  if (!instance.is_group()) return issue;
  return std::move(issue).with_context_entry(SCOPE_CONTEXT, std::to_string(instance.start));
}

conditions::Truth condition_truth(const Ctx& ctx, const std::optional<conditions::Expr>& condition,
                                  structure::InstanceIndex scope, OwnSegment own) {
  if (!condition) return conditions::Truth::True;
  return ctx.eval(*condition, scope, own).value_or(conditions::Truth::Undecided);
}

std::optional<RuleTarget> locate(const model::SegmentNode& definition, const model::ElementRule& rule) {
  return target_at(site_of(definition, rule));
}

}  // namespace edi_energy::profile::validate

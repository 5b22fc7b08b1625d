#include "edi_energy/profile/validate/ahb_run.hpp"

namespace edi_energy::profile::validate {

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

conditions::Truth condition_truth(const Ctx& ctx, const std::optional<conditions::Expr>& condition,
                                  structure::InstanceIndex scope) {
  if (!condition) return conditions::Truth::True;
  return ctx.eval(*condition, scope).value_or(conditions::Truth::Undecided);
}

std::optional<RuleTarget> locate(const model::SegmentNode& definition, const model::ElementRule& rule) {
  std::size_t seen = 0;
  const auto hit = [&](const model::Element& element) { return element.id == rule.de && seen++ == rule.occurrence; };
  for (std::size_t k = 0; k < definition.elements.size(); ++k) {
    const model::Element& element = definition.elements[k];
    if (hit(element)) return RuleTarget{Position{k, 0}, &element};
    for (std::size_t j = 0; j < element.components.size(); ++j) {
      if (hit(element.components[j])) return RuleTarget{Position{k, j}, &element.components[j]};
    }
  }
  return std::nullopt;
}

const model::SegmentNode* definition_of(const structure::Structure& structure, structure::NodeIndex node) {
  const auto* segment = structure.nodes[node].segment();
  if (segment == nullptr || segment->def >= structure.segment_defs.size()) return nullptr;
  return &structure.segment_defs[segment->def];
}

}  // namespace edi_energy::profile::validate

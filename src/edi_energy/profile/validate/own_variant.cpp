#include "edi_energy/profile/validate/own_variant.hpp"

#include <algorithm>
#include <span>
#include <string>
#include <variant>
#include <vector>

#include "edi_energy/profile/validate/ctx.hpp"

namespace edi_energy::profile::validate {
namespace {

using conditions::SegmentPattern;

const SegmentPattern::Alternatives* alternatives_at(const SegmentPattern& pattern, std::size_t element,
                                                    std::size_t component) {
  if (element >= pattern.elements.size()) return nullptr;
  const SegmentPattern::ElementPattern& components = pattern.elements[element];
  if (component >= components.size() || !components[component]) return nullptr;
  return &*components[component];
}

// Some of the codes may stand at the test's position: the node admits it there, or no node of
// the tag claims it (a code the MIG does not list is placed by its other qualifiers).
bool admits_one(const structure::Discriminator& test, std::span<const std::string> codes) {
  if (test.absent) return false;
  return std::ranges::any_of(codes, [&](const std::string& code) {
    return std::ranges::find(test.excluded, code) == test.excluded.end();
  });
}

bool may_take(const structure::Kind::Segment& node, const SegmentPattern& pattern) {
  if (node.tag != pattern.tag) return false;
  return std::ranges::all_of(node.discriminators, [&](const structure::Discriminator& test) {
    const auto* codes = alternatives_at(pattern, test.element, test.component);
    return codes == nullptr || admits_one(test, *codes);
  });
}

// A segment tagged `value.tag` (matching its pattern, when the text gives one) whose data
// element may hold one of the values.
bool may_take(const structure::Structure& structure, const structure::Kind::Segment& node,
              const conditions::Voraussetzung::DeValue& value) {
  if (node.tag != value.tag) return false;
  if (!value.pattern.tag.empty() && !may_take(node, value.pattern)) return false;
  if (value.suffix || node.def >= structure.segment_defs.size()) return true;
  const auto position = first_position(structure.segment_defs[node.def], value.de);
  if (!position) return true;
  return std::ranges::all_of(node.discriminators, [&](const structure::Discriminator& test) {
    return test.element != position->element || test.component != position->component ||
           admits_one(test, value.values);
  });
}

structure::NodeIndex subtree_end(const structure::Structure& structure, structure::NodeIndex node) {
  while (!structure.nodes[node].children.empty()) node = structure.nodes[node].children.back();
  return node + 1;
}

template <typename Takes>
bool stands_within(const structure::Structure& structure, structure::NodeIndex group, Takes takes) {
  const structure::NodeIndex end = subtree_end(structure, group);
  for (structure::NodeIndex at = group + 1; at < end; ++at) {
    const auto* segment = structure.nodes[at].segment();
    if (segment != nullptr && takes(*segment)) return true;
  }
  return false;
}

bool all_stand_within(const structure::Structure& structure, structure::NodeIndex group,
                      std::span<const SegmentPattern> patterns) {
  return std::ranges::all_of(patterns, [&](const SegmentPattern& pattern) {
    return stands_within(structure, group, [&](const structure::Kind::Segment& s) { return may_take(s, pattern); });
  });
}

}  // namespace

bool speaks_of_variant(const structure::Structure& structure, const conditions::Voraussetzung& reading,
                       structure::NodeIndex group) {
  using V = conditions::Voraussetzung;
  return std::visit(
      [&](const auto& shape) {
        using Shape = std::decay_t<decltype(shape)>;
        if constexpr (std::is_same_v<Shape, V::Count>) {
          const auto& children = structure.nodes[group].children;
          const auto* trigger = children.empty() ? nullptr : structure.nodes[children.front()].segment();
          if (trigger != nullptr && trigger->tag == shape.pattern.tag) return false;
          return all_stand_within(structure, group, std::span(&shape.pattern, 1));
        } else if constexpr (std::is_same_v<Shape, V::Present>) {
          return all_stand_within(structure, group, shape.chain) && all_stand_within(structure, group, shape.companions);
        } else if constexpr (std::is_same_v<Shape, V::DeShape>) {
          return all_stand_within(structure, group, std::span(&shape.pattern, 1)) &&
                 all_stand_within(structure, group, shape.companions);
        } else {
          return stands_within(structure, group,
                               [&](const structure::Kind::Segment& s) { return may_take(structure, s, shape); }) &&
                 all_stand_within(structure, group, shape.companions);
        }
      },
      reading.shape);
}

}  // namespace edi_energy::profile::validate

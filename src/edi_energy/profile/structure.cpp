#include "edi_energy/profile/structure.hpp"

#include <algorithm>
#include <utility>

#include "edi_energy/profile/structure_discriminators.hpp"

namespace edi_energy::profile::structure {
namespace {

// Recursion follows the nesting of the MIG, which the document reader bounds.
NodeIndex add(Structure& structure, const model::Node& node, std::optional<NodeIndex> parent) {
  const NodeIndex index = structure.nodes.size();
  if (const model::GroupNode* group = node.group()) {
    structure.nodes.push_back(SNode{parent, {}, group->status, group->name, Kind{Kind::Group{group->group}}, group->max});
    std::vector<NodeIndex> children;
    children.reserve(group->children.size());
    for (const model::Node& child : group->children) children.push_back(add(structure, child, index));
    structure.nodes[index].children = std::move(children);
    return index;
  }
  const model::SegmentNode& segment = *node.segment();
  const std::size_t def = structure.segment_defs.size();
  structure.segment_defs.push_back(segment);
  structure.nr_index.insert_or_assign(segment.nr, index);
  structure.nodes.push_back(SNode{parent, {}, segment.status, segment.name,
                                  Kind{Kind::Segment{segment.nr, segment.tag, discriminators(segment), def, tag_key(segment.tag), {}}},
                                  segment.max});
  return index;
}

// A code of up to 7 bytes with its length in the top byte; nothing for a longer one.
std::optional<std::uint64_t> code_key(std::string_view code) {
  if (code.size() > 7) return std::nullopt;
  std::uint64_t key = static_cast<std::uint64_t>(code.size()) << 56U;
  for (std::size_t at = 0; at < code.size(); ++at) {
    key |= static_cast<std::uint64_t>(static_cast<unsigned char>(code[at])) << (8U * at);
  }
  return key;
}

std::optional<std::vector<std::uint64_t>> code_keys(std::span<const std::string> codes) {
  std::vector<std::uint64_t> keys;
  keys.reserve(codes.size());
  for (const std::string& code : codes) {
    const auto key = code_key(code);
    if (!key) return std::nullopt;
    keys.push_back(*key);
  }
  std::ranges::sort(keys);
  return keys;
}

std::string_view value_at(const edifact::model::Segment& segment, std::size_t element, std::size_t component) {
  const auto elements = segment.elements();
  if (element >= elements.size()) return {};
  const edifact::model::ComponentList components = elements[element].components();
  return component < components.size() ? components.text(component) : std::string_view{};
}

void pack_discriminators(Structure& structure) {
  for (SNode& node : structure.nodes) {
    auto* segment = std::get_if<Kind::Segment>(&node.kind.variant);
    if (segment == nullptr) continue;
    std::vector<PackedDiscriminator> packed;
    for (const Discriminator& test : segment->discriminators) {
      auto one = PackedDiscriminator::of(test);
      if (!one) break;
      packed.push_back(std::move(*one));
    }
    if (packed.size() == segment->discriminators.size()) segment->packed = std::move(packed);
  }
}

std::vector<Structure::TagEntry> tags_of(const Structure& structure, std::span<const NodeIndex> siblings) {
  std::vector<Structure::TagEntry> entries;
  for (std::size_t at = 0; at < siblings.size(); ++at) {
    const SNode* node = &structure.nodes[siblings[at]];
    if (node->group() != nullptr) node = node->children.empty() ? nullptr : &structure.nodes[node->children.front()];
    const Kind::Segment* segment = node != nullptr ? node->segment() : nullptr;
    if (segment != nullptr) entries.push_back({segment->tag_key, static_cast<std::uint32_t>(at)});
  }
  std::ranges::sort(entries);
  return entries;
}

}  // namespace

std::optional<PackedDiscriminator> PackedDiscriminator::of(const Discriminator& test) {
  auto allowed = code_keys(test.allowed);
  auto excluded = code_keys(test.excluded);
  if (!allowed || !excluded) return std::nullopt;
  return PackedDiscriminator{std::move(*allowed), std::move(*excluded), test.element, test.component, test.absent,
                             test.required};
}

QualifierTexts::QualifierTexts(const edifact::model::Segment& segment)
    : segment_(&segment), tag_key_(structure::tag_key(segment.tag())) {}

std::string_view QualifierTexts::at(std::size_t element, std::size_t component) {
  for (std::size_t at = 0; at < count_; ++at) {
    if (read_[at].element == element && read_[at].component == component) return read_[at].text;
  }
  const std::string_view text = value_at(*segment_, element, component);
  if (count_ < read_.size()) read_[count_++] = Read{element, component, text};
  return text;
}

bool PackedDiscriminator::accepts(QualifierTexts& texts) const {
  const std::string_view value = texts.at(element, component);
  if (value.empty()) return !required;
  if (absent) return false;
  // A value longer than every code is neither admitted nor excluded.
  const auto key = code_key(value);
  if (!key) return true;
  if (std::ranges::binary_search(allowed, *key)) return true;
  return !std::ranges::binary_search(excluded, *key);
}

bool Discriminator::accepts(const edifact::model::Segment& segment) const {
  const std::string_view value = value_at(segment, element, component);
  if (value.empty()) return !required;
  if (absent) return false;
  if (std::ranges::find(allowed, value) != allowed.end()) return true;
  return std::ranges::find(excluded, value) == excluded.end();
}

Structure Structure::compile(const model::MigProfile& mig) {
  Structure structure;
  structure.roots.reserve(mig.structure.size());
  for (const model::Node& node : mig.structure) structure.roots.push_back(add(structure, node, std::nullopt));
  settle_discriminators(structure);
  pack_discriminators(structure);
  structure.sibling_tags.reserve(structure.nodes.size() + 1);
  structure.sibling_tags.push_back(tags_of(structure, structure.roots));
  for (const SNode& node : structure.nodes) structure.sibling_tags.push_back(tags_of(structure, node.children));
  return structure;
}

bool Structure::fits(NodeIndex node, const edifact::model::Segment& segment) const {
  QualifierTexts texts(segment);
  return fits(node, texts);
}

bool Structure::fits(NodeIndex node, QualifierTexts& texts) const {
  const SNode& candidate = nodes[node];
  if (const Kind::Segment* segment_node = candidate.segment()) {
    if (segment_node->tag_key != texts.tag_key()) return false;
    if (texts.tag_key() == long_tag_key && segment_node->tag != texts.segment().tag()) return false;
    if (segment_node->packed.size() == segment_node->discriminators.size()) {
      return std::ranges::all_of(segment_node->packed,
                                 [&texts](const PackedDiscriminator& test) { return test.accepts(texts); });
    }
    return std::ranges::all_of(segment_node->discriminators,
                               [&texts](const Discriminator& test) { return test.accepts(texts.segment()); });
  }
  if (candidate.children.empty()) return false;
  const NodeIndex trigger = candidate.children.front();
  return nodes[trigger].segment() != nullptr && fits(trigger, texts);
}

}  // namespace edi_energy::profile::structure

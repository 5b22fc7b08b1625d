#include "edi_energy/profile/structure.hpp"

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <optional>
#include <utility>

#include "edi_energy/profile/structure_discriminators.hpp"

namespace edi_energy::profile::structure {
namespace {

// Recursion follows the nesting of the MIG, which the document reader bounds. `counters` gets
// the Zähler of every node added.
NodeIndex add(Structure& structure, const model::Node& node, std::optional<NodeIndex> parent,
              std::vector<std::string_view>& counters) {
  const NodeIndex index = structure.nodes.size();
  if (const model::GroupNode* group = node.group()) {
    structure.nodes.push_back(SNode{parent, {}, group->status, group->name, Kind{Kind::Group{group->group}}, group->max});
    counters.push_back(group->zaehler);
    std::vector<NodeIndex> children;
    children.reserve(group->children.size());
    for (const model::Node& child : group->children) children.push_back(add(structure, child, index, counters));
    structure.nodes[index].children = std::move(children);
    return index;
  }
  const model::SegmentNode& segment = *node.segment();
  counters.push_back(segment.zaehler);
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
  return segment.component_text(element, component).value_or(std::string_view{});
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

// Two groups are variants of one UN/EDIFACT group when the MIG gives both the same id and
// Zähler and triggers of one tag and Zähler; two segments are variants of one position when it
// gives both the same tag and Zähler.
bool variants(const Structure& structure, const std::vector<std::string_view>& counters, NodeIndex one,
              NodeIndex other) {
  const SNode& left = structure.nodes[one];
  const SNode& right = structure.nodes[other];
  if (left.segment() != nullptr && right.segment() != nullptr) {
    return left.segment()->tag == right.segment()->tag && !counters[one].empty() && counters[one] == counters[other];
  }
  if (left.group() == nullptr || right.group() == nullptr || left.group()->group != right.group()->group) return false;
  if (counters[one].empty() || counters[one] != counters[other]) return false;
  if (left.children.empty() || right.children.empty()) return false;
  const NodeIndex left_trigger = left.children.front();
  const NodeIndex right_trigger = right.children.front();
  const Kind::Segment* left_segment = structure.nodes[left_trigger].segment();
  const Kind::Segment* right_segment = structure.nodes[right_trigger].segment();
  return left_segment != nullptr && right_segment != nullptr && left_segment->tag == right_segment->tag &&
         !counters[left_trigger].empty() && counters[left_trigger] == counters[right_trigger];
}

// `from`: 1 in a group, whose trigger opens each instance and so is never a variant.
void mark_variant_runs(Structure& structure, const std::vector<std::string_view>& counters,
                       std::span<const NodeIndex> siblings, std::size_t from) {
  const auto at = [](std::size_t position) {
    return static_cast<std::uint32_t>(std::min<std::size_t>(position, UINT32_MAX));
  };
  for (std::size_t position = 0; position < from && position < siblings.size(); ++position) {
    structure.variant_runs[siblings[position]] = {at(position), at(position + 1)};
  }
  for (std::size_t first = from; first < siblings.size();) {
    std::size_t end = first + 1;
    while (end < siblings.size() && variants(structure, counters, siblings[first], siblings[end])) ++end;
    const Structure::VariantRun run{at(first), at(end)};
    for (std::size_t member = first; member < end; ++member) structure.variant_runs[siblings[member]] = run;
    first = end;
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

// Vorgänge are opened by IDE; a segment whose every node lies below one belongs to its Vorgang.
void mark_vorgang(Structure& structure) {
  std::optional<NodeIndex> vorgang;
  for (const NodeIndex root : structure.roots) {
    const SNode& node = structure.nodes[root];
    if (node.group() == nullptr || node.children.empty()) continue;
    const Kind::Segment* trigger = structure.nodes[node.children.front()].segment();
    if (trigger != nullptr && trigger->tag == "IDE") {
      structure.vorgang_group = node.group()->group;
      vorgang = root;
      break;
    }
  }
  if (!vorgang) return;
  std::vector<std::uint32_t> inside;
  std::vector<std::uint32_t> outside;
  for (NodeIndex at = 0; at < structure.nodes.size(); ++at) {
    const Kind::Segment* segment = structure.nodes[at].segment();
    if (segment == nullptr) continue;
    bool below = false;
    for (auto up = structure.nodes[at].parent; up && !below; up = structure.nodes[*up].parent) {
      const Kind::Group* group = structure.nodes[*up].group();
      below = group != nullptr && group->group == structure.vorgang_group && !structure.nodes[*up].parent;
    }
    (below ? inside : outside).push_back(segment->tag_key);
  }
  std::ranges::sort(inside);
  std::ranges::sort(outside);
  std::ranges::set_difference(inside, outside, std::back_inserter(structure.vorgang_tags));
  const auto [first, last] = std::ranges::unique(structure.vorgang_tags);
  structure.vorgang_tags.erase(first, last);
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

Meet PackedDiscriminator::meet(QualifierTexts& texts) const {
  const std::string_view value = texts.at(element, component);
  if (value.empty()) return required ? Meet::Refused : absent ? Meet::Blank : Meet::Empty;
  if (absent) return Meet::Refused;
  // A value longer than every code is neither admitted nor excluded.
  const auto key = code_key(value);
  if (!key) return Meet::Foreign;
  if (std::ranges::binary_search(allowed, *key)) return Meet::Own;
  return std::ranges::binary_search(excluded, *key) ? Meet::Refused : Meet::Foreign;
}

Meet Discriminator::meet(const edifact::model::Segment& segment) const {
  const std::string_view value = value_at(segment, element, component);
  if (value.empty()) return required ? Meet::Refused : absent ? Meet::Blank : Meet::Empty;
  if (absent) return Meet::Refused;
  if (std::ranges::find(allowed, value) != allowed.end()) return Meet::Own;
  return std::ranges::find(excluded, value) == excluded.end() ? Meet::Foreign : Meet::Refused;
}


Structure Structure::compile(const model::MigProfile& mig) {
  Structure structure;
  structure.roots.reserve(mig.structure.size());
  std::vector<std::string_view> counters;
  for (const model::Node& node : mig.structure) structure.roots.push_back(add(structure, node, std::nullopt, counters));
  settle_discriminators(structure);
  pack_discriminators(structure);
  structure.sibling_tags.reserve(structure.nodes.size() + 1);
  structure.sibling_tags.push_back(tags_of(structure, structure.roots));
  for (const SNode& node : structure.nodes) structure.sibling_tags.push_back(tags_of(structure, node.children));
  structure.variant_runs.resize(structure.nodes.size());
  mark_variant_runs(structure, counters, structure.roots, 0);
  for (const SNode& node : structure.nodes) mark_variant_runs(structure, counters, node.children, 1);
  for (const SNode& node : structure.nodes) {
    const Kind::Group* group = node.group();
    if (group == nullptr) continue;
    std::vector<NodeIndex>& holders = structure.group_holders[group->group];
    for (auto up = node.parent; up; up = structure.nodes[*up].parent) holders.push_back(*up);
  }
  for (auto& [group, holders] : structure.group_holders) {
    std::ranges::sort(holders);
    const auto [first, last] = std::ranges::unique(holders);
    holders.erase(first, last);
  }
  mark_vorgang(structure);
  return structure;
}

bool Structure::fits(NodeIndex node, const edifact::model::Segment& segment) const {
  QualifierTexts texts(segment);
  return fits(node, texts);
}

bool Structure::fits(NodeIndex node, QualifierTexts& texts) const { return fit(node, texts) != Fit::None; }

Structure::Fit Structure::fit(NodeIndex node, QualifierTexts& texts) const {
  const SNode& candidate = nodes[node];
  if (const Kind::Segment* segment_node = candidate.segment()) {
    if (segment_node->tag_key != texts.tag_key()) return Fit::None;
    if (texts.tag_key() == long_tag_key && segment_node->tag != texts.segment().tag()) return Fit::None;
    // The worst answer of the code tests decides; tests without codes add none.
    Fit worst = Fit::Uncoded;
    const auto take = [&worst](Meet meet) {
      if (meet == Meet::Refused) return false;
      const Fit answer = meet == Meet::Empty     ? Fit::LeavesEmpty
                         : meet == Meet::Foreign ? Fit::Foreign
                         : meet == Meet::Own     ? Fit::Matched
                                                 : Fit::Uncoded;
      if (answer != Fit::Uncoded && (worst == Fit::Uncoded || answer < worst)) worst = answer;
      return true;
    };
    if (segment_node->packed.size() == segment_node->discriminators.size()) {
      for (const PackedDiscriminator& test : segment_node->packed) {
        if (!take(test.meet(texts))) return Fit::None;
      }
    } else {
      for (const Discriminator& test : segment_node->discriminators) {
        if (!take(test.meet(texts.segment()))) return Fit::None;
      }
    }
    return worst;
  }
  if (candidate.children.empty()) return Fit::None;
  const NodeIndex trigger = candidate.children.front();
  return nodes[trigger].segment() != nullptr ? fit(trigger, texts) : Fit::None;
}

}  // namespace edi_energy::profile::structure

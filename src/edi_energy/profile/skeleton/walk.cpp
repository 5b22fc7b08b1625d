#include <algorithm>
#include <limits>

#include "edifact/model/compact_built.hpp"
#include "edifact/model/segment_builder.hpp"
#include "edi_energy/profile/skeleton/generator.hpp"
#include "support/internal_fault.hpp"

namespace edi_energy::profile::skeleton {

namespace {

std::size_t saturating_product(std::size_t a, std::size_t b) {
  if (a != 0 && b > std::numeric_limits<std::size_t>::max() / a) return std::numeric_limits<std::size_t>::max();
  return a * b;
}

const model::Row* group_row(const model::Anwendungsfall& anwendungsfall, std::string_view group,
                            std::string_view trigger_nr) {
  for (const model::Row& row : anwendungsfall.rows) {
    if (row.group == group && row.before == trigger_nr) return &row;
  }
  for (const model::Row& row : anwendungsfall.rows) {
    if (row.nr == trigger_nr) return &row;
  }
  return nullptr;
}

}  // namespace

const model::SegmentNode& Generator::layout(const structure::Kind::Segment& segment) const {
  if (segment.def >= profile_.structure().segment_defs.size()) throw support::InternalFault("segment node has a layout");
  return profile_.structure().segment_defs[segment.def];
}

void Generator::walk(std::span<const structure::NodeIndex> nodes, bool seeded, structure::InstanceIndex instance,
                     std::size_t repetition) {
  for (const structure::NodeIndex index : nodes) {
    if (profile_.structure().nodes.at(index).group() != nullptr) {
      walk_group(index, seeded, instance, repetition);
    } else {
      walk_segment(index, seeded, instance, repetition);
    }
  }
}

void Generator::walk_group(structure::NodeIndex index, bool seeded, structure::InstanceIndex instance,
                           std::size_t repetition) {
  const structure::Structure& structure = profile_.structure();
  const structure::SNode& node = structure.nodes[index];
  if (node.children.empty()) return;
  const structure::Kind::Segment* trigger = structure.nodes.at(node.children.front()).segment();
  if (trigger == nullptr) return;

  if (seeded && resolution_ != nullptr) {
    bool reproduced = false;
    for (const structure::InstanceIndex child : resolution_->instances.at(instance).children) {
      if (resolution_->instances.at(child).node != index) continue;
      walk_instance(index, true, child, 0);
      reproduced = true;
    }
    if (reproduced) return;
  }

  if (suppressed_segment(trigger->nr)) return;
  if (!forced_segment(trigger->nr)) {
    const model::Row* row = group_row(anwendungsfall_, node.group()->group, trigger->nr);
    deciding_ = index;
    if (row == nullptr || !required_here(&row->status)) return;
  }

  std::size_t count = 1;
  for (const structure::NodeIndex child : node.children) count = std::max(count, paket_rounds(child));
  if (node.max != 0) count = std::min<std::size_t>(count, node.max);
  if (count < 2) {
    walk_instance(index, false, instance, repetition);
    return;
  }
  for (std::size_t r = 0; r < count; ++r) walk_instance(index, false, instance, r);
}

void Generator::walk_instance(structure::NodeIndex index, bool seeded, structure::InstanceIndex instance,
                              std::size_t repetition) {
  const structure::SNode& group = profile_.structure().nodes[index];
  const bool opens_vorgang = vorgang_ == nullptr && group.group()->group == profile_.structure().vorgang_group;
  if (opens_vorgang) {
    vorgang_ = &vorgaenge_.emplace_back(VorgangSpan{out_.size(), out_.size()});
    const auto learned = keys_.vorgaenge.find(vorgaenge_.size() - 1);
    vorgang_keys_ = learned == keys_.vorgaenge.end() ? nullptr : &learned->second;
  }
  open_.push_back(OpenInstance{group.group()->group, index, out_.size()});
  walk(group.children, seeded, instance, repetition);
  open_.pop_back();
  if (opens_vorgang) {
    vorgang_->end = out_.size();
    vorgang_ = nullptr;
    vorgang_keys_ = nullptr;
  }
}

bool Generator::forced_segment(std::string_view nr) const {
  return keys_.forced_segments.contains(nr) || (vorgang_keys_ != nullptr && vorgang_keys_->forced_segments.contains(nr));
}

bool Generator::suppressed_segment(std::string_view nr) const {
  return keys_.suppressed_segments.contains(nr) ||
         (vorgang_keys_ != nullptr && vorgang_keys_->suppressed_segments.contains(nr));
}

bool Generator::forced_element(const ElementKey& key) const {
  return keys_.forced_elements.contains(key) || (vorgang_keys_ != nullptr && vorgang_keys_->forced_elements.contains(key));
}

bool Generator::suppressed_element(const ElementKey& key) const {
  return keys_.suppressed_elements.contains(key) ||
         (vorgang_keys_ != nullptr && vorgang_keys_->suppressed_elements.contains(key));
}

std::size_t Generator::rotation(const ElementKey& key) const {
  const auto count = [&key](const Rotation& counts) {
    const auto found = counts.find(key);
    return found == counts.end() ? std::size_t{0} : found->second;
  };
  return count(keys_.code_rotation) + (vorgang_keys_ == nullptr ? 0 : count(vorgang_keys_->code_rotation));
}

void Generator::walk_segment(structure::NodeIndex index, bool seeded, structure::InstanceIndex instance,
                             std::size_t repetition) {
  const structure::SNode& node = profile_.structure().nodes[index];
  const model::SegmentNode& def = layout(*node.segment());

  if (seeded && resolution_ != nullptr) {
    bool reproduced = false;
    for (const std::size_t at : resolution_->instances.at(instance).segments) {
      const auto& placement = resolution_->placements.at(at);
      if (!placement || placement->node != index) continue;
      if (at >= seeds_.size()) throw support::InternalFault("a seeded segment has a seed");
      write(merge(def, seeds_[at]));
      reproduced_[at] = true;
      reproduced = true;
    }
    if (reproduced) return;
  }

  const std::string& nr = node.segment()->nr;
  if (suppressed_segment(nr)) return;
  deciding_ = index;
  if (!forced_segment(nr) && !required_here(anwendungsfall_.segment_status(nr))) return;

  const std::vector<Pin>& pins = pins_of(nr);
  if (pins.empty()) {
    write(segment(def, nullptr));
    return;
  }
  const std::size_t per_round = node.max == 0 ? std::numeric_limits<std::size_t>::max() : node.max;
  const std::size_t first = std::min(saturating_product(repetition, per_round), pins.size());
  const std::size_t last = first + std::min(per_round, pins.size() - first);
  for (std::size_t at = first; at < last; ++at) write(segment(def, &pins[at]));
}

void Generator::write(edifact::model::Segment segment) {
  out_.push_back(std::move(segment));
  if (out_.size() - compacted_ >= compaction_batch) compact_written();
}

void Generator::compact_written() {
  edifact::model::compact_built(std::span<edifact::model::Segment>(out_).subspan(compacted_));
  compacted_ = out_.size();
}

std::vector<SkippedSeed> Generator::skipped_seeds() const {
  std::vector<SkippedSeed> skipped;
  for (std::size_t at = 0; at < seeds_.size(); ++at) {
    if (!reproduced_[at]) skipped.push_back(SkippedSeed{at, std::string(seeds_[at].tag())});
  }
  return skipped;
}

edifact::model::Segment Generator::merge(const model::SegmentNode& node, const edifact::model::Segment& seed) const {
  const auto names_node = [&](const ElementKey& key) { return key.nr == node.nr; };
  const bool touched = std::ranges::any_of(keys_.forced_elements, names_node) ||
                       (vorgang_keys_ != nullptr && std::ranges::any_of(vorgang_keys_->forced_elements, names_node));
  if (!touched) return seed;

  TextTable table;
  // The seed's spans stay with its values, so that what the seed wrote can still be told apart
  // from what completion adds.
  std::vector<edifact::model::Span> element_spans;
  std::vector<std::vector<edifact::model::Span>> spans;
  for (const auto element : seed.elements()) {
    auto& texts = table.emplace_back();
    auto& kept = spans.emplace_back();
    element_spans.push_back(element.span());
    for (const auto component : element.components()) {
      texts.emplace_back(component.text);
      kept.push_back(component.span);
    }
  }
  std::vector<const model::ElementRule*> rules;
  for (const model::ElementRule& rule : anwendungsfall_.elements) {
    if (rule.nr == node.nr) rules.push_back(&rule);
  }
  std::vector<std::pair<std::size_t, std::size_t>> written;
  for (const Leaf& leaf : leaves(node)) {
    const ElementKey key{node.nr, leaf.def->id};
    if (!forced_element(key)) continue;
    if (leaf.element < table.size() && leaf.component < table[leaf.element].size() &&
        !table[leaf.element][leaf.component].empty()) {
      continue;
    }
    const auto rule = std::ranges::find_if(rules, [&](const model::ElementRule* candidate) {
      return candidate->de == leaf.def->id && candidate->occurrence == leaf.occurrence;
    });
    // Filled on the seed, a repeat the column does not name could never be taken out again.
    if (!takes_forced_value(rules, leaf, rule == rules.end() ? nullptr : *rule)) continue;
    const std::size_t n = rotation(key);
    if (table.size() <= leaf.element) table.resize(leaf.element + 1);
    std::string value = forced(node, leaf, rule == rules.end() ? nullptr : *rule, n, table, table[leaf.element]);
    auto& components = table[leaf.element];
    if (components.size() <= leaf.component) components.resize(leaf.component + 1);
    components[leaf.component] = std::move(value);
    written.emplace_back(leaf.element, leaf.component);
  }
  sample_answers(node, rules, table, &written);

  for (const auto& [element, component] : written) {
    if (element < spans.size() && component < spans[element].size()) spans[element][component] = {};
  }
  edifact::model::SegmentBuilder builder(node.tag, seed.span(), seed.tag_span());
  for (auto& components : table) {
    while (!components.empty() && components.back().empty()) components.pop_back();
  }
  while (!table.empty() && table.back().empty()) table.pop_back();
  for (std::size_t element = 0; element < table.size(); ++element) {
    builder.element(element < element_spans.size() ? element_spans[element] : edifact::model::Span{});
    for (std::size_t component = 0; component < table[element].size(); ++component) {
      const bool seeded = element < spans.size() && component < spans[element].size();
      builder.component(table[element][component], seeded ? spans[element][component] : edifact::model::Span{});
    }
  }
  return builder.build();
}

}  // namespace edi_energy::profile::skeleton

#include <algorithm>
#include <cstdint>
#include <limits>
#include <optional>

#include "edi_energy/profile/structure.hpp"

namespace edi_energy::profile::structure {
namespace {

using edifact::model::Segment;

// One placement pass. Each sibling list is walked node by node; a segment that the current
// node refuses moves the walk straight to the first later node that takes it, or back to an
// earlier variant of the group or segment that took the last segment, or ends the level when an
// enclosing level takes it, so every segment costs at most one scan of the levels above it. Recursion
// follows the group nesting of the MIG, never the length of the message.
class Walk {
 public:
  Walk(const Structure& structure, std::span<const Segment> segments, Resolution& resolution)
      : structure_(structure), segments_(segments), resolution_(resolution),
        indexed_(structure.sibling_tags.size() == structure.nodes.size() + 1),
        with_runs_(structure.variant_runs.size() == structure.nodes.size()) {
    tag_keys_.reserve(segments.size());
    for (const Segment& segment : segments) tag_keys_.push_back(tag_key(segment.tag()));
    if (with_runs_) {
      opened_in_.assign(structure.nodes.size(), no_instance);
      opened_.assign(structure.nodes.size(), 0);
    }
  }

  // `list`: 0 for the roots, n + 1 for the children of node n.
  std::size_t walk(std::size_t list, std::size_t position, InstanceIndex instance) {
    const std::span<const NodeIndex> siblings = siblings_of(list);
    const auto has_room = [&](std::size_t at) { return room_for(siblings[at], instance); };
    std::size_t sibling = 0;
    std::size_t repetitions = 0;
    std::optional<std::size_t> taker;  // the sibling that took the last segment of this level
    const auto move_to = [&](std::size_t at) {
      sibling = at;
      repetitions = opened_here(siblings[at], instance);
    };
    while (sibling < siblings.size() && position < segments_.size()) {
      const NodeIndex node = siblings[sibling];
      if (!fits(node, position)) {
        auto next = first_fit(list, sibling + 1, siblings.size(), position, has_room);
        if (!next && taker && in_run(siblings[*taker])) {
          const Structure::VariantRun& run = structure_.variant_runs[siblings[*taker]];
          next = first_fit(list, run.first, std::min<std::size_t>(sibling, run.end), position, has_room);
        }
        if (next) {
          move_to(*next);
        } else if (fits_enclosing_level(position)) {
          return position;
        } else {
          resolution_.unplaced.push_back(position);
          ++position;
        }
        continue;
      }
      // A segment that leaves a code test of this node empty, or meets one with a code it does
      // not list, goes to a later node whose code tests all find their codes in it. The trigger
      // that opened the instance was placed by the level above.
      const bool opening = sibling == 0 && repetitions == 0 && instance != root_instance;
      if (!opening && weak(fit(node, position))) {
        if (auto better = first_fit(list, sibling + 1, siblings.size(), position, [&](std::size_t at) {
              return has_room(at) && fit(siblings[at], position) == Structure::Fit::Matched;
            })) {
          move_to(*better);
          continue;
        }
      }
      const SNode& taker_node = structure_.nodes[node];
      position = taker_node.group() != nullptr ? open_instance(list, sibling, position, instance)
                                               : place(node, position, instance, repetitions);
      taker = sibling;
      ++repetitions;
      const bool unbounded_segment =
          taker_node.segment() != nullptr && (instance == root_instance || sibling != 0);
      if (!(taker_node.max == 0 || repetitions < taker_node.max || unbounded_segment)) {
        ++sibling;
        repetitions = sibling < siblings.size() ? opened_here(siblings[sibling], instance) : 0;
      }
    }
    return position;
  }

 private:
  // The tail of `list` from the group being walked (`from`) on, and the earlier variants of
  // that group (from `variants_from`).
  struct Level {
    std::size_t list;
    std::size_t from;
    std::size_t variants_from;
  };

  std::span<const NodeIndex> siblings_of(std::size_t list) const {
    return list == 0 ? std::span<const NodeIndex>(structure_.roots) : structure_.nodes[list - 1].children;
  }

  static constexpr InstanceIndex no_instance = static_cast<InstanceIndex>(-1);

  static bool weak(Structure::Fit fit) {
    return fit == Structure::Fit::LeavesEmpty || fit == Structure::Fit::Foreign;
  }

  bool in_run(NodeIndex node) const {
    return with_runs_ && structure_.variant_runs[node].end - structure_.variant_runs[node].first > 1;
  }

  // Where the run of variants of the node at `at` of its list begins.
  std::size_t variants_from(NodeIndex node, std::size_t at) const {
    return in_run(node) ? structure_.variant_runs[node].first : at;
  }

  // The instances of a variant group opened so far in `instance`, or the segments a variant
  // segment took there; its repetitions start from there when the walk comes back to it. Other
  // nodes are never come back to.
  std::size_t opened_here(NodeIndex node, InstanceIndex instance) const {
    return in_run(node) && opened_in_[node] == instance ? opened_[node] : 0;
  }

  bool room_for(NodeIndex node, InstanceIndex instance) const {
    const std::uint32_t max = structure_.nodes[node].max;
    return max == 0 || !in_run(node) || opened_here(node, instance) < max;
  }

  // The group being entered stands at `from` in `list`: its trigger, the triggers of its
  // variants, and any later sibling, close the instance.
  std::size_t open_instance(std::size_t list, std::size_t from, std::size_t position, InstanceIndex parent) {
    const NodeIndex group = siblings_of(list)[from];
    const InstanceIndex opened = resolution_.instances.size();
    resolution_.instances.push_back(Instance{group, parent, {}, {}, position, position});
    resolution_.instances[parent].children.push_back(opened);
    if (in_run(group)) count_in(group, parent);
    enclosing_levels_.push_back({list, from, variants_from(group, from)});
    const std::size_t end = walk(group + 1, position, opened);
    enclosing_levels_.pop_back();
    resolution_.instances[opened].end = end;
    return end;
  }

  std::size_t place(NodeIndex node, std::size_t position, InstanceIndex instance, std::size_t repetitions) {
    const auto occurrence = static_cast<std::uint32_t>(
        std::min<std::size_t>(repetitions, std::numeric_limits<std::uint32_t>::max()));
    resolution_.placements[position] = Placement{node, instance, occurrence};
    resolution_.instances[instance].segments.push_back(position);
    if (in_run(node)) count_in(node, instance);
    return position + 1;
  }

  void count_in(NodeIndex variant, InstanceIndex instance) {
    if (opened_in_[variant] != instance) opened_[variant] = 0;
    opened_in_[variant] = instance;
    ++opened_[variant];
  }

  QualifierTexts& texts_at(std::size_t position) const {
    if (texts_at_ != position + 1) {
      texts_.emplace(segments_[position]);
      texts_at_ = position + 1;
    }
    return *texts_;
  }

  // A segment that closes groups is offered to the same nodes once per level it closes, so
  // each node's answer for the current segment is kept.
  Structure::Fit fit(NodeIndex node, std::size_t position) const {
    if (asked_for_[node] == position + 1) return answers_[node];
    const Structure::Fit answer = structure_.fit(node, texts_at(position));
    asked_for_[node] = position + 1;
    answers_[node] = answer;
    return answer;
  }

  bool fits(NodeIndex node, std::size_t position) const { return fit(node, position) != Structure::Fit::None; }

  // The first node of `list` in [from, to) that takes the segment and that `accept` (given
  // the position in the list) agrees to. Only nodes whose tag (or trigger's tag) is the
  // segment's can take it, so the index of the list hands out just those.
  template <class Accept>
  std::optional<std::size_t> first_fit(std::size_t list, std::size_t from, std::size_t to, std::size_t position,
                                       const Accept& accept) const {
    const std::span<const NodeIndex> siblings = siblings_of(list);
    to = std::min(to, siblings.size());
    if (!indexed_) {
      for (std::size_t at = from; at < to; ++at) {
        if (fits(siblings[at], position) && accept(at)) return at;
      }
      return std::nullopt;
    }
    const auto& entries = structure_.sibling_tags[list];
    const std::uint32_t key = tag_keys_[position];
    const Structure::TagEntry first{key, static_cast<std::uint32_t>(std::min<std::size_t>(from, UINT32_MAX))};
    for (auto entry = std::ranges::lower_bound(entries, first); entry != entries.end() && entry->key == key; ++entry) {
      if (entry->at >= to) break;
      if (fits(siblings[entry->at], position) && accept(entry->at)) return entry->at;
    }
    return std::nullopt;
  }

  // The earlier variants are asked last: the segment mostly fits a later node, if any.
  bool fits_enclosing_level(std::size_t position) const {
    const auto any = [](std::size_t) { return true; };
    return std::any_of(enclosing_levels_.rbegin(), enclosing_levels_.rend(), [&](const Level& level) {
      return first_fit(level.list, level.from, siblings_of(level.list).size(), position, any).has_value() ||
             first_fit(level.list, level.variants_from, level.from, position, any).has_value();
    });
  }

  const Structure& structure_;
  std::span<const Segment> segments_;
  Resolution& resolution_;
  bool indexed_;
  bool with_runs_;
  std::vector<std::uint32_t> tag_keys_;  // one per segment
  // Per node: the position (plus one) whose answer `answers_` holds.
  mutable std::vector<std::size_t> asked_for_ = std::vector<std::size_t>(structure_.nodes.size(), 0);
  mutable std::vector<Structure::Fit> answers_ =
      std::vector<Structure::Fit>(structure_.nodes.size(), Structure::Fit::None);
  // The qualifier texts of the segment at `texts_at_` - 1.
  mutable std::optional<QualifierTexts> texts_;
  mutable std::size_t texts_at_ = 0;
  // Innermost last.
  std::vector<Level> enclosing_levels_;
  // Per variant: the instance it was last opened or placed in, and how often there.
  std::vector<InstanceIndex> opened_in_;
  std::vector<std::uint32_t> opened_;
};

}  // namespace

Resolution Structure::resolve(std::span<const Segment> segments) const {
  Resolution resolution;
  resolution.placements.resize(segments.size());
  resolution.instances.push_back(Instance{std::nullopt, std::nullopt, {}, {}, 0, segments.size()});
  const std::size_t stopped = Walk(*this, segments, resolution).walk(0, 0, root_instance);
  for (std::size_t position = stopped; position < segments.size(); ++position) resolution.unplaced.push_back(position);
  std::ranges::sort(resolution.unplaced);
  return resolution;
}

}  // namespace edi_energy::profile::structure

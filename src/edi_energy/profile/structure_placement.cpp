#include <algorithm>
#include <cstdint>
#include <limits>
#include <optional>

#include "edi_energy/profile/structure.hpp"

namespace edi_energy::profile::structure {
namespace {

using edifact::model::Segment;

// One placement pass. Each sibling list is walked node by node; a segment that the current
// node refuses moves the walk straight to the first later node that takes it, or ends the level
// when an enclosing level takes it, so every segment costs at most one scan of the levels above
// it. Recursion follows the group nesting of the MIG, never the length of the message.
class Walk {
 public:
  Walk(const Structure& structure, std::span<const Segment> segments, Resolution& resolution)
      : structure_(structure), segments_(segments), resolution_(resolution),
        indexed_(structure.sibling_tags.size() == structure.nodes.size() + 1) {
    tag_keys_.reserve(segments.size());
    for (const Segment& segment : segments) tag_keys_.push_back(tag_key(segment.tag()));
  }

  // `list`: 0 for the roots, n + 1 for the children of node n.
  std::size_t walk(std::size_t list, std::size_t position, InstanceIndex instance) {
    const std::span<const NodeIndex> siblings = siblings_of(list);
    std::size_t sibling = 0;
    std::size_t repetitions = 0;
    while (sibling < siblings.size() && position < segments_.size()) {
      const NodeIndex node = siblings[sibling];
      if (!fits(node, position)) {
        if (auto later = first_fit(list, sibling + 1, position)) {
          sibling = *later;
          repetitions = 0;
        } else if (fits_enclosing_level(position)) {
          return position;
        } else {
          resolution_.unplaced.push_back(position);
          ++position;
        }
        continue;
      }
      const SNode& taker = structure_.nodes[node];
      position = taker.group() != nullptr ? open_instance(list, sibling, position, instance)
                                          : place(node, position, instance, repetitions);
      ++repetitions;
      const bool unbounded_segment = taker.segment() != nullptr && (instance == root_instance || sibling != 0);
      if (!(taker.max == 0 || repetitions < taker.max || unbounded_segment)) {
        ++sibling;
        repetitions = 0;
      }
    }
    return position;
  }

 private:
  struct Level {
    std::size_t list;
    std::size_t from;
  };

  std::span<const NodeIndex> siblings_of(std::size_t list) const {
    return list == 0 ? std::span<const NodeIndex>(structure_.roots) : structure_.nodes[list - 1].children;
  }

  // The group being entered stands at `from` in `list`: its trigger, and any later sibling,
  // closes the instance.
  std::size_t open_instance(std::size_t list, std::size_t from, std::size_t position, InstanceIndex parent) {
    const NodeIndex group = siblings_of(list)[from];
    const InstanceIndex opened = resolution_.instances.size();
    resolution_.instances.push_back(Instance{group, parent, {}, {}, position, position});
    resolution_.instances[parent].children.push_back(opened);
    enclosing_levels_.push_back({list, from});
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
    return position + 1;
  }

  // A segment that closes groups is offered to the same nodes once per level it closes, so
  // each node's answer for the current segment is kept.
  bool fits(NodeIndex node, std::size_t position) const {
    if (asked_for_[node] == position + 1) return answers_[node];
    if (texts_at_ != position + 1) {
      texts_.emplace(segments_[position]);
      texts_at_ = position + 1;
    }
    const bool answer = structure_.fits(node, *texts_);
    asked_for_[node] = position + 1;
    answers_[node] = answer;
    return answer;
  }

  // The first node of `list` from `from` on that takes the segment. Only nodes whose tag (or
  // trigger's tag) is the segment's can, so the index of the list hands out just those.
  std::optional<std::size_t> first_fit(std::size_t list, std::size_t from, std::size_t position) const {
    const std::span<const NodeIndex> siblings = siblings_of(list);
    if (!indexed_) {
      for (std::size_t at = from; at < siblings.size(); ++at) {
        if (fits(siblings[at], position)) return at;
      }
      return std::nullopt;
    }
    const auto& entries = structure_.sibling_tags[list];
    const std::uint32_t key = tag_keys_[position];
    const Structure::TagEntry first{key, static_cast<std::uint32_t>(std::min<std::size_t>(from, UINT32_MAX))};
    for (auto entry = std::ranges::lower_bound(entries, first); entry != entries.end() && entry->key == key; ++entry) {
      if (fits(siblings[entry->at], position)) return entry->at;
    }
    return std::nullopt;
  }

  bool fits_enclosing_level(std::size_t position) const {
    return std::any_of(enclosing_levels_.rbegin(), enclosing_levels_.rend(),
                       [&](const Level& level) { return first_fit(level.list, level.from, position).has_value(); });
  }

  const Structure& structure_;
  std::span<const Segment> segments_;
  Resolution& resolution_;
  bool indexed_;
  std::vector<std::uint32_t> tag_keys_;  // one per segment
  // Per node: the position (plus one) whose answer `answers_` holds.
  mutable std::vector<std::size_t> asked_for_ = std::vector<std::size_t>(structure_.nodes.size(), 0);
  mutable std::vector<bool> answers_ = std::vector<bool>(structure_.nodes.size(), false);
  // The qualifier texts of the segment at `texts_at_` - 1.
  mutable std::optional<QualifierTexts> texts_;
  mutable std::size_t texts_at_ = 0;
  // Innermost last.
  std::vector<Level> enclosing_levels_;
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

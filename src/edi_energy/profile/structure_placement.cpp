#include <algorithm>
#include <limits>

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
      : structure_(structure), segments_(segments), resolution_(resolution) {
    tag_keys_.reserve(segments.size());
    for (const Segment& segment : segments) tag_keys_.push_back(tag_key(segment.tag()));
  }

  std::size_t walk(std::span<const NodeIndex> siblings, std::size_t position, InstanceIndex instance) {
    std::size_t sibling = 0;
    std::size_t repetitions = 0;
    while (sibling < siblings.size() && position < segments_.size()) {
      const NodeIndex node = siblings[sibling];
      if (!fits(node, position)) {
        if (auto later = first_fit(siblings.subspan(sibling + 1), position)) {
          sibling += 1 + *later;
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
      position = taker.group() != nullptr ? open_instance(siblings.subspan(sibling), position, instance)
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
  // `tail` starts at the group being entered: its trigger, and any later sibling, closes the
  // instance.
  std::size_t open_instance(std::span<const NodeIndex> tail, std::size_t position, InstanceIndex parent) {
    const NodeIndex group = tail.front();
    const InstanceIndex opened = resolution_.instances.size();
    resolution_.instances.push_back(Instance{group, parent, {}, {}, position, position});
    resolution_.instances[parent].children.push_back(opened);
    enclosing_levels_.push_back(tail);
    const std::size_t end = walk(structure_.nodes[group].children, position, opened);
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

  bool fits(NodeIndex node, std::size_t position) const {
    return structure_.fits(node, segments_[position], tag_keys_[position]);
  }

  std::optional<std::size_t> first_fit(std::span<const NodeIndex> nodes, std::size_t position) const {
    auto found = std::ranges::find_if(nodes, [&](NodeIndex node) { return fits(node, position); });
    if (found == nodes.end()) return std::nullopt;
    return static_cast<std::size_t>(found - nodes.begin());
  }

  bool fits_enclosing_level(std::size_t position) const {
    return std::any_of(enclosing_levels_.rbegin(), enclosing_levels_.rend(),
                       [&](std::span<const NodeIndex> level) { return first_fit(level, position).has_value(); });
  }

  const Structure& structure_;
  std::span<const Segment> segments_;
  Resolution& resolution_;
  std::vector<std::uint32_t> tag_keys_;  // one per segment
  // Innermost last.
  std::vector<std::span<const NodeIndex>> enclosing_levels_;
};

}  // namespace

Resolution Structure::resolve(std::span<const Segment> segments) const {
  Resolution resolution;
  resolution.placements.resize(segments.size());
  resolution.instances.push_back(Instance{std::nullopt, std::nullopt, {}, {}, 0, segments.size()});
  const std::size_t stopped = Walk(*this, segments, resolution).walk(roots, 0, root_instance);
  for (std::size_t position = stopped; position < segments.size(); ++position) resolution.unplaced.push_back(position);
  std::ranges::sort(resolution.unplaced);
  return resolution;
}

}  // namespace edi_energy::profile::structure

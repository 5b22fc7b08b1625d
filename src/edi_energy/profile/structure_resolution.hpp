// Where the segments of one message stand in a compiled structure: the node that took each
// segment, the group instances they form, and the segments that fit nowhere.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace edi_energy::profile::structure {

using NodeIndex = std::size_t;
using InstanceIndex = std::size_t;

inline constexpr InstanceIndex root_instance = 0;

struct Placement {
  NodeIndex node = 0;
  InstanceIndex instance = 0;
  // How many segments the node had already taken within this instance.
  std::uint32_t occurrence = 0;

  friend bool operator==(const Placement&, const Placement&) = default;
};

// One group instance, or the message root (index 0, which has neither node nor parent).
struct Instance {
  std::optional<NodeIndex> node;
  std::optional<InstanceIndex> parent;
  std::vector<InstanceIndex> children;
  // Segments placed directly here, not in nested instances; ascending.
  std::vector<std::size_t> segments;
  // The trigger segment, and one past the last segment the instance's pass consumed (unplaced
  // segments inside it included).
  std::size_t start = 0;
  std::size_t end = 0;

  bool is_group() const { return node.has_value(); }

  friend bool operator==(const Instance&, const Instance&) = default;
};

struct Resolution {
  // One slot per message segment; empty for an unplaced segment.
  std::vector<std::optional<Placement>> placements;
  // Parents before their children, in the order the triggers were met.
  std::vector<Instance> instances;
  // Ascending.
  std::vector<std::size_t> unplaced;
};

}  // namespace edi_energy::profile::structure

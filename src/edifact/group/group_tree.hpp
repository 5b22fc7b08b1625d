// Segment-group trees: which segments of one message form which instance of which segment
// group, found from the tags that open each group. The tree holds segment indices and the
// static group names of the profile, never segment text.
#pragma once

#include <cstddef>
#include <span>
#include <string_view>
#include <vector>

#include "edifact/model/segment.hpp"

namespace edifact::group {

// One group definition of a profile: the group's name ("SG4"), the tag of its first segment and
// the definitions of its child groups. Names and triggers live as long as the profile, which is
// the whole process.
struct GroupSchemaEntry {
  std::string_view name;
  std::string_view trigger;
  std::vector<GroupSchemaEntry> children;
};

using GroupSchema = std::vector<GroupSchemaEntry>;

inline constexpr std::string_view root_group_name = "ROOT";

// One group instance. `start` and `end` are a half-open range of indices into the segment list
// given to the root; `occurrence` counts earlier same-named siblings.
struct SegmentGroupIndexed {
  std::vector<SegmentGroupIndexed> children;
  std::string_view name;
  std::size_t start = 0;
  std::size_t end = 0;
  std::size_t occurrence = 0;

  // Takes the fields in declaration order, as brace initialisation of a plain struct would.
  SegmentGroupIndexed(std::vector<SegmentGroupIndexed> children = {}, std::string_view name = {},
                      std::size_t start = 0, std::size_t end = 0, std::size_t occurrence = 0);
  SegmentGroupIndexed(const SegmentGroupIndexed&) = default;
  SegmentGroupIndexed(SegmentGroupIndexed&&) noexcept = default;
  SegmentGroupIndexed& operator=(const SegmentGroupIndexed&) = default;
  SegmentGroupIndexed& operator=(SegmentGroupIndexed&&) noexcept = default;
  // Takes the subtree apart level by level, so a tree as deep as a hostile schema allows is
  // released without exhausting the call stack.
  ~SegmentGroupIndexed();

  friend bool operator==(const SegmentGroupIndexed&, const SegmentGroupIndexed&) = default;
};

// Fills `node` with the group instances found in `segments` (the segments after the node's
// trigger, or all of them for the root) and returns how many segments the node consumed.
// A tag in `stop_tags` that opens no group of this level ends the node. `base` is the index of
// `segments[0]` in the whole list. Works with an explicit stack, so deep schemas cannot exhaust
// the call stack.
std::size_t group_recursive_indexed(std::span<const model::Segment> segments,
                                    SegmentGroupIndexed& node,
                                    std::span<const GroupSchemaEntry> definitions,
                                    std::span<const std::string_view> stop_tags, std::size_t base);

// The tree of one message: a "ROOT" node over all of its segments.
SegmentGroupIndexed message_group_tree(std::span<const model::Segment> segments,
                                       std::span<const GroupSchemaEntry> schema);

}  // namespace edifact::group

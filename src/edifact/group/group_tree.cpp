#include "edifact/group/group_tree.hpp"

#include <algorithm>
#include <utility>

namespace edifact::group {
namespace {

// One level of the walk. `stop_tags[0, inherited_stops)` end this level; the prefix
// `[0, child_stops)` is what its child instances inherit.
struct Level {
  SegmentGroupIndexed* node;
  std::span<const GroupSchemaEntry> definitions;
  std::size_t begin;     // the level's first segment, as an index into the walked span
  std::size_t position;  // the next segment to look at
  std::size_t inherited_stops;
  std::size_t child_stops = 0;
  std::vector<std::pair<std::string_view, std::size_t>> instance_counts{};
};

bool contains(std::span<const std::string_view> tags, std::string_view tag) {
  return std::find(tags.begin(), tags.end(), tag) != tags.end();
}

const GroupSchemaEntry* opened_definition(std::span<const GroupSchemaEntry> definitions,
                                          std::string_view tag) {
  auto match = std::find_if(definitions.begin(), definitions.end(),
                            [&](const GroupSchemaEntry& entry) { return entry.trigger == tag; });
  return match == definitions.end() ? nullptr : &*match;
}

std::size_t next_occurrence(Level& level, std::string_view name) {
  for (auto& [counted_name, count] : level.instance_counts) {
    if (counted_name == name) return count++;
  }
  level.instance_counts.emplace_back(name, 1);
  return 0;
}

// The stop list is one shared stack: a level's list is its parent's followed by its own
// triggers, so entering a level cuts the stack back to what the level inherits.
void enter(Level& level, std::vector<std::string_view>& stop_tags) {
  stop_tags.resize(level.inherited_stops);
  for (const GroupSchemaEntry& definition : level.definitions) {
    if (!contains(stop_tags, definition.trigger)) stop_tags.push_back(definition.trigger);
  }
  level.child_stops = stop_tags.size();
}

}  // namespace

std::size_t group_recursive_indexed(std::span<const model::Segment> segments,
                                    SegmentGroupIndexed& node,
                                    std::span<const GroupSchemaEntry> definitions,
                                    std::span<const std::string_view> stop_tags, std::size_t base) {
  std::vector<std::string_view> stops(stop_tags.begin(), stop_tags.end());
  std::vector<Level> open_levels;
  open_levels.push_back(Level{&node, definitions, 0, 0, stops.size()});
  enter(open_levels.back(), stops);

  std::size_t consumed = 0;
  while (!open_levels.empty()) {
    Level& level = open_levels.back();
    const std::span<const std::string_view> ending_tags(stops.data(), level.inherited_stops);
    bool opened_child = false;
    while (level.position < segments.size()) {
      const std::string_view tag = segments[level.position].tag();
      const GroupSchemaEntry* definition = opened_definition(level.definitions, tag);
      if (definition != nullptr) {
        const std::size_t trigger_index = base + level.position;
        level.node->children.push_back(SegmentGroupIndexed{
            {}, definition->name, trigger_index, trigger_index + 1,
            next_occurrence(level, definition->name)});
        Level child{&level.node->children.back(), definition->children, level.position + 1,
                    level.position + 1, level.child_stops};
        enter(child, stops);
        open_levels.push_back(std::move(child));  // invalidates `level`
        opened_child = true;
        break;
      }
      if (contains(ending_tags, tag)) break;
      ++level.position;
    }
    if (opened_child) continue;

    consumed = level.position - level.begin;
    SegmentGroupIndexed& finished = *level.node;
    if (finished.start >= finished.end) finished.start = base + level.begin;
    finished.end = base + level.begin + consumed;
    const std::size_t resume_at = level.position;
    open_levels.pop_back();
    if (!open_levels.empty()) open_levels.back().position = resume_at;
  }
  return consumed;
}

SegmentGroupIndexed message_group_tree(std::span<const model::Segment> segments,
                                       std::span<const GroupSchemaEntry> schema) {
  SegmentGroupIndexed root{{}, root_group_name, 0, 0, 0};
  group_recursive_indexed(segments, root, schema, {}, 0);
  return root;
}

}  // namespace edifact::group

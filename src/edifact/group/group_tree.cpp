#include "edifact/group/group_tree.hpp"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <utility>

namespace edifact::group {
namespace {

// Membership of tags in constant time, whatever the number of stop tags a deep or wide schema
// piles up. Tags of three capitals, which is every tag a parse yields and every trigger of a
// profile, own one bit each; any other tag goes to a list searched linearly.
class TagSet {
 public:
  bool contains(std::string_view tag) const {
    if (const auto bit = bit_of(tag)) return (bits_[*bit / 64] >> (*bit % 64) & 1u) != 0;
    return std::find(others_.begin(), others_.end(), tag) != others_.end();
  }

  void insert(std::string_view tag) {
    if (const auto bit = bit_of(tag)) {
      bits_[*bit / 64] |= std::uint64_t{1} << (*bit % 64);
    } else {
      others_.push_back(tag);
    }
  }

  // Only tags that were inserted once are ever erased.
  void erase(std::string_view tag) {
    if (const auto bit = bit_of(tag)) {
      bits_[*bit / 64] &= ~(std::uint64_t{1} << (*bit % 64));
    } else if (auto found = std::find(others_.begin(), others_.end(), tag); found != others_.end()) {
      others_.erase(found);
    }
  }

 private:
  static constexpr std::size_t LETTERS = 26;
  static constexpr std::size_t CAPITAL_TAGS = LETTERS * LETTERS * LETTERS;

  static std::optional<std::size_t> bit_of(std::string_view tag) {
    if (tag.size() != 3) return std::nullopt;
    std::size_t bit = 0;
    for (const char letter : tag) {
      if (letter < 'A' || letter > 'Z') return std::nullopt;
      bit = bit * LETTERS + static_cast<std::size_t>(letter - 'A');
    }
    return bit;
  }

  std::vector<std::uint64_t> bits_ = std::vector<std::uint64_t>((CAPITAL_TAGS + 63) / 64);
  std::vector<std::string_view> others_;
};

// The stop tags of every open level as one stack without repeats: a level's list is its
// parent's followed by those of its own triggers not yet in it. The set mirrors the stack, so
// adding a trigger costs the same however many tags are already there.
class StopStack {
 public:
  explicit StopStack(std::span<const std::string_view> inherited) {
    for (std::string_view tag : inherited) push(tag);
  }

  std::size_t size() const { return tags_.size(); }
  bool contains(std::string_view tag) const { return members_.contains(tag); }

  void push(std::string_view tag) {
    if (members_.contains(tag)) return;
    members_.insert(tag);
    tags_.push_back(tag);
  }

  void cut_to(std::size_t size) {
    while (tags_.size() > size) {
      members_.erase(tags_.back());
      tags_.pop_back();
    }
  }

 private:
  std::vector<std::string_view> tags_;
  TagSet members_;
};

// One level of the walk: the stack's first `inherited_stops` tags end it, and its children
// inherit the first `child_stops`.
struct Level {
  SegmentGroupIndexed* node;
  std::span<const GroupSchemaEntry> definitions;
  std::size_t begin;     // the level's first segment, as an index into the walked span
  std::size_t position;  // the next segment to look at
  std::size_t inherited_stops;
  std::size_t child_stops = 0;
  std::vector<std::pair<std::string_view, std::size_t>> instance_counts{};
};

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

void enter(Level& level, StopStack& stops) {
  stops.cut_to(level.inherited_stops);
  for (const GroupSchemaEntry& definition : level.definitions) stops.push(definition.trigger);
  level.child_stops = stops.size();
}

}  // namespace

SegmentGroupIndexed::SegmentGroupIndexed(std::vector<SegmentGroupIndexed> children,
                                         std::string_view name, std::size_t start,
                                         std::size_t end, std::size_t occurrence)
    : children(std::move(children)), name(name), start(start), end(end), occurrence(occurrence) {}

SegmentGroupIndexed::~SegmentGroupIndexed() {
  const bool has_grandchildren = std::ranges::any_of(
      children, [](const SegmentGroupIndexed& child) { return !child.children.empty(); });
  if (!has_grandchildren) return;
  // Each node popped here has had its children moved out, so its own destructor stops at once.
  std::vector<SegmentGroupIndexed> pending = std::move(children);
  while (!pending.empty()) {
    SegmentGroupIndexed node = std::move(pending.back());
    pending.pop_back();
    for (SegmentGroupIndexed& child : node.children) {
      if (!child.children.empty()) pending.push_back(std::move(child));
    }
  }
}

std::size_t group_recursive_indexed(std::span<const model::Segment> segments,
                                    SegmentGroupIndexed& node,
                                    std::span<const GroupSchemaEntry> definitions,
                                    std::span<const std::string_view> stop_tags, std::size_t base) {
  StopStack stops(stop_tags);
  std::vector<Level> open_levels;
  open_levels.push_back(Level{&node, definitions, 0, 0, stops.size()});
  enter(open_levels.back(), stops);

  std::size_t consumed = 0;
  while (!open_levels.empty()) {
    Level& level = open_levels.back();
    // A child that just finished left its own triggers on the stack.
    stops.cut_to(level.child_stops);
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
      // The level's own triggers matched above, so a hit here is an inherited stop tag.
      if (stops.contains(tag)) break;
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

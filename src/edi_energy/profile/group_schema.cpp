#include "edi_energy/profile/group_schema.hpp"

#include <algorithm>
#include <cstddef>
#include <forward_list>
#include <mutex>
#include <span>
#include <string>
#include <string_view>

namespace edi_energy::profile::leak_group_schema {
namespace {

using edifact::group::GroupSchemaEntry;
using structure::NodeIndex;

struct LeakedSchema {
  std::string texts;  // reserved to its final size before any view is taken
  GroupSchema schema;
};

// Every schema stays reachable from here until the process ends, so leak checkers see it as
// the process-lifetime storage it is. Never destroyed, so no exit-time order matters.
struct Arena {
  std::mutex mutex;
  std::forward_list<LeakedSchema> schemas;
};

Arena& arena() {
  static Arena* const instance = new Arena;
  return *instance;
}

// The views point into `structure` until `relocate` moves them into the leaked texts.
// Recursion follows the nesting of the MIG, which the document reader bounds.
GroupSchema entries_of(const structure::Structure& structure, std::span<const NodeIndex> list) {
  GroupSchema entries;
  for (NodeIndex index : list) {
    const structure::SNode& node = structure.nodes[index];
    const structure::Kind::Group* group = node.group();
    if (group == nullptr || node.children.empty()) continue;
    const structure::Kind::Segment* trigger = structure.nodes[node.children.front()].segment();
    if (trigger == nullptr) continue;
    const bool already_made = std::ranges::any_of(entries, [&](const GroupSchemaEntry& entry) {
      return entry.name == group->group && entry.trigger == trigger->tag;
    });
    if (already_made) continue;
    entries.push_back(GroupSchemaEntry{group->group, trigger->tag, entries_of(structure, node.children)});
  }
  entries.shrink_to_fit();
  return entries;
}

std::size_t text_size(const GroupSchema& schema) {
  std::size_t size = 0;
  for (const GroupSchemaEntry& entry : schema) size += entry.name.size() + entry.trigger.size() + text_size(entry.children);
  return size;
}

std::string_view copied(std::string& texts, std::string_view text) {
  const std::size_t offset = texts.size();
  texts.append(text);
  return std::string_view(texts).substr(offset, text.size());
}

void relocate(GroupSchema& schema, std::string& texts) {
  for (GroupSchemaEntry& entry : schema) {
    entry.name = copied(texts, entry.name);
    entry.trigger = copied(texts, entry.trigger);
    relocate(entry.children, texts);
  }
}

}  // namespace

const GroupSchema& build(const structure::Structure& structure) {
  GroupSchema schema = entries_of(structure, structure.roots);
  Arena& storage = arena();
  std::lock_guard lock(storage.mutex);
  LeakedSchema& leaked = storage.schemas.emplace_front();
  leaked.texts.reserve(text_size(schema));
  relocate(schema, leaked.texts);
  leaked.schema = std::move(schema);
  return leaked.schema;
}

}  // namespace edi_energy::profile::leak_group_schema

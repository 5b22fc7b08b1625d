#include "edi_energy/profile/group_schema.hpp"

#include <algorithm>
#include <cstddef>
#include <forward_list>
#include <iterator>
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

// Real MIGs list a group once per qualifier variant, and only the later variants may hold the
// child groups, so sibling nodes with one name and trigger share one entry whose children are
// the union of theirs, merged the same way, in first-seen order.
// The views point into `structure` until `relocate` moves them into the leaked texts.
// Recursion follows the nesting of the MIG, which the document reader bounds.
void merge_into(GroupSchema& entries, const structure::Structure& structure, std::span<const NodeIndex> list) {
  for (NodeIndex index : list) {
    const structure::SNode& node = structure.nodes[index];
    const structure::Kind::Group* group = node.group();
    if (group == nullptr || node.children.empty()) continue;
    const structure::Kind::Segment* trigger = structure.nodes[node.children.front()].segment();
    if (trigger == nullptr) continue;
    auto entry = std::ranges::find_if(entries, [&](const GroupSchemaEntry& made) {
      return made.name == group->group && made.trigger == trigger->tag;
    });
    if (entry == entries.end()) {
      entries.push_back(GroupSchemaEntry{group->group, trigger->tag, {}});
      entry = std::prev(entries.end());
    }
    merge_into(entry->children, structure, node.children);
  }
}

void trim(GroupSchema& schema) {
  schema.shrink_to_fit();
  for (GroupSchemaEntry& entry : schema) trim(entry.children);
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
  GroupSchema schema;
  merge_into(schema, structure, structure.roots);
  trim(schema);
  Arena& storage = arena();
  std::lock_guard lock(storage.mutex);
  LeakedSchema& leaked = storage.schemas.emplace_front();
  leaked.texts.reserve(text_size(schema));
  relocate(schema, leaked.texts);
  leaked.schema = std::move(schema);
  return leaked.schema;
}

}  // namespace edi_energy::profile::leak_group_schema

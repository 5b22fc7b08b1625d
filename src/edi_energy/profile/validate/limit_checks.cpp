#include "edi_energy/profile/validate/limit_checks.hpp"

#include <fmt/format.h>

#include <string>

#include "edi_energy/profile/validate/validate.hpp"

namespace edi_energy::profile::validate {

using edifact::report::Severity;
using edifact::report::ValidationIssue;

void LimitChecks::add(structure::InstanceIndex instance, structure::NodeIndex node, std::size_t count,
                      std::span<const RowLimit> limits) {
  for (const RowLimit& limit : limits) {
    const auto scope = scope_of(*limit.limit, instance);
    if (!scope) continue;
    if (*scope == instance) {
      if (count <= limit.limit->limit) continue;
      const std::size_t found = limit.qualified ? matching(limit, instance, node) : count;
      if (found > limit.limit->limit) report(Key{*scope, node, &limit}, found);
      continue;
    }
    // Nested instances of one scope add up; the scope is judged when all are counted.
    const std::size_t found = limit.qualified ? matching(limit, instance, node) : count;
    const Key key{*scope, node, &limit};
    const auto [at, fresh] = pending_at_.try_emplace(key, pending_.size());
    if (fresh) pending_.push_back(Pending{key, 0});
    pending_[at->second].count += found;
  }
}

void LimitChecks::finish() {
  for (const Pending& pending : pending_) {
    if (pending.count > pending.key.limit->limit->limit) report(pending.key, pending.count);
  }
}

std::optional<structure::InstanceIndex> LimitChecks::scope_of(const conditions::RepeatLimit& limit,
                                                              structure::InstanceIndex instance) const {
  const auto& instances = run_.resolution.instances;
  switch (limit.scope) {
    case conditions::RepeatLimit::Scope::Parent: return instance;
    case conditions::RepeatLimit::Scope::Message: {
      structure::InstanceIndex at = instance;
      while (instances[at].parent) at = *instances[at].parent;
      return at;
    }
    case conditions::RepeatLimit::Scope::Group:
      for (std::optional<structure::InstanceIndex> at = instance; at; at = instances[*at].parent) {
        const structure::Instance& candidate = instances[*at];
        const auto* group = candidate.node ? run_.structure.nodes[*candidate.node].group() : nullptr;
        if (group == nullptr || group->group != limit.scope_group) continue;
        // "je SG4 IDE+Z01" says nothing of an SG4 that begins otherwise.
        if (limit.scope_trigger && !limit.scope_trigger->matches(run_.segments[candidate.start])) return std::nullopt;
        return at;
      }
      return std::nullopt;
  }
  return std::nullopt;
}

std::size_t LimitChecks::matching(const RowLimit& limit, structure::InstanceIndex instance,
                                  structure::NodeIndex node) const {
  const conditions::SegmentPattern& pattern = *limit.limit->target_pattern;
  const structure::Instance& at = run_.resolution.instances[instance];
  std::size_t found = 0;
  if (run_.structure.nodes[node].segment() != nullptr) {
    for (const std::size_t segment : at.segments) {
      if (run_.resolution.placements[segment]->node == node && pattern.matches(run_.segments[segment])) ++found;
    }
    return found;
  }
  for (const structure::InstanceIndex child : at.children) {
    const structure::Instance& nested = run_.resolution.instances[child];
    if (nested.node == node && pattern.matches(run_.segments[nested.start])) ++found;
  }
  return found;
}

void LimitChecks::report(const Key& key, std::size_t count) {
  const structure::SNode& node = run_.structure.nodes[key.node];
  const RowLimit& limit = *key.limit;
  const auto& texts = run_.profile.ahb().conditions;
  const auto text = texts.find(limit.reference);
  std::string where = scope_suffix(run_.structure, run_.resolution, key.scope);
  if (where.empty()) where = " in the message";
  const std::string allows =
      fmt::format("condition [{}] of {} allows {} — „{}“", limit.reference, run_.label, limit.limit->limit,
                  text == texts.end() ? std::string_view() : std::string_view(text->second));
  if (const auto* segment = node.segment()) {
    run_.findings.push_back(in_scope(
        ValidationIssue(Severity::Error, fmt::format("{} „{}“ (Nr {}) occurs {} times{}; {}", segment->tag, node.name,
                                                     segment->nr, count, where, allows))
            .with_rule_id(fmt::format("AHB-{}-{}-{}-MAX", run_.label, segment->nr, segment->tag))
            .with_segment(segment->tag)
            .with_context_entry("nr", segment->nr)
            .with_context_entry("pid", run_.label)
            .with_context_entry(LIMIT_CONTEXT, std::to_string(limit.limit->limit)),
        run_.resolution, key.scope));
    return;
  }
  const std::string& group = node.group()->group;
  const std::string& nr = run_.structure.nodes[node.children.front()].segment()->nr;
  run_.findings.push_back(in_scope(
      ValidationIssue(Severity::Error, fmt::format("segment group {} „{}“ (Nr {}) occurs {} times{}; {}", group,
                                                   node.name, nr, count, where, allows))
          .with_rule_id(fmt::format("AHB-{}-{}-{}-MAX", run_.label, group, nr))
          .with_segment_group(group)
          .with_context_entry("nr", nr)
          .with_context_entry("pid", run_.label)
            .with_context_entry(LIMIT_CONTEXT, std::to_string(limit.limit->limit)),
      run_.resolution, key.scope));
}

}  // namespace edi_energy::profile::validate

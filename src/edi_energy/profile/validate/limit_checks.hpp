// The rows whose Wiederholbarkeit text bounds how often they stand in one instance of a scope:
// their occurrences counted per scope instance while the row checks visit the instances, and a
// finding for each instance that holds more than the text allows.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <span>
#include <unordered_map>
#include <vector>

#include "edi_energy/profile/validate/ahb_run.hpp"

namespace edi_energy::profile::validate {

class LimitChecks {
 public:
  explicit LimitChecks(AhbRun& run) : run_(run) {}

  // Node `node` took `count` segments or child instances in instance `instance`.
  void add(structure::InstanceIndex instance, structure::NodeIndex node, std::size_t count) {
    if (count == 0) return;
    // Most rows have no bound: they cost no more than this look.
    const std::span<const RowLimit> limits = run_.column.limits(node);
    if (!limits.empty()) add(instance, node, count, limits);
  }
  // Reports the scopes that hold the node in nested instances, once all are counted.
  void finish();

 private:
  struct Key {
    structure::InstanceIndex scope;
    structure::NodeIndex node;
    const RowLimit* limit;
    friend bool operator==(const Key&, const Key&) = default;
  };
  struct KeyHash {
    std::size_t operator()(const Key& key) const {
      return std::hash<const void*>{}(key.limit) ^ (key.scope * 0x9E3779B97F4A7C15ULL) ^ (key.node << 24);
    }
  };
  struct Pending {
    Key key;
    std::size_t count;
  };

  void add(structure::InstanceIndex instance, structure::NodeIndex node, std::size_t count,
           std::span<const RowLimit> limits);
  std::optional<structure::InstanceIndex> scope_of(const conditions::RepeatLimit& limit,
                                                   structure::InstanceIndex instance) const;
  std::size_t matching(const RowLimit& limit, structure::InstanceIndex instance, structure::NodeIndex node) const;
  void report(const Key& key, std::size_t count);

  AhbRun& run_;
  std::vector<Pending> pending_;  // in the order first met
  std::unordered_map<Key, std::size_t, KeyHash> pending_at_;
};

}  // namespace edi_energy::profile::validate

// What the completion loop learned from earlier rounds, read by the walk and the synthesis.
#pragma once

#include <cstddef>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace edi_energy::profile::skeleton {

struct ElementKey {
  std::string nr;
  std::string de;

  friend bool operator==(const ElementKey&, const ElementKey&) = default;
};

struct ElementKeyHash {
  std::size_t operator()(const ElementKey& key) const {
    const std::size_t nr = std::hash<std::string>{}(key.nr);
    return nr ^ (std::hash<std::string>{}(key.de) + 0x9e3779b97f4a7c15ULL + (nr << 6) + (nr >> 2));
  }
};

struct NrHash {
  using is_transparent = void;
  std::size_t operator()(std::string_view text) const { return std::hash<std::string_view>{}(text); }
};

using NrSet = std::unordered_set<std::string, NrHash, std::equal_to<>>;
using ElementSet = std::unordered_set<ElementKey, ElementKeyHash>;
using Rotation = std::unordered_map<ElementKey, std::size_t, ElementKeyHash>;

// Per rotation key, the distinct numbers of codes a walk chose among with it.
using RotationUses = std::unordered_map<ElementKey, std::vector<std::size_t>, ElementKeyHash>;

// What the column asked for in one scope: the message, or one Vorgang.
struct ScopeKeys {
  NrSet forced_segments;
  NrSet suppressed_segments;
  ElementSet forced_elements;
  ElementSet suppressed_elements;
  NrSet restored_segments;
  // A Vorgang's own count moves on only with its own code findings, so that a code hanging on
  // its content (an Entscheidungsbaum per Transaktionsgrundergänzung) is found as it would be alone.
  Rotation code_rotation;

  friend bool operator==(const ScopeKeys&, const ScopeKeys&) = default;
};

// Validation decides a Vorgang's conditions on its own segments, so what one Vorgang needs is
// learned for it alone: two Vorgänge that differ would otherwise force and suppress the same
// segment in turn. The message-wide keys hold what was found outside every Vorgang.
struct KeySets : ScopeKeys {
  std::map<std::size_t, ScopeKeys> vorgaenge;  // by the Vorgang's place in the message, from 0
};

// The segments [start, end) of each Vorgang a round wrote, in order.
struct VorgangSpan {
  std::size_t start = 0;
  std::size_t end = 0;
};

}  // namespace edi_energy::profile::skeleton

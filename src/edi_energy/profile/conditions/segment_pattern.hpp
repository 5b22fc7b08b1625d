// A pattern over one EDIFACT segment as the condition texts write it: "SEQ+Z01/Z98",
// "CCI+++ZC0", "PIA+5+1-b?:9.99.0". Components hold alternatives; an absent component (empty,
// or "XXX") accepts anything; a run of lower-case letters in an alternative stands for one group
// of characters, up to the next literal one.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "edifact/model/segment.hpp"

namespace edi_energy::profile::conditions {

struct SegmentPattern {
  using Alternatives = std::vector<std::string>;            // non-empty
  using ElementPattern = std::vector<std::optional<Alternatives>>;  // absent: wildcard

  std::string tag;  // three upper-case ASCII letters
  std::vector<ElementPattern> elements;

  // One token of a condition text; nothing when it does not begin with a segment tag.
  static std::optional<SegmentPattern> parse(std::string_view token);

  bool matches(const edifact::model::Segment& segment) const;

  friend bool operator==(const SegmentPattern&, const SegmentPattern&) = default;
};

// Every pattern matches a segment, each after the segment the previous one matched.
bool matches_in_order(std::span<const SegmentPattern> chain, std::span<const edifact::model::Segment> segments);

std::size_t count_matches(const SegmentPattern& pattern, std::span<const edifact::model::Segment> segments);

// Pieces between unescaped separators ("?" releases the character after it); n separators give
// n + 1 pieces, the empty text none.
std::vector<std::string_view> split_unescaped(std::string_view text, char separator);

}  // namespace edi_energy::profile::conditions

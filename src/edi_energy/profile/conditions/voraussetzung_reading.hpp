// The inner steps of reading a Voraussetzung text, over its words (split at white space, each
// with "=" spaced out). Shared by the reader and its tests only.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "edi_energy/profile/conditions/voraussetzung.hpp"

namespace edi_energy::profile::conditions::reading {

using Words = std::vector<std::string_view>;

// Joins segment patterns that a line wrap broke after "+", "-", "/" or ":" ("CAV+MIW/ MPW").
std::string repair_wrapped_patterns(std::string_view text);

struct Located {
  std::size_t index = 0;              // of the pattern word
  std::optional<std::string> group;   // the scope group
};

// The word that names the segment, and the scope group the text names.
std::optional<Located> locate_pattern(const Words& words);

struct Chain {
  std::vector<SegmentPattern> patterns;  // empty when a piece did not parse
  // Patterns named right after "diese", "derselben", … that name the scope's instance
  // ("in derselben SG10 das CCI+Z17 im CAV+ZH1"): left out of the chain, but they must match
  // in the same instance.
  std::vector<SegmentPattern> companions;
  bool any = false;
};

// The patterns named from the located word on.
Chain segment_chain(const Words& words, std::size_t located);

// The values that the text lists for the data element at `de_index` (step of the presence
// reading), or nothing.
std::optional<Voraussetzung::DeValue> parse_element_value(const Words& words, std::string_view lowered,
                                                          std::size_t de_index, std::string_view pattern_word,
                                                          const std::optional<std::string>& group, bool negated);

}  // namespace edi_energy::profile::conditions::reading

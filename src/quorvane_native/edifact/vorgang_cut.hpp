// A UTILMD message as the builders write it (default service characters, no UNA), cut into its
// segments, each with the Vorgang it stands in and its place among the Vorgang's groups. Every
// step of an answer that asks "which Vorgang, which group" reads this one cut, so that they agree.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quorvane_native::edifact {

struct CutSegment {
  std::string_view text;  // with its terminator
  // The tag and what tells the segment from its siblings of that tag (a qualifier, or a CCI's
  // characteristic where it names no class), such as "SEQ+Z01", "CCI+Z19" or "CCI+++Z15".
  std::string key;
  std::string value;  // LOC: the ID, RFF: the reference, IDE: the Vorgangsnummer, UNT: its reference
  std::size_t vorgang = 0;  // from 1; 0 before the first IDE and for UNT
  // 0: the Vorgang's own segment (and the head of an SG8 or SG12 group); 1: inside such a group;
  // 2: a CAV inside a group, under the CCI it follows.
  std::uint8_t depth = 0;

  std::string_view tag() const { return text.substr(0, 3); }
  // The first component, which the key holds after the tag.
  std::string_view qualifier() const {
    return key.starts_with("CCI+++") ? std::string_view() : std::string_view(key).substr(4);
  }
};

struct VorgangCut {
  std::vector<CutSegment> segments;
  std::vector<std::size_t> ides;  // where each Vorgang starts, in order

  std::size_t vorgaenge() const { return ides.size(); }
  // Segments [first, last) of Vorgang `vorgang` (from 1), its IDE included.
  std::pair<std::size_t, std::size_t> range(std::size_t vorgang) const;
};

// A group of a Vorgang as the cut counts it: from its head (SEQ or NAD) up to the next head, or
// to the segment that closes every group (a LOC, IDE or UNT).
inline bool is_group_head(std::string_view tag) { return tag == "SEQ" || tag == "NAD"; }
inline bool closes_groups(std::string_view tag) { return tag == "LOC" || tag == "IDE" || tag == "UNT"; }

// None unless the message parses and ends with its UNT.
std::optional<VorgangCut> cut_vorgaenge(std::string_view message);

// The end of the unit that starts at `at`: the segments after it that stand deeper.
std::size_t unit_end(const VorgangCut& cut, std::size_t at, std::size_t end);

}  // namespace quorvane_native::edifact

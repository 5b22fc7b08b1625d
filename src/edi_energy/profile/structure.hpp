// The compiled form of a MIG's segment and group tree: every node in pre-order, and for every
// segment node the few qualifier tests that tell it apart from the other segments of its tag.
// Placing a message's segments into group instances works on it.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <variant>
#include <vector>

#include "edi_energy/profile/model.hpp"
#include "edi_energy/profile/structure_resolution.hpp"
#include "edifact/model/segment.hpp"

namespace edi_energy::profile::structure {

// What a qualifier test makes of the value at its position: refused; accepted as an empty
// position that must stay empty; accepted though empty where the test lists codes; accepted as
// one of its codes; accepted as a code it does not list.
enum class Meet : std::uint8_t { Refused, Blank, Empty, Own, Foreign };

// A test of one qualifier position: component `component` of data element `element`, both
// counted from 0 (component 0 for a simple data element).
struct Discriminator {
  // The codes this node admits there, in MIG order; empty for a must-be-absent test.
  std::vector<std::string> allowed;
  // Codes that other nodes of the same tag admit there and this one does not.
  std::vector<std::string> excluded;
  std::size_t element = 0;
  std::size_t component = 0;
  bool absent = false;
  bool required = false;

  bool accepts(const edifact::model::Segment& segment) const { return meet(segment) != Meet::Refused; }
  Meet meet(const edifact::model::Segment& segment) const;

  friend bool operator==(const Discriminator&, const Discriminator&) = default;
};

// A tag of up to three bytes packed with its length, so that nodes are told apart by tag with
// one integer comparison; longer tags share one key and are compared as text.
inline constexpr std::uint32_t long_tag_key = 0xFFFFFFFFU;
constexpr std::uint32_t tag_key(std::string_view tag) {
  if (tag.size() > 3) return long_tag_key;
  std::uint32_t key = static_cast<std::uint32_t>(tag.size()) << 24U;
  for (std::size_t at = 0; at < tag.size(); ++at) {
    key |= static_cast<std::uint32_t>(static_cast<unsigned char>(tag[at])) << (8U * at);
  }
  return key;
}

// The qualifier texts of one segment, each read from the segment once however many nodes
// test it.
class QualifierTexts {
 public:
  explicit QualifierTexts(const edifact::model::Segment& segment);

  const edifact::model::Segment& segment() const { return *segment_; }
  std::uint32_t tag_key() const { return tag_key_; }
  // Component `component` of element `element`; empty when the segment has none there.
  std::string_view at(std::size_t element, std::size_t component);

 private:
  struct Read {
    std::size_t element;
    std::size_t component;
    std::string_view text;
  };
  const edifact::model::Segment* segment_;
  std::uint32_t tag_key_;
  std::array<Read, 4> read_{};
  std::size_t count_ = 0;
};

// A Discriminator with its codes packed into sorted integers, for the placement walk, which
// asks the same-tag nodes one after another; made only when no code is longer than 7 bytes.
struct PackedDiscriminator {
  std::vector<std::uint64_t> allowed;
  std::vector<std::uint64_t> excluded;
  std::size_t element = 0;
  std::size_t component = 0;
  bool absent = false;
  bool required = false;

  static std::optional<PackedDiscriminator> of(const Discriminator& test);
  // What `Discriminator::accepts` and `Discriminator::meet` say.
  bool accepts(QualifierTexts& texts) const { return meet(texts) != Meet::Refused; }
  Meet meet(QualifierTexts& texts) const;

  friend bool operator==(const PackedDiscriminator&, const PackedDiscriminator&) = default;
};

struct Kind {
  struct Group {
    std::string group;  // "SG4"
    friend bool operator==(const Group&, const Group&) = default;
  };
  struct Segment {
    std::string nr;
    std::string tag;
    std::vector<Discriminator> discriminators;
    std::size_t def = 0;  // index into Structure::segment_defs
    std::uint32_t tag_key = 0;  // `tag_key(tag)`
    // `discriminators` packed, in the same order; empty when one of them cannot be.
    std::vector<PackedDiscriminator> packed;
    friend bool operator==(const Segment&, const Segment&) = default;
  };

  std::variant<Group, Segment> variant;

  const Group* group() const { return std::get_if<Group>(&variant); }
  const Segment* segment() const { return std::get_if<Segment>(&variant); }

  friend bool operator==(const Kind&, const Kind&) = default;
};

struct SNode {
  std::optional<NodeIndex> parent;
  std::vector<NodeIndex> children;  // a group's first child is its trigger
  std::string status;
  std::string name;
  Kind kind;
  std::uint32_t max = 0;  // repetitions allowed; 0 is unbounded

  const Kind::Group* group() const { return kind.group(); }
  const Kind::Segment* segment() const { return kind.segment(); }

  friend bool operator==(const SNode&, const SNode&) = default;
};

struct TextHash {
  using is_transparent = void;
  std::size_t operator()(std::string_view text) const { return std::hash<std::string_view>{}(text); }
};

using NrIndex = std::unordered_map<std::string, NodeIndex, TextHash, std::equal_to<>>;

struct Structure {
  std::vector<SNode> nodes;  // pre-order
  std::vector<NodeIndex> roots;
  // A copy of the MIG definition of every segment node, in the order the nodes were made.
  std::vector<model::SegmentNode> segment_defs;
  // Segment number to segment node; of two segments with one number the later one wins.
  NrIndex nr_index;
  // Group id to the groups that hold a group of that id nested in them; sorted.
  std::unordered_map<std::string, std::vector<NodeIndex>, TextHash, std::equal_to<>> group_holders;
  // The group of a Vorgang: the top-level group an IDE opens ("SG4" in UTILMD, "SG5" in UTILTS);
  // "SG4" in a message without one.
  std::string vorgang_group = "SG4";
  // The tag keys of the segments that stand only inside a Vorgang, sorted.
  std::vector<std::uint32_t> vorgang_tags;
  // Every sibling list (the roots as list 0, the children of node n as list n + 1) by the tag
  // its nodes take a segment with, a group by its trigger's: (tag key, position in the list),
  // sorted. Nodes that can take no segment are left out.
  struct TagEntry {
    std::uint32_t key = 0;
    std::uint32_t at = 0;
    friend auto operator<=>(const TagEntry&, const TagEntry&) = default;
  };
  std::vector<std::vector<TagEntry>> sibling_tags;
  // The MIG lists the qualifier variants of one group as consecutive siblings with the same
  // group id and Zähler and a trigger of the same tag and Zähler, and those of one segment as
  // consecutive segments of one tag and Zähler (a group's trigger excepted); it sets no order
  // between the variants. Per node, the positions in its sibling list where its run of variants
  // begins and ends (one past); a node that is no such variant is a run of its own.
  struct VariantRun {
    std::uint32_t first = 0;
    std::uint32_t end = 0;
    friend bool operator==(const VariantRun&, const VariantRun&) = default;
  };
  std::vector<VariantRun> variant_runs;

  // Compiles the MIG's `structure` list (not its envelope). Cannot fail.
  static Structure compile(const model::MigProfile& mig);

  // Places the segments of one message, in one greedy pass that never undoes a placement.
  Resolution resolve(std::span<const edifact::model::Segment> segments) const;

  // Whether `segment` fits the node: a segment node by tag and discriminators, a group by its
  // first child, which must be a segment node.
  bool fits(NodeIndex node, const edifact::model::Segment& segment) const;
  // The same over texts read from the segment before.
  bool fits(NodeIndex node, QualifierTexts& texts) const;

  // How a segment fits a node: not at all (`None`), or how its values meet the node's code
  // tests (a group's: its trigger's): one finds no value (`LeavesEmpty`), else one finds a code
  // it does not list (`Foreign`), the node has none (`Uncoded`), each finds one of its own codes
  // (`Matched`).
  enum class Fit : std::uint8_t { None, LeavesEmpty, Foreign, Uncoded, Matched };
  Fit fit(NodeIndex node, QualifierTexts& texts) const;
};

}  // namespace edi_energy::profile::structure

// The condition context of one run of the AHB column checks: decides the condition references
// of status cells and Pakete against one placed message, always in the scope of one group
// instance, and turns the status cells of a row into a requirement. It changes nothing and
// reports nothing itself.
#pragma once

#include <cstdint>
#include <expected>
#include <functional>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "edi_energy/profile/conditions/expr.hpp"
#include "edi_energy/profile/conditions/read_conditions.hpp"
#include "edi_energy/profile/conditions/status.hpp"
#include "edi_energy/profile/conditions/truth.hpp"
#include "edi_energy/profile/conditions/voraussetzung.hpp"
#include "edi_energy/profile/structure.hpp"
#include "edi_energy/profile/validate/parsed_pakete.hpp"
#include "edifact/model/segment.hpp"

namespace edi_energy::profile::validate {

enum class Requirement : std::uint8_t { Required, Optional, NotPermitted };

// How deeply Pakete may reference one another, bounded like the nesting of one expression so
// that no AHB can exhaust the stack; a deeper Paket is an expression too deep to evaluate. Real
// AHBs nest one level; each level may hold an expression nested to its own bound, so this
// bound is kept well below that one.
inline constexpr std::size_t max_paket_depth = 16;

// Message segments [first, end).
struct SegmentRange {
  std::size_t first = 0;
  std::size_t end = 0;
};

// The segment whose value or row a condition is asked for: its tag, and its message index once
// it is placed. A text that points at a segment with that tag as its own ("in diesem STS") is
// decided on that segment alone, and is undecided where none is placed yet. No tag: none.
struct OwnSegment {
  std::string_view tag;
  std::optional<std::size_t> index;
};

// Element and component index of a data element within a segment.
struct Position {
  std::size_t element = 0;
  std::size_t component = 0;
};

class Ctx {
 public:
  using Scope = structure::InstanceIndex;

  Ctx(const structure::Structure& structure, const structure::Resolution& resolution,
      std::span<const edifact::model::Segment> segments, const conditions::ReadConditions& conditions,
      ParsedPakete&& pakete)
      : structure_(structure), resolution_(resolution), segments_(segments), conditions_(conditions),
        owned_pakete_(std::move(pakete)), pakete_(&*owned_pakete_) {}
  // Borrows Pakete that outlive the context (a profile's own).
  Ctx(const structure::Structure& structure, const structure::Resolution& resolution,
      std::span<const edifact::model::Segment> segments, const conditions::ReadConditions& conditions,
      const ParsedPakete& pakete)
      : structure_(structure), resolution_(resolution), segments_(segments), conditions_(conditions),
        pakete_(&pakete) {}
  Ctx(const Ctx&) = delete;
  Ctx& operator=(const Ctx&) = delete;

  conditions::TruthResult eval(const conditions::Expr& expr, Scope scope, OwnSegment own = {}) const;
  // One reference, as `eval` decides it inside an expression.
  conditions::TruthResult decide_reference(std::string_view reference, Scope scope, OwnSegment own = {}) const {
    return decide(reference, scope, own);
  }
  Requirement requirement(std::span<const std::string> cells, Scope scope, OwnSegment own = {}) const;
  // The same over cells already parsed (an absent entry did not parse).
  Requirement requirement(std::span<const std::optional<conditions::Status>> cells, Scope scope,
                          OwnSegment own = {}) const;
  // Whether the last `requirement` asked a text about the segment it was given as its own: only
  // then can one occurrence of the segment differ from another.
  bool asked_own() const { return asked_own_; }
  conditions::TruthResult paket_truth(std::string_view reference, Scope scope, OwnSegment own = {}) const;
  // The group every text of a Paket reads ("Wenn SG10 QTY …"), in whose instance its condition is
  // decided; nothing when its texts name no single group, or one is not a readable Voraussetzung.
  std::optional<std::string_view> paket_group(std::string_view name) const;
  // True or False; Undecided only for a denial in an instance other than the one the text
  // names.
  conditions::Truth truth(const conditions::Voraussetzung& voraussetzung, Scope scope) const;

  bool carries_shape(SegmentRange range, const conditions::SegmentPattern& pattern, std::string_view de,
                     const conditions::ShapeCheck& check) const;
  bool carries_value(SegmentRange range, std::string_view tag, std::string_view de,
                     std::span<const std::string> values, bool suffix) const;
  // The same for a segment as the reading qualifies it.
  bool carries_value(SegmentRange range, const conditions::Voraussetzung::DeValue& value) const;

  // The range of the nearest instance of `group` at or above the scope; the whole message
  // without `group` or without such an instance.
  SegmentRange range_of(const std::optional<std::string>& group, Scope scope) const;
  SegmentRange range_of_group(std::string_view group, Scope scope) const;
  // The range of the nearest instance of `group` at or above the scope, if there is one.
  std::optional<SegmentRange> enclosing_instance(std::string_view group, Scope scope) const;

  // The first position of data element `de` in the MIG definition of the segment's node, and
  // the message's text there; nothing when unplaced, undefined or absent.
  std::optional<std::string_view> value_of(std::size_t segment, std::string_view de) const;

 private:
  conditions::TruthResult decide(std::string_view reference, Scope scope, OwnSegment own) const;

  // Whether a reading's own test holds over a range, and whether the companions it names stand
  // there too.
  struct Found {
    bool holds;
    bool companions;
  };
  // The one range a reading looks at from the scope: the whole message without a group; the
  // instance of its group around the scope when the text points at it, or names the group and
  // only segments of that instance's variant. Nothing when it looks at every instance of its
  // group within `shared_range`. `lasting`: the reading is the AHB's, so what it says of a
  // variant is kept.
  std::optional<SegmentRange> instance_around(const conditions::Voraussetzung& reading, Scope scope,
                                              bool lasting) const;
  // The nearest instance of `group` at or above the scope.
  const structure::Instance* enclosing(std::string_view group, Scope scope) const;
  // The nearest instance at or above the scope whose group holds a segment tagged `tag` of its
  // own: "this AJT", asked from a row beside the AJT, is the AJT of the row's instance.
  std::optional<SegmentRange> holding(std::string_view tag, Scope scope) const;
  // The instance around the scope of the lowest group that holds `group` nested in it: each
  // Vorgang is a case of its own, so a group named from within one is looked for there only.
  // The whole message where no group holds both.
  SegmentRange shared_range(std::string_view group, Scope scope) const;
  // Each instance of `group` within `range`; `visit` returns false to stop.
  template <typename Visit>
  void each_instance(std::string_view group, SegmentRange range, Visit visit) const;
  conditions::Truth truth_over(const conditions::Voraussetzung& voraussetzung, std::optional<SegmentRange> around,
                               Scope scope) const;
  template <typename Look>
  conditions::Truth decide_over(std::optional<SegmentRange> around, const std::optional<std::string>& group,
                                bool negated, Look look, Scope scope) const;

  const structure::Structure& structure_;
  const structure::Resolution& resolution_;
  std::span<const edifact::model::Segment> segments_;
  const conditions::ReadConditions& conditions_;
  std::optional<ParsedPakete> owned_pakete_;
  const ParsedPakete* pakete_;
  // Pakete under evaluation, innermost last; empty between top-level calls.
  mutable std::vector<const ParsedPakete::value_type*> paket_stack_;

  // The truth of each Paket per scope once it has been evaluated: a Paket that several others
  // share is evaluated once, not once per path that reaches it.
  struct PaketInScope {
    const ParsedPakete::value_type* paket;
    Scope scope;
    friend bool operator==(const PaketInScope&, const PaketInScope&) = default;
  };
  struct PaketInScopeHash {
    std::size_t operator()(const PaketInScope& p) const {
      return std::hash<const void*>{}(p.paket) ^ (p.scope * 0x9E3779B97F4A7C15ULL);
    }
  };
  mutable std::unordered_map<PaketInScope, conditions::Truth, PaketInScopeHash> paket_truths_;
  mutable std::unordered_map<const ParsedPakete::value_type*, std::optional<std::string_view>> paket_groups_;
  // Set when an evaluation met a text about its own segment: its truth then differs from one
  // segment to the next, so a Paket that holds one is not kept per scope.
  mutable bool met_own_ = false;
  // Set when such a text was asked about the segment given as the own one.
  mutable bool asked_own_ = false;

  // A reading decided over one segment range; the same range gives the same truth, so each
  // range is read once however many scopes share it (a whole-message range above all).
  struct Decided {
    const void* reading;
    std::size_t first;
    std::size_t end;
    friend bool operator==(const Decided&, const Decided&) = default;
  };
  struct DecidedHash {
    std::size_t operator()(const Decided& d) const {
      return std::hash<const void*>{}(d.reading) ^ (d.first * 0x9E3779B97F4A7C15ULL) ^ (d.end << 20);
    }
  };
  mutable std::unordered_map<Decided, conditions::Truth, DecidedHash> decided_;
  // Whether a reading of the AHB speaks of the variant of a group node (`first`: the node).
  mutable std::unordered_map<Decided, bool, DecidedHash> variants_;
};

// Where data element `de` first stands in a MIG segment definition: the element itself, else
// the first component of an element with that id.
std::optional<Position> first_position(const model::SegmentNode& definition, std::string_view de);

// The text of component `component` of element `element`, nothing when the segment is short.
// Inline: the checks ask it for every data element of every segment.
inline std::optional<std::string_view> text_at(const edifact::model::Segment& segment, Position position) {
  return segment.component_text(position.element, position.component);
}

}  // namespace edi_energy::profile::validate

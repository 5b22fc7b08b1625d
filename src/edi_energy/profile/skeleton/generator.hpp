// One round of the message generator: walks the layout tree and appends the segments that the
// column asks for (or the seed message already has) to `out`.
#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "edi_energy/profile/conditions/segment_pattern.hpp"
#include "edi_energy/profile/conditions/truth.hpp"
#include "edi_energy/profile/conditions/voraussetzung.hpp"
#include "edi_energy/profile/model.hpp"
#include "edi_energy/profile/profile.hpp"
#include "edi_energy/profile/skeleton/keys.hpp"
#include "edi_energy/profile/skeleton/leaves.hpp"
#include "edi_energy/profile/skeleton/parties.hpp"
#include "edi_energy/profile/structure.hpp"
#include "edifact/model/segment.hpp"

namespace edi_energy::profile::skeleton {

// Texts of a segment under construction: one list of component texts per data element; an empty
// text is an absent component.
using TextTable = std::vector<std::vector<std::string>>;

struct SkippedSeed {
  std::size_t index = 0;  // position in the seed message
  std::string tag;

  friend bool operator==(const SkippedSeed&, const SkippedSeed&) = default;
};

// The layout nodes in walk order, and per node its place in it and the end of its subtree.
struct WalkOrder {
  std::vector<structure::NodeIndex> nodes;
  std::vector<std::size_t> position;
  std::vector<std::size_t> end;
};

class Generator {
 public:
  Generator(const Profile& profile, const model::Anwendungsfall& anwendungsfall, const SkeletonParties& parties,
            const KeySets& keys, std::vector<edifact::model::Segment>& out,
            std::span<const edifact::model::Segment> seeds = {}, const structure::Resolution* resolution = nullptr)
      : profile_(profile), anwendungsfall_(anwendungsfall), parties_(parties), keys_(keys), out_(out),
        seeds_(seeds), resolution_(resolution), reproduced_(seeds.size(), false) {}

  // Seeds take part only when `seeded` is set and a resolution of them was handed in.
  void walk(std::span<const structure::NodeIndex> nodes, bool seeded, structure::InstanceIndex instance,
            std::size_t repetition);

  // True when one of the status cells demands the node without depending on the message.
  static bool required(const Profile& profile, const std::vector<std::string>* status);

  // `required`, where a Voraussetzung that asks for a segment in an open group instance holds
  // when the walk has already written that segment in it.
  bool required_here(const std::vector<std::string>* status) const;

  edifact::model::Segment segment(const model::SegmentNode& node, const Pin* pin) const;

  std::string forced(const model::SegmentNode& node, const Leaf& leaf, const model::ElementRule* rule,
                     std::size_t n, std::span<const std::vector<std::string>> finished,
                     std::span<const std::string> current) const;

  std::string synthetic(const model::SegmentNode& node, const Leaf& leaf,
                        std::span<const std::vector<std::string>> finished,
                        std::span<const std::string> current) const;

  static std::vector<Pin> paket_pins(const Profile& profile, std::span<const model::ElementRule> rules,
                                     std::string_view nr);

  // How many repetitions of the enclosing group the pins below `node` need.
  std::size_t paket_rounds(structure::NodeIndex node) const;

  static std::optional<std::string> first_code(std::span<const model::ElementRule> rules, std::string_view nr);

  std::string pid_text() const;

  // The ID of the Lokation of the open Vorgang that a reference with DE 1153 `qualifier` names.
  std::optional<std::string> lokation_reference(const model::SegmentNode& node, std::string_view qualifier) const;

  // Moves the segments written since the last time into shared documents; the walk does so every
  // few hundred segments, the caller once more when the walk is done. The generator keeps only
  // positions in `out`, never views of its segments, so their handles may change.
  void compact_written();

  // Seed segments this round did not carry into `out` (the layout had no place for them), in
  // message order, so that the caller can name them.
  std::vector<SkippedSeed> skipped_seeds() const;

  // The Vorgänge this round wrote, so that a finding can be learned for its own Vorgang.
  std::span<const VorgangSpan> vorgaenge() const { return vorgaenge_; }

  // The numbers of codes that each rotation key chose among in this round (only counts of two or
  // more, where the rotation matters).
  const RotationUses& rotation_uses() const { return rotation_uses_; }

 private:
  struct OpenInstance {
    std::string_view group;  // "SG8"
    structure::NodeIndex node = 0;
    std::size_t start = 0;  // its first segment in `out`
  };

  // How far a presence has been looked for in the whole of `out`: the segments before `scanned`
  // are read, and the first `matched` patterns of its chain were found in order among them.
  struct WrittenScan {
    std::size_t scanned = 0;
    std::size_t matched = 0;
  };

  // The keys learned for the message, and for the Vorgang the walk is in.
  bool forced_segment(std::string_view nr) const;
  bool suppressed_segment(std::string_view nr) const;
  bool forced_element(const ElementKey& key) const;
  bool suppressed_element(const ElementKey& key) const;
  // How often the leaf's code moved on, in the message and in the open Vorgang.
  std::size_t rotation(const ElementKey& key) const;
  conditions::Truth truth_here(std::string_view reference) const;
  // A value the text names in a segment of an open instance of its group.
  conditions::Truth value_here(const conditions::Voraussetzung::DeValue& value) const;
  // Remembers that the leaf's rotation count chose one of `count` codes.
  void note_rotation(const model::SegmentNode& node, const Leaf& leaf, std::size_t count) const;
  bool written_anywhere(const conditions::Voraussetzung::Present& present) const;
  // No node the walk still reaches in the scope can hold a segment of one of these tags.
  bool settled_absent(std::span<const conditions::SegmentPattern> patterns, const OpenInstance* scope) const;
  const WalkOrder& walk_order() const;
  // The innermost open instance of a group that holds instances of `group`.
  const OpenInstance* open_holder(std::string_view group) const;
  // The innermost open instance of `group`.
  const OpenInstance* open_instance(std::string_view group) const;
  void walk_instance(structure::NodeIndex group, bool seeded, structure::InstanceIndex instance,
                     std::size_t repetition);
  const std::vector<Pin>& pins_of(const std::string& nr) const;
  const model::SegmentNode& layout(const structure::Kind::Segment& segment) const;
  void walk_group(structure::NodeIndex index, bool seeded, structure::InstanceIndex instance,
                  std::size_t repetition);
  void walk_segment(structure::NodeIndex index, bool seeded, structure::InstanceIndex instance,
                    std::size_t repetition);
  edifact::model::Segment merge(const model::SegmentNode& node, const edifact::model::Segment& seed) const;
  // Appends to `out`: a message is tens of thousands of built segments, each alone costing many
  // times its bytes, so they are compacted as they come.
  void write(edifact::model::Segment segment);
  std::string mig_value(const model::SegmentNode& node, const Leaf& leaf, std::size_t n,
                        std::span<const std::vector<std::string>> finished,
                        std::span<const std::string> current) const;
  std::string fit_to_conditions(std::string value, const model::ElementRule& rule) const;
  void fill_required_composite(std::span<const model::ElementRule* const> rules, std::span<const Leaf> composite,
                               std::vector<std::string>& current) const;
  void imply_values(const model::SegmentNode& node, std::span<const model::ElementRule* const> rules,
                    std::span<const Leaf> all_leaves, TextTable& table) const;
  // Replaces a sample answer code with one the Entscheidungsbaum named beside it publishes;
  // `written` says which places of the table this round filled (all when null).
  void sample_answers(const model::SegmentNode& node, std::span<const model::ElementRule* const> rules,
                      TextTable& table, const std::vector<std::pair<std::size_t, std::size_t>>* written) const;

  const Profile& profile_;
  const model::Anwendungsfall& anwendungsfall_;
  const SkeletonParties& parties_;
  const KeySets& keys_;
  std::vector<edifact::model::Segment>& out_;
  static constexpr std::size_t compaction_batch = 256;
  std::size_t compacted_ = 0;  // the segments of `out` before it are compacted
  std::span<const edifact::model::Segment> seeds_;
  const structure::Resolution* resolution_;
  std::vector<bool> reproduced_;
  std::vector<OpenInstance> open_;  // the group instances the walk is inside, outermost first
  // Stable while open: one Vorgang is open at a time and the list grows only when none is.
  std::vector<VorgangSpan> vorgaenge_;
  VorgangSpan* vorgang_ = nullptr;             // the open Vorgang
  const ScopeKeys* vorgang_keys_ = nullptr;    // what was learned for it
  structure::NodeIndex deciding_ = 0;  // the node whose status is being decided
  mutable std::optional<WalkOrder> walk_order_;
  // Pins and rounds depend only on the column, so one round computes each once.
  mutable std::unordered_map<std::string, std::vector<Pin>> pins_;
  mutable std::unordered_map<structure::NodeIndex, std::size_t> rounds_;
  // `out` only grows during a round, so a presence in the whole message is looked for only in
  // what was written since the last time it was asked; otherwise every decision would read the
  // message from its start.
  mutable std::unordered_map<const conditions::Voraussetzung::Present*, WrittenScan> written_scans_;
  mutable RotationUses rotation_uses_;
};

// Whether a forced key (nr, leaf id) reaches this leaf: the column has a rule for it, or no rule
// of the segment names its id. A repeat of a data element that the column names only once (the
// second to fifth name lines of a party) stays as it is.
bool takes_forced_value(std::span<const model::ElementRule* const> rules, const Leaf& leaf,
                        const model::ElementRule* rule);

// Code number n of a layout code list (n modulo its length); absent for an empty list.
std::optional<std::string> mig_code(std::span<const model::Code> codes, std::size_t n);

// A sample value fitted to a layout format such as "an..35" or "n13".
std::string fit_mig_format(std::string value, const std::optional<std::string>& format);

}  // namespace edi_energy::profile::skeleton

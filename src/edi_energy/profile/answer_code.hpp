// Answer codes drawn from an Entscheidungsbaum: where a segment layout carries one beside the
// tree it names, and what the AHB's condition texts ask of its cluster. Completion picks its
// sample answer with these; validation holds a message's answer codes against them.
#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "edi_energy/antwortcodes/published.hpp"
#include "edi_energy/profile/model.hpp"
#include "zelk/pruefung/codes.hpp"

namespace edi_energy::profile::answer_code {

using Cluster = zelk_pruefung::codes::AnswerCluster;

// A leaf of a layout: its element, its component (0 for a simple element) and how many leaves
// with the same id come before it.
struct Place {
  std::size_t element = 0;
  std::size_t component = 0;
  std::size_t occurrence = 0;
};

struct Slot {
  std::string_view code_de;  // "9013" or "4465"
  Place code;
  Place tree;  // the DE 1131 or DE 1082 that names the Entscheidungsbaum
  // Where the segment names no tree, the trees the column lists for it stand in (AJT: the AHB
  // names the tree of a reason by the message's Sparte and roles). An STS without its tree
  // names none.
  bool tree_from_column = false;
};

// DE 9013 with the DE 1131 after it in its own composite (STS), and DE 4465 with the segment's
// DE 1082 (AJT).
std::vector<Slot> slots(const model::SegmentNode& node);

struct ClusterDemand {
  Cluster cluster;
  // "Wenn STS+Z01+Z07 vorhanden, dann …": only where that precondition holds.
  bool conditional = false;
  // "Bis auf den Code A30 …": the one code of the cluster that is not admitted.
  std::optional<std::string> except;
};

// The cluster a condition text restricts an answer code to ("Es sind nur Antwortcodes aus dem
// Cluster Zustimmung erlaubt", "… aus dem EBD-Cluster "Ablehnung" möglich"); none for any other
// text, and for clusters the catalogue has no name for ("gescheitert").
std::optional<ClusterDemand> read_cluster_demand(std::string_view text);

// "Zustimmung", "Änderung der Daten": the cluster as the AHB writes it.
std::string_view cluster_text(Cluster cluster);

// Whether a published code fits one of the demands; every code fits when there are none.
bool fits(const antwortcodes::PublishedCode& code, std::span<const ClusterDemand> demands);

// The Entscheidungsbaum a wire code list stands for ("S_0090": E_0200, Zustimmung), or the tree
// itself for an "E_" name; none for a name the catalogue does not carry.
struct NamedTree {
  std::string_view tree;
  std::optional<Cluster> cluster;  // set when the list carries one cluster only
};
std::optional<NamedTree> named_tree(std::string_view name);

// The published codes of the tree `name` names that fit the demands (and are of cluster `only`
// when given), in catalogue order; none when the catalogue does not carry the tree.
std::optional<std::vector<std::string_view>> fitting_codes(std::string_view name,
                                                           std::span<const ClusterDemand> demands,
                                                           std::optional<Cluster> only = std::nullopt);

// The trees a message may name beside an answer code that names none itself: those the column
// lists for the tree's data element. None when it lists none, or one the catalogue does not
// carry (then the tree cannot be known).
std::optional<std::vector<std::string_view>> known_names(std::span<const std::string_view> listed);

}  // namespace edi_energy::profile::answer_code

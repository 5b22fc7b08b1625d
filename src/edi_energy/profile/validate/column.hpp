// One AHB column prepared for its checks: row and rule lookups by segment number and by node of
// the structure, and every status cell parsed. Immutable once made, so that a profile keeps one
// per column for all validations, on any thread.
#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "edi_energy/profile/answer_code.hpp"
#include "edi_energy/profile/conditions/paket.hpp"
#include "edi_energy/profile/conditions/read_conditions.hpp"
#include "edi_energy/profile/conditions/status.hpp"
#include "edi_energy/profile/model.hpp"
#include "edi_energy/profile/structure.hpp"

namespace edi_energy::profile::validate {

using ParsedCells = std::vector<std::optional<conditions::Status>>;

struct ParsedOperand {
  std::optional<conditions::Status> status;  // absent: the cell does not parse
  bool references_paket = false;
  std::vector<conditions::Paket> pakete;  // `Expr::pakete` of the condition
  bool names_format = false;  // the condition names a Formatbedingung or Unterbedingung
  // The condition holds an exclusive choice (⊻), which two alternatives that both apply make
  // False, though each still asks its format of the value.
  bool exclusive = false;
};

// Where an element rule's data element stands in the MIG definition of a segment node: the
// element or component itself and its position; `mig` is absent when the definition has none.
struct RuleSite {
  std::size_t element = 0;
  std::size_t component = 0;
  const model::Element* mig = nullptr;
};

// A position of a segment definition that no element rule of the column addresses, and that the
// MIG uses: a value there is not part of the column unless a condition reads it. A repeat of a
// data element within its composite counts as addressed with the element before it.
struct UncoveredSite {
  std::size_t element = 0;
  std::size_t component = 0;
  const model::Element* mig = nullptr;
};

// A Wiederholbarkeit bound on the row of a node: every status cell of the row asks for the
// condition, and what its text limits is that node.
struct RowLimit {
  std::string_view reference;  // the condition number
  const conditions::RepeatLimit* limit = nullptr;
  // Count only the occurrences whose segment (a group's trigger) matches the text's pattern.
  bool qualified = false;
};

// An answer code slot of a segment definition that a rule of the column addresses: the rule of
// the code, and the rule of the tree's data element where the column may name the tree.
struct AnswerSite {
  answer_code::Slot slot;
  std::size_t code_rule = 0;
  std::optional<std::size_t> tree_rule;
};

// The answer sites of `definition` among `rules` (indices into `elements`), in slot order.
std::vector<AnswerSite> find_answer_sites(std::span<const model::ElementRule> elements,
                                          const model::SegmentNode& definition, std::span<const std::size_t> rules);

class Column {
 public:
  // With `structure`, the lookups of its nodes are made here, once; with `conditions` too, the
  // Wiederholbarkeit bounds of its rows.
  explicit Column(const model::Anwendungsfall& anwendungsfall, const structure::Structure* structure = nullptr,
                  const conditions::ReadConditions* conditions = nullptr);

  const model::Anwendungsfall& anwendungsfall() const { return anwendungsfall_; }

  // The first row for segment `nr`.
  const model::Row* segment_row(std::string_view nr) const;
  // The first row of group `group` before `nr`, else the first row for `nr`.
  const model::Row* group_row(std::string_view group, std::string_view nr) const;
  // Element rules for segment `nr`, in column order (indices into `elements`).
  std::span<const std::size_t> rules(std::string_view nr) const;

  // The same lookups for node `node` of the structure; `nr` is the node's own number (its
  // trigger's for a group, "?" without a segment trigger), which the prepared nodes already hold.
  // Inline: they run once per segment, rule and row of every message.
  const model::Row* segment_row(std::size_t node, std::string_view nr) const {
    return node < node_rows_.size() ? node_rows_[node] : segment_row(nr);
  }
  const model::Row* group_row(std::size_t node, std::string_view group, std::string_view nr) const {
    return node < node_rows_.size() ? node_rows_[node] : group_row(group, nr);
  }
  std::span<const std::size_t> rules(std::size_t node, std::string_view nr) const {
    return node < node_rules_.size() ? node_rules_[node] : rules(nr);
  }
  // Beside `rules(node, nr)`, where each rule stands in the node's definition; empty when the
  // column was made without the structure.
  std::span<const RuleSite> sites(std::size_t node) const {
    return node < node_sites_.size() ? std::span<const RuleSite>(node_sites_[node]) : std::span<const RuleSite>();
  }
  // `names(rules(node, nr), element)` for every element of the node's definition, each element
  // followed by its components; empty when the column was made without the structure.
  std::span<const char> named(std::size_t node) const {
    return node < node_named_.size() ? std::span<const char>(node_named_[node]) : std::span<const char>();
  }

  const std::vector<ParsedOperand>& operands(std::size_t rule) const { return operands_[rule]; }
  // Whether an element rule for segment `nr` addresses `element` or one of its components.
  bool names(std::string_view nr, const model::Element& element) const { return names(rules(nr), element); }
  // The same over the rules of one segment number.
  bool names(std::span<const std::size_t> rules, const model::Element& element) const;
  // Whether they name component `component` of element `element` of `definition`: by id, but a
  // repeat of a data element earlier in the same composite only by a rule for that repeat.
  bool names_component(std::span<const std::size_t> rules, const model::SegmentNode& definition,
                       std::size_t element, std::size_t component) const;
  // `answer_sites` of node `node`, prepared once; nothing when the column was made without the
  // structure (see `prepared`).
  std::span<const AnswerSite> answer_sites(std::size_t node) const {
    return node < node_answers_.size() ? std::span<const AnswerSite>(node_answers_[node]) : std::span<const AnswerSite>();
  }
  // The uncovered positions of node `node`'s definition, in element and component order;
  // prepared with the sites (see `prepared`).
  std::span<const UncoveredSite> uncovered(std::size_t node) const {
    return node < node_uncovered_.size() ? std::span<const UncoveredSite>(node_uncovered_[node])
                                         : std::span<const UncoveredSite>();
  }
  // Whether the lookups of node `node` were made when the column was.
  bool prepared(std::size_t node) const { return node < node_rows_.size(); }
  // The status cells of a row of this column.
  const ParsedCells& cells(const model::Row& row) const {
    return rows_[static_cast<std::size_t>(&row - anwendungsfall_.rows.data())];
  }
  // Whether some operand of an element rule names a Paket; without one there is nothing to count.
  bool names_pakete() const { return names_pakete_; }
  // The same for the rules of node `node`; without the structure, for the whole column.
  bool names_pakete(std::size_t node) const {
    return node < node_pakete_.size() ? node_pakete_[node] != 0 : names_pakete_;
  }
  // The bounds on the row of node `node`; empty for most.
  bool has_limits() const { return !limits_.empty(); }
  std::span<const RowLimit> limits(std::size_t node) const {
    if (node + 1 >= limit_offsets_.size()) return {};
    return std::span<const RowLimit>(limits_).subspan(limit_offsets_[node], limit_offsets_[node + 1] - limit_offsets_[node]);
  }

 private:
  const model::Anwendungsfall& anwendungsfall_;
  // Sorted by key, then by position, so that the first entry of a key is the first in the column.
  struct Keyed {
    std::string_view key;
    std::string_view second_key;
    std::size_t at;
    friend auto operator<=>(const Keyed&, const Keyed&) = default;
  };
  std::vector<Keyed> segment_rows_;  // by nr
  std::vector<Keyed> group_rows_;    // by group, then before
  std::vector<std::size_t> rules_;   // element rule positions, sorted by nr then position
  std::vector<std::vector<ParsedOperand>> operands_;  // per element rule
  std::vector<ParsedCells> rows_;                     // per row
  std::vector<const model::Row*> node_rows_;          // per node of the structure
  std::vector<std::span<const std::size_t>> node_rules_;
  std::vector<std::vector<RuleSite>> node_sites_;
  std::vector<std::vector<char>> node_named_;  // char, not bool, so that a span can view it
  std::vector<std::vector<AnswerSite>> node_answers_;
  std::vector<std::vector<UncoveredSite>> node_uncovered_;
  std::vector<char> node_pakete_;
  bool names_pakete_ = false;
  std::vector<RowLimit> limits_;             // by node
  std::vector<std::size_t> limit_offsets_;   // where each node's bounds begin in `limits_`; empty without any
};

// The occurrence-th element or component with the rule's id, elements before their components.
RuleSite site_of(const model::SegmentNode& definition, const model::ElementRule& rule);

inline bool is_mandatory(conditions::StatusLevel level) {
  return level == conditions::StatusLevel::Muss || level == conditions::StatusLevel::X ||
         level == conditions::StatusLevel::M;
}

ParsedCells parse_cells(std::span<const std::string> cells);

// The status cells joined with " | ".
std::string status_text(std::span<const std::string> cells);

}  // namespace edi_energy::profile::validate

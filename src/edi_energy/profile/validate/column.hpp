// One AHB column prepared for a single run of its checks: row and rule lookups by segment
// number, and the status cells parsed once per run instead of once per segment.
#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "edi_energy/profile/conditions/status.hpp"
#include "edi_energy/profile/model.hpp"

namespace edi_energy::profile::validate {

using ParsedCells = std::vector<std::optional<conditions::Status>>;

struct ParsedOperand {
  std::optional<conditions::Status> status;  // absent: the cell does not parse
  bool references_paket = false;
};

class Column {
 public:
  // `node_count`: the nodes of the structure, whose lookups are then kept per node.
  explicit Column(const model::Anwendungsfall& anwendungsfall, std::size_t node_count = 0);

  const model::Anwendungsfall& anwendungsfall() const { return anwendungsfall_; }

  // The first row for segment `nr`.
  const model::Row* segment_row(std::string_view nr) const;
  // The first row of group `group` before `nr`, else the first row for `nr`.
  const model::Row* group_row(std::string_view group, std::string_view nr) const;
  // Element rules for segment `nr`, in column order (indices into `elements`).
  std::span<const std::size_t> rules(std::string_view nr) const;

  // The same lookups for node `node` of the structure, made once per node.
  const model::Row* segment_row(std::size_t node, std::string_view nr) const;
  const model::Row* group_row(std::size_t node, std::string_view group, std::string_view nr) const;
  std::span<const std::size_t> rules(std::size_t node, std::string_view nr) const;

  const std::vector<ParsedOperand>& operands(std::size_t rule) const;
  // Whether an element rule for segment `nr` addresses `element` or one of its components.
  bool names(std::string_view nr, const model::Element& element) const { return names(rules(nr), element); }
  // The same over the rules of one segment number.
  bool names(std::span<const std::size_t> rules, const model::Element& element) const;
  // The status cells of a row of this column.
  const ParsedCells& cells(const model::Row& row) const;

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
  mutable std::vector<std::optional<std::vector<ParsedOperand>>> operands_;
  mutable std::vector<std::optional<ParsedCells>> rows_;
  mutable std::vector<std::optional<const model::Row*>> node_rows_;
  mutable std::vector<std::optional<std::span<const std::size_t>>> node_rules_;
};

bool is_mandatory(conditions::StatusLevel level);

ParsedCells parse_cells(std::span<const std::string> cells);

// The status cells joined with " | ".
std::string status_text(std::span<const std::string> cells);

}  // namespace edi_energy::profile::validate

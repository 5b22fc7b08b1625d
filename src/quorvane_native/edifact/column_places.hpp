// Questions a builder asks an AHB column before it writes a segment: which segment nodes the
// column uses, which codes it admits in a data element, and which child of a group takes a
// segment with a given qualifier. A builder writes a segment only where the column has a place.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "edi_energy/profile/structure.hpp"
#include "quorvane_native/edifact/build_pipeline.hpp"

namespace quorvane_native::edifact {

using edi_energy::profile::structure::NodeIndex;

// Whether the column has a row or an element rule for segment number `nr`.
bool column_uses(const ColumnRef& column, std::string_view nr);

// The codes the column's rules for (`nr`, `de`) name, in rule order; `any` is set when one of
// those rules names no code (any value of the format is admitted).
struct ColumnCodes {
  std::vector<std::string> codes;
  bool any = false;
  bool listed = false;  // the column has a rule for the data element at all
};
ColumnCodes column_codes(const ColumnRef& column, std::string_view nr, std::string_view de);

// Whether `code` is one the column admits: any when it lists the data element without a code or
// not at all.
bool admits_code(const ColumnCodes& codes, const std::string& code);

// Whether the MIG elements (or their components) name `code` in data element `de`.
bool lists_code(const std::vector<edi_energy::profile::model::Element>& elements, std::string_view de,
                std::string_view code);

// The segment nodes tagged `tag` that the column uses, in MIG order.
std::vector<NodeIndex> used_segments(const ColumnRef& column, std::string_view tag);

// Whether segment node `node` admits `qualifier` as its first qualifier (any qualifier when its
// MIG lists no code there).
bool admits_qualifier(const ColumnRef& column, NodeIndex node, std::string_view qualifier);

// Whether the column uses a segment tagged `tag` anywhere that admits `qualifier`.
bool uses_qualifier(const ColumnRef& column, std::string_view tag, std::string_view qualifier);

// The child segment node of `group` tagged `tag` that admits `qualifier` as its first
// qualifier (any qualifier when the node tests none) and that the column uses.
std::optional<NodeIndex> used_child(const ColumnRef& column, NodeIndex group, std::string_view tag,
                                    std::string_view qualifier);

// The segment number of a segment node.
std::string_view nr_of(const ColumnRef& column, NodeIndex node);

}  // namespace quorvane_native::edifact

// Which of a request's Lokationen, references and dates an answer carries over: those its column
// has a place for in the Vorgang and admits, as many as it has room for.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "quorvane_native/edifact/build_pipeline.hpp"

namespace quorvane_native::edifact::answer {

// Whether segment node `node` stands in group `group` right below the Vorgang (SG4, whose
// trigger is IDE).
bool in_vorgang_group(const ColumnRef& column, edi_energy::profile::structure::NodeIndex node, std::string_view group);

// The segment node of the Vorgang's own DTM with this DE 2005 qualifier that the column uses.
std::optional<edi_energy::profile::structure::NodeIndex> vorgang_date_node(const ColumnRef& column,
                                                                             std::string_view qualifier);

class EchoPlaces {
 public:
  // Without a column everything is carried over, as an unknown column lists everything.
  explicit EchoPlaces(std::optional<ColumnRef> column) : column_(column) {}

  // An SG5 LOC with this DE 3227 qualifier.
  bool takes_location(std::string_view qualifier) { return takes("SG5", "LOC", "3227", qualifier); }
  // An SG6 RFF with this DE 1153 qualifier.
  bool takes_reference(std::string_view qualifier) { return takes("SG6", "RFF", "1153", qualifier); }
  // A DTM of the Vorgang itself with this DE 2005 qualifier.
  bool takes_date(std::string_view qualifier);

  // How many SG5 LOC (SG6 RFF) segments with this qualifier one Vorgang has room for; none when
  // the MIG sets no bound.
  std::optional<std::size_t> room(std::string_view tag, std::string_view qualifier);

 private:
  bool takes(std::string_view group, std::string_view tag, std::string_view de, std::string_view qualifier);

  std::optional<ColumnRef> column_;
  // (tag and qualifier, answer): a request repeats the same few qualifiers in every Vorgang.
  std::vector<std::pair<std::string, bool>> known_;
  std::vector<std::pair<std::string, std::optional<std::size_t>>> rooms_;
};

}  // namespace quorvane_native::edifact::answer

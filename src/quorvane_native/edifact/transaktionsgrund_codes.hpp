// The codes of a Vorgang's STS+7 that a caller left out, taken from the column in the order
// completion takes them, so that a given Grund or Ergänzung stands beside what completion
// would have written.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "quorvane_native/edifact/build_pipeline.hpp"

namespace quorvane_native::edifact {

// Whether the column has an STS+7 for a Transaktionsgrund.
bool column_takes_transaktionsgrund(const ColumnRef& column);

// The Transaktionsgrund completion writes in the column's STS+7; none when the column has no
// STS+7 or names no code for its Grund.
std::optional<std::string> column_transaktionsgrund(const ColumnRef& column);

// Every Grund the column names for its STS+7, the one completion writes first.
std::vector<std::string> column_transaktionsgruende(const ColumnRef& column);

// Whether the column names `code` for the Grund, or the Ergänzung, of its STS+7; where it names
// no code there, any.
bool column_names_grund(const ColumnRef& column, std::string_view code);
bool column_names_ergaenzung(const ColumnRef& column, std::string_view code);
// Whether the column has a place for the befristet part (E01/E03 after the Ergänzung) and names
// `code` there.
bool column_names_befristung(const ColumnRef& column, std::string_view code);

// The Ergänzung written beside a given Grund: "ZW4" where the column admits it, else the code
// completion would take, none where the column demands none.
std::optional<std::string> column_ergaenzung(const ColumnRef& column);

}  // namespace quorvane_native::edifact

// Where an MSCONS column puts one metering point and its values: the qualifiers of the NAD that
// opens the point's group and of the LOC that names it, whether the column has line items and a
// Messperiode on each quantity, the codes it admits for the quantity and the product, and
// whether the message is an original or a Storno.
#pragma once

#include <optional>
#include <string>

#include "quorvane_native/edifact/build_pipeline.hpp"
#include "quorvane_native/edifact/column_places.hpp"

namespace quorvane_native::edifact {

struct MsconsPlaces {
  std::string party_qualifier = "DP";      // NAD DE 3035
  std::string location_qualifier = "172";  // LOC DE 3227
  bool location_id = true;                 // the LOC carries the point's ID (DE 3225)
  std::string message_function = "9";      // BGM DE 1225
  bool line_items = true;                  // the column has a LIN
  bool period = true;                      // its QTY can carry DTM+163/164
  ColumnCodes qualifiers;                  // QTY DE 6063
  ColumnCodes units;                       // QTY DE 6411
  ColumnCodes product_codes;               // PIA DE 7143
};

// None when the profile's MIG has no LIN group below a LOC group below a NAD group.
std::optional<MsconsPlaces> mscons_places(const ColumnRef& column);

}  // namespace quorvane_native::edifact

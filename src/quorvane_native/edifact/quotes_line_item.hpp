// Where a QUOTES column puts the line item that `product` and `price` ask for: the first LIN
// group the column uses that has a place for each value given. The columns differ: some name the
// line item by a product code (PIA+5 with Z11) and price it per Artikel-ID, others name it by its
// article number in the LIN and price it with a bare PRI, and some have no price at all.
#pragma once

#include <string>
#include <string_view>

#include "quorvane_native/edifact/build_pipeline.hpp"
#include "quorvane_native/py/errors.hpp"

namespace quorvane_native::edifact {

struct QuotesLineItem {
  std::string code;            // LIN DE 1229, the first the column admits; empty when it lists none
  bool article_price = false;  // the price goes with an Artikel-ID (PIA+Z02) as an Einrichtungspreis
};

// ValueError naming `product` or `price` (and what the column admits) when no line item of the
// column has a place for the values given.
py::Expected<QuotesLineItem> quotes_line_item(const ColumnRef& column, std::string_view label, bool product,
                                              bool price);

}  // namespace quorvane_native::edifact

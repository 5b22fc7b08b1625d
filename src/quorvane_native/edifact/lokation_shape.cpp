#include "quorvane_native/edifact/lokation_shape.hpp"

#include <algorithm>
#include <cctype>

namespace quorvane_native::edifact {

namespace {

bool upper_or_digit(char c) { return std::isdigit(static_cast<unsigned char>(c)) || (c >= 'A' && c <= 'Z'); }

}  // namespace

// A gas Meldepunkt is a Marktlokation's ID or a Zählpunkt: the shape holds whatever names it.
LokationShape lokation_shape(std::string_view id) {
  if (id.size() == 11 && std::ranges::all_of(id, [](char c) { return std::isdigit(static_cast<unsigned char>(c)); })) {
    return LokationShape::malo;
  }
  if (id.size() == 33 && id[0] >= 'A' && id[0] <= 'Z' && id[1] >= 'A' && id[1] <= 'Z' &&
      std::ranges::all_of(id, upper_or_digit)) {
    return LokationShape::zaehlpunkt;
  }
  // The column's samples are eleven characters long, the MIG's fourteen.
  if (id.size() >= 11 && id.size() <= 14 && std::ranges::all_of(id.substr(1), upper_or_digit)) {
    switch (id[0]) {
      case 'E': return LokationShape::nelo;
      case 'C': return LokationShape::sr;
      case 'D': return LokationShape::tr;
      default: break;
    }
  }
  return LokationShape::none;
}

}  // namespace quorvane_native::edifact

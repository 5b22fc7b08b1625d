#include "quorvane_native/edifact/quotes_line_item.hpp"

#include <fmt/format.h>

#include <algorithm>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "quorvane_native/edifact/column_places.hpp"

namespace quorvane_native::edifact {

namespace {

struct LinePlaces {
  QuotesLineItem item;
  bool product = false;
  bool price = false;
};

bool lists(const ColumnCodes& codes, std::string_view code) {
  return std::ranges::find(codes.codes, code) != codes.codes.end();
}

// A PIA of the group with `qualifier` whose DE 7143 the column gives `code`.
bool has_identification(const ColumnRef& column, NodeIndex group, std::string_view qualifier, std::string_view code) {
  const auto& nodes = column.profile->structure().nodes;
  return std::ranges::any_of(nodes[group].children, [&](NodeIndex child) {
    const auto* segment = nodes[child].segment();
    return segment != nullptr && segment->tag == "PIA" && column_uses(column, segment->nr) &&
           admits_qualifier(column, child, qualifier) && lists(column_codes(column, segment->nr, "7143"), code);
  });
}

// The PRI that opens a price group of the line item, when the column gives it an amount (DE 5118).
std::optional<std::string_view> priced(const ColumnRef& column, NodeIndex group) {
  const auto& nodes = column.profile->structure().nodes;
  for (NodeIndex child : nodes[group].children) {
    if (nodes[child].group() == nullptr || nodes[child].children.empty()) continue;
    const auto* trigger = nodes[nodes[child].children.front()].segment();
    if (trigger == nullptr || trigger->tag != "PRI" || !column_uses(column, trigger->nr)) continue;
    if (column_codes(column, trigger->nr, "5118").listed) return trigger->nr;
  }
  return std::nullopt;
}

std::vector<LinePlaces> line_places(const ColumnRef& column) {
  std::vector<LinePlaces> found;
  const auto& nodes = column.profile->structure().nodes;
  for (NodeIndex group = 0; group < nodes.size(); ++group) {
    if (nodes[group].group() == nullptr || nodes[group].children.empty()) continue;
    const auto* lin = nodes[nodes[group].children.front()].segment();
    if (lin == nullptr || lin->tag != "LIN" || !column_uses(column, lin->nr)) continue;
    LinePlaces places;
    const auto codes = column_codes(column, lin->nr, "1229");
    if (!codes.codes.empty()) places.item.code = codes.codes.front();
    places.product = has_identification(column, group, "5", "Z11");
    if (const auto pri = priced(column, group)) {
      places.price = true;
      // The fixed Artikel-ID ends in "01", the Einrichtung, whose price code is Z01 per piece.
      places.item.article_price = has_identification(column, group, "Z02", "Z09") &&
                                  lists(column_codes(column, *pri, "5387"), "Z01") &&
                                  admits_code(column_codes(column, *pri, "6411"), "H87");
    }
    found.push_back(std::move(places));
  }
  return found;
}

std::string admitted(const std::vector<LinePlaces>& places) {
  const bool both = std::ranges::any_of(places, [](const auto& p) { return p.product && p.price; });
  const bool product = std::ranges::any_of(places, [](const auto& p) { return p.product; });
  const bool price = std::ranges::any_of(places, [](const auto& p) { return p.price; });
  if (both) return "product with price";
  if (product && price) return "product or price, not both in one line item";
  if (product) return "product alone";
  if (price) return "price alone (its line items are named by their article number, not by a product)";
  return "neither product nor price";
}

}  // namespace

py::Expected<QuotesLineItem> quotes_line_item(const ColumnRef& column, std::string_view label, bool product,
                                              bool price) {
  const auto places = line_places(column);
  const auto fit = [&](const LinePlaces& p) { return (!product || p.product) && (!price || p.price); };
  // The Messprodukt's line item (Z67) is the one the arguments were made for; another only where
  // the column has no such line item for them.
  auto fits = std::ranges::find_if(places, [&](const auto& p) { return fit(p) && p.item.code == "Z67"; });
  if (fits == places.end()) fits = std::ranges::find_if(places, fit);
  if (fits != places.end()) return fits->item;
  const bool product_fits = std::ranges::any_of(places, [](const auto& p) { return p.product; });
  const auto [argument, reason] =
      product && !product_fits
          ? std::pair<std::string_view, std::string_view>(
                "product", "no line item of its column is named by a product code (PIA+5 with Z11)")
          : std::pair<std::string_view, std::string_view>(
                "price", product ? "no line item of its column that takes the product carries a price (PRI DE 5118)"
                                 : "no line item of its column carries a price (PRI DE 5118)");
  return py::value_error(
      fmt::format("{} has no place in {}: {}; it admits {}", argument, label, reason, admitted(places)));
}

}  // namespace quorvane_native::edifact

#include "edi_energy/lokation_reference.hpp"

#include <algorithm>
#include <array>
#include <cctype>
#include <string>

#include "rubo4e/identifiers/malo_id.hpp"
#include "rubo4e/identifiers/resource_id_kind.hpp"
#include "rubo4e/identifiers/zaehlpunkt.hpp"

namespace edi_energy::lokation_reference {

namespace {

bool upper_or_digit(char c) { return std::isdigit(static_cast<unsigned char>(c)) || (c >= 'A' && c <= 'Z'); }

// A reference qualifier, a Lokation it names (LOC DE 3227) and the shape of that Lokation's ID;
// a qualifier's likeliest Lokation first. A gas Meldepunkt (172) is a Marktlokation or a
// Messlokation, told by its ID's shape. RFF+Z16 and RFF+Z50 refer to a Marktlokation's data, not
// to the Lokation itself: a caller's reference of theirs stays a reference.
struct Row {
  std::string_view reference;
  std::string_view location;
  Shape shape;
  bool names_lokation = true;
};
constexpr std::array<Row, 10> rows{{{"Z18", "Z16", Shape::malo},
                                    {"Z18", "172", Shape::malo},
                                    {"Z19", "Z17", Shape::zaehlpunkt},
                                    {"Z19", "172", Shape::zaehlpunkt},
                                    {"Z20", "Z21", Shape::malo},
                                    {"Z32", "Z18", Shape::nelo},
                                    {"Z37", "Z20", Shape::tr},
                                    {"Z38", "Z19", Shape::sr},
                                    {"Z16", "Z16", Shape::malo, false},
                                    {"Z50", "Z16", Shape::malo, false}}};

}  // namespace

Shape shape_of(std::string_view id) {
  if (id.size() == 11 && std::ranges::all_of(id, [](char c) { return std::isdigit(static_cast<unsigned char>(c)); })) {
    return Shape::malo;
  }
  if (id.size() == 33 && id[0] >= 'A' && id[0] <= 'Z' && id[1] >= 'A' && id[1] <= 'Z' &&
      std::ranges::all_of(id, upper_or_digit)) {
    return Shape::zaehlpunkt;
  }
  // The column's samples are eleven characters long, the MIG's fourteen.
  if (id.size() >= 11 && id.size() <= 14 && std::ranges::all_of(id.substr(1), upper_or_digit)) {
    switch (id[0]) {
      case 'E': return Shape::nelo;
      case 'C': return Shape::sr;
      case 'D': return Shape::tr;
      default: break;
    }
  }
  return Shape::none;
}

Named lokation_named(std::string_view location) {
  static constexpr std::array<Named, 9> names{{
      {"172", "Meldepunkt", "Marktlokations-ID"},
      {"Z15", "MaBiS-Zählpunkt", "Zählpunktbezeichnung"},
      {"Z16", "Marktlokation", "Marktlokations-ID"},
      {"Z17", "Messlokation", "Zählpunktbezeichnung"},
      {"Z18", "Netzlokation", "Netzlokations-ID"},
      {"Z19", "steuerbare Ressource", "SR-ID"},
      {"Z20", "technische Ressource", "TR-ID"},
      {"Z21", "Tranche", "Marktlokations-ID"},
      {"Z22", "ruhende Marktlokation", "Marktlokations-ID"},
  }};
  const auto* found = std::ranges::find(names, location, &Named::location);
  return found != names.end() ? *found : Named{location, "Lokation", "ID"};
}

Named lokation_named(std::string_view location, std::string_view form) {
  if (location == "172" && form == form_of(Shape::zaehlpunkt)) return {location, "Messlokation", form};
  if (location == "172" && form == form_of(Shape::malo)) return {location, "Marktlokation", form};
  return lokation_named(location);
}

std::string_view form_of(Shape shape) {
  static constexpr std::array<std::string_view, 6> forms{"", "Marktlokations-ID", "Zählpunktbezeichnung",
                                                         "Netzlokations-ID", "SR-ID", "TR-ID"};
  return forms[static_cast<std::size_t>(shape)];
}

Shape shape_named(std::string_view reference) {
  const auto* row = std::ranges::find(rows, reference, &Row::reference);
  return row != rows.end() && row->names_lokation ? row->shape : Shape::none;
}

std::optional<std::string> why_not(Shape shape, std::string_view id) {
  namespace ids = rubo4e::identifiers;
  using Kind = ids::ascii_ids::ResourceIdKind;
  const auto checked = [&]() -> std::expected<void, rubo4e::error::IdentifierError> {
    switch (shape) {
      case Shape::malo: return ids::malo_id::validate(id);
      case Shape::zaehlpunkt: return ids::zaehlpunkt::validate_zaehlpunktbezeichnung(id);
      case Shape::nelo: return ids::ascii_ids::validate_resource_id(Kind::Nelo, id);
      case Shape::sr: return ids::ascii_ids::validate_resource_id(Kind::Sr, id);
      case Shape::tr: return ids::ascii_ids::validate_resource_id(Kind::Tr, id);
      case Shape::none: break;
    }
    return {};
  }();
  if (!checked) return checked.error().message();
  return std::nullopt;
}

std::vector<std::string_view> lokation_kinds(std::string_view reference, std::string_view id) {
  std::vector<std::string_view> kinds;
  const Shape shape = shape_of(id);
  for (const Row& row : rows) {
    if (row.reference == reference && row.shape == shape) kinds.push_back(row.location);
  }
  return kinds;
}

std::vector<std::string_view> referenced(std::string_view reference, Shape shape) {
  std::vector<std::string_view> kinds;
  for (const Row& row : rows) {
    if (row.reference == reference) kinds.push_back(row.location);
  }
  if (!kinds.empty()) return kinds;
  switch (shape) {
    case Shape::malo: return {"Z16", "172"};
    case Shape::zaehlpunkt: return {"Z17", "172"};
    case Shape::nelo: return {"Z18"};
    case Shape::sr: return {"Z19"};
    case Shape::tr: return {"Z20"};
    case Shape::none: break;
  }
  return {};
}

bool refers(std::string_view reference, std::string_view location, std::string_view id) {
  return std::ranges::any_of(rows, [&](const Row& row) {
    return row.reference == reference && row.location == location && shape_of(id) == row.shape;
  });
}

std::optional<std::string_view> reference_naming(std::string_view location, std::string_view form,
                                                 const std::function<bool(std::string_view)>& used) {
  std::optional<std::string_view> found;
  for (const Row& row : rows) {
    if (!row.names_lokation || row.location != location || (!form.empty() && form_of(row.shape) != form)) continue;
    if (used(row.reference)) return row.reference;
    if (!found) found = row.reference;
  }
  return found;
}

}  // namespace edi_energy::lokation_reference

// Lokation IDs and the references that name them. Completion writing a reference to a Lokation of
// the Vorgang, an answer carrying its request's own IDs and a caller naming a Lokation in a
// reference all read one table, and tell Lokation IDs from other values by their shape alone.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <optional>
#include <string_view>
#include <vector>

namespace edi_energy::lokation_reference {

// In this order: a refusal names each form by its place.
enum class Shape : std::uint8_t { none, malo, zaehlpunkt, nelo, sr, tr };

// A Marktlokation's ID, a Zählpunkt, a Netzlokation's, a Steuerbare Ressource's or a Technische
// Ressource's; `none` for anything else.
Shape shape_of(std::string_view id);

inline bool lokation_shaped(std::string_view id) { return shape_of(id) != Shape::none; }

// "Marktlokations-ID", "Zählpunktbezeichnung", ...; empty for `none`.
std::string_view form_of(Shape shape);

// The form of `id` as a Lokation's ID; empty where it has none.
inline std::string_view lokation_form(std::string_view id) { return form_of(shape_of(id)); }

// A Lokation of LOC qualifier `location` ("Z17") as a refusal names it ("Messlokation"), and the
// form of its ID ("Zählpunktbezeichnung"); "Lokation" and "ID" for a qualifier of no Lokation.
struct Named {
  std::string_view location;
  std::string_view name;
  std::string_view form;
};
Named lokation_named(std::string_view location);
// The same, where its ID's form is known: a gas Meldepunkt (172) is named as the Marktlokation or the
// Messlokation its ID is of.
Named lokation_named(std::string_view location, std::string_view form);

// The shape of the ID a reference of qualifier `reference` (RFF DE 1153) holds where it names a
// Lokation itself; `none` where the qualifier names none, or only refers to a Lokation's data.
Shape shape_named(std::string_view reference);

// Why `id` is no ID of `shape`; none where it is one.
std::optional<std::string> why_not(Shape shape, std::string_view id);

// The LOC DE 3227 codes of the Lokationen a reference of qualifier `reference` holding `id` names,
// the likeliest first; none where the qualifier names no Lokation or `id` has not the shape of its ID.
std::vector<std::string_view> lokation_kinds(std::string_view reference, std::string_view id);

// The Lokationen a reference of this qualifier may name, by the qualifier or else by the shape of
// its ID, in the order a request's are looked for.
std::vector<std::string_view> referenced(std::string_view reference, Shape shape);

// Whether a reference of qualifier `reference` names the Lokation of LOC qualifier `location` and ID `id`.
bool refers(std::string_view reference, std::string_view location, std::string_view id);

// The reference qualifier that names a Lokation of LOC qualifier `location` whose ID has `form`
// (any where empty) itself, one `used` accepts first; none where no reference names it.
std::optional<std::string_view> reference_naming(std::string_view location, std::string_view form,
                                                 const std::function<bool(std::string_view)>& used);

}  // namespace edi_energy::lokation_reference

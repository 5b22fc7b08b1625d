// Which Lokation an ID has the shape of. A build leaving out completion's sample Lokationen and an
// answer carrying its request's own IDs both tell Lokation IDs from other values by their shape
// alone, whatever qualifier names them.
#pragma once

#include <cstdint>
#include <string_view>

namespace quorvane_native::edifact {

// In this order: an answer's refusal names each form by its place.
enum class LokationShape : std::uint8_t { none, malo, zaehlpunkt, nelo, sr, tr };

// A Marktlokation's ID, a Zählpunkt, a Netzlokation's, a Steuerbare Ressource's or a Technische
// Ressource's; `none` for anything else.
LokationShape lokation_shape(std::string_view id);

inline bool lokation_shaped(std::string_view id) { return lokation_shape(id) != LokationShape::none; }

}  // namespace quorvane_native::edifact

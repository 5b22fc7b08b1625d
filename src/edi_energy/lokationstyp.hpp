// Location types: the DE 3227 qualifiers of LOC segments.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

namespace edi_energy::lokationstyp {

enum class Lokationstyp : std::uint8_t {
  Meldepunkt,            // "172" (MSCONS)
  MabisZaehlpunkt,       // "Z15"
  Marktlokation,         // "Z16"
  Messlokation,          // "Z17"
  Netzlokation,          // "Z18"
  SteuerbareRessource,   // "Z19"
  TechnischeRessource,   // "Z20"
  Tranche,               // "Z21"
  RuhendeMarktlokation,  // "Z22"
};

// Indexed by the value of Lokationstyp.
inline constexpr std::array<std::string_view, 9> qualifier_codes{
    "172", "Z15", "Z16", "Z17", "Z18", "Z19", "Z20", "Z21", "Z22",
};

constexpr std::string_view qualifier_code(Lokationstyp typ) {
  return qualifier_codes[static_cast<std::size_t>(typ)];
}

// Exact, case-sensitive match of the three-byte qualifier; nothing for any other text.
std::optional<Lokationstyp> from_qualifier_code(std::string_view code);

}  // namespace edi_energy::lokationstyp

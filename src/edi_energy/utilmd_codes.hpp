// Code-bearing values of UTILMD that builders take from their callers.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace edi_energy::utilmd_codes {

// One product of a Produktpaket: its Produkt-Code (PIA, "Z11") and optional values.
struct ProduktpaketEntry {
  std::string produkt_code;
  std::optional<std::string> zh9;  // "Code der Produkteigenschaft"
  std::optional<std::string> zv4;  // "Wertedetails zum Produkt", for a Bilanzkreis its EIC
};

struct Produktpaket {
  std::uint32_t number = 0;   // SEQ DE 1050
  bool partial = false;       // CCI+Z65: "Z02" may be applied in parts, "Z01" in full only
  std::vector<ProduktpaketEntry> entries;
};

}  // namespace edi_energy::utilmd_codes

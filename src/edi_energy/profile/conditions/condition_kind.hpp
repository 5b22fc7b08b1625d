// The class of a condition reference by its text: the number ranges of the AHB conditions, the
// "UB" Unterbedingungen and the Paket references.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace edi_energy::profile::conditions {

enum class ConditionKind : std::uint8_t {
  Voraussetzung,     // 1 to 499
  Hinweis,           // 500 to 899
  Formatbedingung,   // 900 to 999
  Wiederholbarkeit,  // 2000 to 2499
  Unterbedingung,    // "UB…"
  Paket,             // contains "P"
  Other,
};

ConditionKind kind_of(std::string_view reference);

// An unsigned 32-bit decimal with an optional leading "+" (leading zeros allowed).
std::optional<std::uint32_t> reference_number(std::string_view text);

}  // namespace edi_energy::profile::conditions

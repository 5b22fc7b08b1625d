// A Paket reference such as "4P1..1": the Paket's name (its key in the AHB Pakete) and how
// often its codes may be chosen.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace edi_energy::profile::conditions {

struct Paket {
  std::string name;                // the leading digits and "P", leading zeros kept
  std::size_t min = 0;
  std::optional<std::size_t> max;  // absent: unbounded ("n")

  // Nothing for a text that is not a Paket reference.
  static std::optional<Paket> parse(std::string_view reference);

  friend bool operator==(const Paket&, const Paket&) = default;
};

}  // namespace edi_energy::profile::conditions

// A decimal number read from a value text, in a normal form that makes equal numbers equal:
// no leading zeros before the point, no trailing zeros after it, and one zero.
#pragma once

#include <compare>
#include <optional>
#include <string>
#include <string_view>

namespace edi_energy::profile::formatbedingung {

struct Dec {
  std::string int_digits;   // empty for an integer part of zero
  std::string frac_digits;  // empty when there is no fraction
  bool negative = false;    // never set for zero

  // A numeric data element value as the MIG check reads it (numeric_value::read).
  static std::optional<Dec> parse(std::string_view text);
  static std::strong_ordering cmp(const Dec& a, const Dec& b);

  friend bool operator==(const Dec&, const Dec&) = default;
};

}  // namespace edi_energy::profile::formatbedingung

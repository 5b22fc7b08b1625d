// What a numeric data element value is: the one reading behind the MIG's "n" formats and the
// numeric Formatbedingungen, so that no value passes one and fails the other.
#pragma once

#include <optional>
#include <string_view>

namespace edi_energy::profile::numeric_value {

struct NumericParts {
  bool negative = false;
  std::string_view int_digits;   // as written, leading zeros kept
  std::string_view frac_digits;  // as written, empty without a decimal mark
};

// An optional leading minus, digits, and at most one decimal mark ("." or ",") with at least
// one digit on each side of it, as the syntax rules have it: "5", "-0,25"; not ".5", "5.",
// "+5", "1e3", "1.000,5" or anything with spaces.
std::optional<NumericParts> read(std::string_view text);

}  // namespace edi_energy::profile::numeric_value

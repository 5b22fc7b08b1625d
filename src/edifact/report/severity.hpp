// How bad a finding is and which layer of the system produced it, with the text forms that the
// energy-market summary and the Python layer show.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace edifact::report {

enum class Severity : std::uint8_t { Critical, Error, Warning, Info };

std::string_view text_form(Severity severity);

// Critical and Error both count as errors: everything below Warning.
constexpr bool counts_as_error(Severity severity) { return severity < Severity::Warning; }

enum class ValidationLayer : std::uint8_t {
  Parse,
  Directory,
  Mig,
  Ahb,
  Semantic,
  Custom,
  Unvalidated,
};

std::string_view text_form(ValidationLayer layer);

// The layer a rule id names by its prefix (compared byte for byte); none for an id that fits
// no layer.
std::optional<ValidationLayer> layer_of_rule_id(std::string_view rule_id);

}  // namespace edifact::report

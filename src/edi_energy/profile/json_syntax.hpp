// The strict JSON syntax of profile documents, and the first syntax fault of a text with the
// position at which it is noticed. The document reader relies on it to name and place a fault
// once the fast reader has found that something is wrong.
#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

#include "edi_energy/profile/json_fault.hpp"

namespace edi_energy::profile::json {

// Arrays and objects nest at most 127 deep, the root counting as the first level: entering one
// takes one from this budget, and the budget may not reach 0.
inline constexpr std::size_t nesting_budget = 128;

inline constexpr bool is_json_whitespace(char character) {
  return character == ' ' || character == '\t' || character == '\n' || character == '\r';
}

// The first fault of `document` read as one JSON value followed only by whitespace, or nothing
// when it is well-formed.
std::optional<JsonFault> first_syntax_fault(std::string_view document);

}  // namespace edi_energy::profile::json

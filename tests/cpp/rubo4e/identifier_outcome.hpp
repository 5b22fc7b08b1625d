// Test helper: one text per outcome of an identifier rule, so that tables can state the
// expected result and the exact error message in a single column.
#pragma once

#include <expected>
#include <ostream>
#include <string>

#include "rubo4e/error.hpp"

namespace rubo4e::error {
inline void PrintTo(const IdentifierError& error, std::ostream* out) { *out << error.message(); }
}  // namespace rubo4e::error

namespace rubo4e_test {

inline constexpr const char* accepted = "ok";

// "ok" (or the completed identifier, for a string), else the error's message.
template <typename T>
std::string outcome(const std::expected<T, rubo4e::error::IdentifierError>& result) {
  if constexpr (std::is_same_v<T, std::string>) {
    if (result) return *result;
  }
  return result ? accepted : result.error().message();
}

}  // namespace rubo4e_test

// Why a condition text did not parse. It has no message text: callers treat a text that does
// not parse as an absent expression.
#pragma once

#include <cstddef>
#include <cstdint>

namespace edi_energy::profile::conditions {

struct ExprError {
  // TooDeep bounds the nesting (of parentheses and of operator chains) so that no text can
  // exhaust the stack of the recursive parse, evaluation or destruction.
  enum class Kind : std::uint8_t {
    UnexpectedChar,
    UnterminatedRef,
    EmptyRef,
    ExpectedOperand,
    UnbalancedParen,
    Empty,
    TooDeep,
  };

  Kind kind = Kind::Empty;
  char32_t character = 0;  // UnexpectedChar

  friend bool operator==(const ExprError&, const ExprError&) = default;
};

// Far beyond the five levels that real AHB expressions use.
inline constexpr std::size_t max_expr_depth = 64;

}  // namespace edi_energy::profile::conditions

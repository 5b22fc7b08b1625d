// JSON number tokens of profile documents: their grammar, and the form in which a fault shows
// them ("integer `7`", "floating point `2.0`").
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace edi_energy::profile::json {

struct NumberToken {
  // Integers that fit 64 bits keep that form; every other number counts as floating point,
  // as do minus zero and integers beyond 64 bits.
  enum class Form : std::uint8_t { Unsigned, Negative, Floating };

  Form form = Form::Unsigned;
  std::uint64_t magnitude = 0;  // Unsigned and Negative
  double floating = 0.0;        // Floating
  std::string_view text;        // as written

  // "integer `-3`", "floating point `2.5`"
  std::string describe() const;
};

enum class NumberFault : std::uint8_t { Malformed, OutOfRange };

struct NumberReading {
  std::optional<NumberToken> token;
  NumberFault fault = NumberFault::Malformed;  // when there is no token
};

// Reads `text`, one complete number token without surrounding whitespace.
NumberReading read_number(std::string_view text);

}  // namespace edi_energy::profile::json

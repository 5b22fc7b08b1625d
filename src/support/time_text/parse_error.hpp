// Why a date, date-time or clock text was refused, in the parser's own words; shared by the ISO
// 8601 and RFC 3339 grammars so that every caller reports the same reasons.
#pragma once

#include <string>
#include <string_view>

namespace support::time_text {

struct ParseError {
  enum class Kind {
    invalid_component,               // a component does not have its form
    invalid_literal,                 // a separator or designator expected and not found
    unexpected_trailing_characters,  // text after a complete value
    component_range,                 // a component names no existing value
    insufficient_information,        // a time of day without a date
  };
  Kind kind;
  std::string_view component;  // "year", "offset hour", ...; empty where the kind names none
};

// "day was not in range", "the 'month' component could not be parsed", ...
std::string reason(const ParseError& error);

}  // namespace support::time_text

#include "support/time_text/parse_error.hpp"

#include <fmt/format.h>

#include "support/internal_fault.hpp"

namespace support::time_text {

std::string reason(const ParseError& error) {
  switch (error.kind) {
    case ParseError::Kind::invalid_component:
      return fmt::format("the '{}' component could not be parsed", error.component);
    case ParseError::Kind::invalid_literal:
      return "a character literal was not valid";
    case ParseError::Kind::unexpected_trailing_characters:
      return "unexpected trailing characters; the end of input was expected";
    case ParseError::Kind::component_range:
      return fmt::format("{} was not in range", error.component);
    case ParseError::Kind::insufficient_information:
      return "the `Parsed` struct did not include enough information to construct the type";
  }
  throw support::InternalFault("ParseError with a kind outside its enumeration");
}

}  // namespace support::time_text

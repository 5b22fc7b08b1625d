// The six service characters of an interchange (the UNA service string advice): read from the
// start of the input, checked before use, and handed to the tokenizer, parser and writer.
#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

#include "edifact/error.hpp"

namespace edifact::tokenizer {

// Held in this order; the UNA on the wire names them in a different one.
struct ServiceStringAdvice {
  char element_separator = '+';
  char component_separator = ':';
  char release_character = '?';
  char decimal_mark = '.';           // carried only; tokenizing never looks at it
  char repetition_separator = ' ';   // a space means "no repetition separator"
  char segment_terminator = '\'';

  static const ServiceStringAdvice DEFAULT;
  // The defaults of syntax version 4, which add "*" as repetition separator.
  static const ServiceStringAdvice SYNTAX_VERSION_4;

  bool has_repetition_separator() const { return repetition_separator != ' '; }

  // The advice that applies to `input`: its UNA, else the defaults (those of syntax version 4
  // when a leading UNB declares that version). Never fails and checks nothing.
  static ServiceStringAdvice from_bytes_unchecked(std::string_view input);

  // The advice as read from the nine bytes "UNA" plus six characters in wire order.
  static ServiceStringAdvice from_una_characters(std::string_view six_characters);

  // Whether the characters may be used: separators printable, not alphanumeric, distinct.
  Result<void> validate() const;

  friend bool operator==(const ServiceStringAdvice&, const ServiceStringAdvice&) = default;
};

inline constexpr ServiceStringAdvice ServiceStringAdvice::DEFAULT{};
inline constexpr ServiceStringAdvice ServiceStringAdvice::SYNTAX_VERSION_4{
    .repetition_separator = '*'};

// The UTF-8 byte-order mark, stepped over at the very start of an input.
inline constexpr std::string_view BYTE_ORDER_MARK = "\xEF\xBB\xBF";

// Length of the UNA segment on the wire: "UNA" and six characters, no further terminator.
inline constexpr std::size_t UNA_LENGTH = 9;

// Offset just past a leading byte-order mark (inputs of three bytes or more) and whitespace.
std::size_t skip_bom_and_whitespace(std::string_view input, std::size_t from);

// Where the segments of an input begin: past a byte-order mark at the very start and any
// whitespace, and past a UNA and the whitespace after it. The tokenizer, the repertoire sniff and
// the choice between interchange and bare message all read the start this one way, so that none
// of them sees a UNB that another misses.
struct InputStart {
  std::optional<ServiceStringAdvice> una;  // as declared, unchecked
  std::size_t first_segment = 0;
};
InputStart input_start(std::string_view input);

// Tab, line feed, carriage return and space: the bytes allowed between segments.
constexpr bool is_segment_whitespace(char byte) {
  return byte == '\t' || byte == '\n' || byte == '\r' || byte == ' ';
}

}  // namespace edifact::tokenizer

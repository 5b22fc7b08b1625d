// A fault found while reading a profile document: its text and, when known, where in the
// document reading stood (line from 1, column as the bytes read so far on that line).
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace edi_energy::profile::json {

struct TextPosition {
  std::size_t line = 1;
  std::size_t column = 0;

  friend bool operator==(const TextPosition&, const TextPosition&) = default;
};

// The position reached after reading the first `consumed` bytes of `document`.
TextPosition position_after(std::string_view document, std::size_t consumed);

struct JsonFault {
  std::string message;
  std::optional<TextPosition> position;

  // "missing field `tag` at line 3 column 7"
  std::string text() const;

  static JsonFault at(std::string message, std::string_view document, std::size_t consumed);

  friend bool operator==(const JsonFault&, const JsonFault&) = default;
};

}  // namespace edi_energy::profile::json

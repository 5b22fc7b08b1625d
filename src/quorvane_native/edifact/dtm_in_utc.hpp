// A format-303 date moved into zone +00: an answer's column takes +00 only, and the same instant
// there is what the request said.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace quorvane_native::edifact {

// `value` (CCYYMMDDHHMM and a signed two-digit zone) as the same instant in +00; none when it is
// not written so or the instant falls outside the years 0000 to 9999.
std::optional<std::string> dtm_in_utc(std::string_view value);

// A DTM segment as written (its terminator included): its value with escapes undone, and its
// format code (empty where it names none).
struct DtmText {
  std::string value;
  std::string_view format;
};
std::optional<DtmText> dtm_text(std::string_view text);

}  // namespace quorvane_native::edifact

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

}  // namespace quorvane_native::edifact

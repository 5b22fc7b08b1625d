// Clock times as text, "HH:MM[:SS]": lenient about digit counts (9:5 reads as 09:05), strict about
// everything else.
#pragma once

#include <expected>
#include <string>
#include <string_view>

#include "zelk/fristen/clock_time.hpp"

namespace quorvane_native::fristen {

// The clock time, or the reason it was refused ("no minute", "hour was not in range", ...).
std::expected<zelk_fristen::ClockTime, std::string> parse_clock_text(std::string_view text);

}  // namespace quorvane_native::fristen

// German legal time: the instant of a Berlin wall-clock time and the Berlin day of an instant.
#pragma once

#include <chrono>
#include <expected>

#include "zelk/fristen/clock_time.hpp"
#include "zelk/fristen/error.hpp"
#include "zelk/fristen/instant.hpp"

namespace zelk_fristen {

// The instant at which the Berlin wall clock shows `clock` on `date`, at the offset then in force,
// whatever that offset is. A time shown twice gives the earlier instant; a skipped time has none.
std::expected<Instant, FristError> resolve_berlin(std::chrono::year_month_day date, ClockTime clock);

// As resolve_berlin, and the offset must be writable in RFC 3339 (whole minutes).
std::expected<Instant, FristError> berlin_at(std::chrono::year_month_day date, ClockTime clock);

// 12:00 Berlin on `date`, shown at UTC.
std::expected<Instant, FristError> noon_berlin(std::chrono::year_month_day date);

// The date that the Berlin wall clock shows at `instant`.
std::expected<std::chrono::year_month_day, FristError> berlin_day(const Instant& instant);

}  // namespace zelk_fristen

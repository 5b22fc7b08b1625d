// Showing deadline results in Berlin time: the deadline rules show a due time that they moved
// (to a window end, to Sunday or weekday noon) at UTC, while the Python functions promise the
// Berlin offset of the due day for those.
#pragma once

#include <expected>

#include "zelk/fristen/deadlines.hpp"
#include "zelk/fristen/error.hpp"
#include "zelk/fristen/instant.hpp"

namespace quorvane_native::fristen {

// The same moment at the Berlin offset then in force; local mean time (an offset with seconds)
// cannot be shown in RFC 3339 and is an error.
std::expected<zelk_fristen::Instant, zelk_fristen::FristError> shown_in_berlin(const zelk_fristen::Instant& instant);

// A moved due time at the Berlin offset, any other as the rule gave it: at the receipt's offset.
std::expected<zelk_fristen::Instant, zelk_fristen::FristError> shown_for_caller(
    const std::expected<zelk_fristen::DueTime, zelk_fristen::FristError>& due);

}  // namespace quorvane_native::fristen

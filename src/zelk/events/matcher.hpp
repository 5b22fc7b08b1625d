// Subscription patterns over event types: "*" matches any run of characters, "?" exactly one,
// every other character itself; the pattern must cover the whole event type.
#pragma once

#include <string_view>

namespace zelk_events {

// Compares Unicode characters, case-sensitively. Backtracks to the most recent "*" only, so a
// match costs at most pattern length times event-type length steps, whatever the pattern.
bool matches(std::string_view pattern, std::string_view event_type);

}  // namespace zelk_events

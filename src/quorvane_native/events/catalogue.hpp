// The declared catalogue of business event types ("de.zelk.process.initiated") that the
// platform routes as CloudEvents, and the subscription-pattern queries over it.
#pragma once

#include <span>
#include <string_view>
#include <vector>

namespace quorvane_native::events {

// The catalogue in storage order, which carries no meaning.
std::span<const std::string_view> event_type_catalogue();

// All types, ascending by bytes.
std::vector<std::string_view> event_types();

// Exact, byte-for-byte membership.
bool event_type_exists(std::string_view event_type);

// Whether the subscription `pattern` selects `event_type`; the type need not be in the catalogue.
bool event_matches(std::string_view pattern, std::string_view event_type);

// The catalogue types that `pattern` selects, ascending by bytes; empty for a dead subscription.
std::vector<std::string_view> event_types_matching(std::string_view pattern);

}  // namespace quorvane_native::events

// Reading the message identifier (S009) of a message's first UNH, as scoping and run contexts
// need it.
#pragma once

#include <optional>
#include <span>
#include <string_view>

#include "edifact/model/segment.hpp"

namespace edifact::validator {

// Component 0 of the second data element of the first segment tagged "UNH" (DE 0065), when that
// segment has the element and the element has the component. The text may be empty.
std::optional<std::string_view> unh_message_type(std::span<const model::Segment> segments);

// Component 4 of the same element (DE 0057, where the market's messages carry the release).
std::optional<std::string_view> unh_association_code(std::span<const model::Segment> segments);

}  // namespace edifact::validator

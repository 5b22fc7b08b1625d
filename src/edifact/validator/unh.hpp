// Reading the message identifier (S009) of a UNH: for message windows, which take it from their
// first segment, and for scoping and run contexts, which take it from the first UNH of a list.
#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <string_view>

#include "edifact/model/segment.hpp"

namespace edifact::validator {

inline constexpr std::size_t MESSAGE_TYPE_COMPONENT = 0;     // DE 0065, "UTILMD"
inline constexpr std::size_t ASSOCIATION_CODE_COMPONENT = 4;  // DE 0057, "S2.1"

// Component `component_index` of the second data element (first repetition) of `unh`, when the
// segment has that element and the element that component. The text may be empty. The tag is
// not looked at: the caller has chosen the segment.
std::optional<std::string_view> message_identifier_component(const model::Segment& unh,
                                                             std::size_t component_index);

// Component 0 of the second data element of the first segment tagged "UNH" (DE 0065), when that
// segment has the element and the element has the component. The text may be empty.
std::optional<std::string_view> unh_message_type(std::span<const model::Segment> segments);

// Component 4 of the same element (DE 0057, where the market's messages carry the release).
std::optional<std::string_view> unh_association_code(std::span<const model::Segment> segments);

}  // namespace edifact::validator

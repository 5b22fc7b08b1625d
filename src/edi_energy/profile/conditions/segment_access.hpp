// The only place where the condition code reads EDIFACT segments: tag, element count and the
// text of one component of an element's first repetition.
#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

namespace edifact::model {
class Segment;
}

namespace edi_energy::profile::conditions::segment_access {

std::string_view tag(const edifact::model::Segment& segment);
std::size_t element_count(const edifact::model::Segment& segment);
// Nothing when the element or the component does not exist.
std::optional<std::string_view> component(const edifact::model::Segment& segment, std::size_t element,
                                          std::size_t component);

}  // namespace edi_energy::profile::conditions::segment_access

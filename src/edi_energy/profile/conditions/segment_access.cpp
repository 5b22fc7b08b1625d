#include "edi_energy/profile/conditions/segment_access.hpp"

#include "edifact/model/segment.hpp"

namespace edi_energy::profile::conditions::segment_access {

std::string_view tag(const edifact::model::Segment& segment) { return segment.tag(); }

std::size_t element_count(const edifact::model::Segment& segment) { return segment.elements().size(); }

std::optional<std::string_view> component(const edifact::model::Segment& segment, std::size_t element,
                                          std::size_t component) {
  return segment.component_text(element, component);
}

}  // namespace edi_energy::profile::conditions::segment_access

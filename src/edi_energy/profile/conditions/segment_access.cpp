#include "edi_energy/profile/conditions/segment_access.hpp"

#include "edifact/model/segment.hpp"

namespace edi_energy::profile::conditions::segment_access {

std::string_view tag(const edifact::model::Segment& segment) { return segment.tag(); }

std::size_t element_count(const edifact::model::Segment& segment) { return segment.elements().size(); }

std::optional<std::string_view> component(const edifact::model::Segment& segment, std::size_t element,
                                          std::size_t component) {
  const edifact::model::ElementList elements = segment.elements();
  if (element >= elements.size()) return std::nullopt;
  const edifact::model::ComponentList components = elements[element].components();
  if (component >= components.size()) return std::nullopt;
  return components.text(component);
}

}  // namespace edi_energy::profile::conditions::segment_access

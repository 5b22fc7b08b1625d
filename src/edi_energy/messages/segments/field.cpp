#include "edi_energy/messages/segments/field.hpp"

namespace edi_energy::messages::segments {

using edifact::EdifactError;
using edifact::model::Segment;

edifact::Result<const Segment*> first_with_tag(std::span<const Segment> segments, std::string_view tag) {
  for (const Segment& segment : segments) {
    if (segment.tag() == tag) return &segment;
  }
  return std::unexpected(EdifactError::missing_segment(std::string(tag), "message body"));
}

std::optional<std::string> optional_field(const Segment& segment, std::size_t element, std::size_t component) {
  const auto elements = segment.elements();
  if (element >= elements.size()) return std::nullopt;
  const auto components = elements[element].components();
  if (component >= components.size()) return std::nullopt;
  const std::string_view text = components.text(component);
  if (text.empty()) return std::nullopt;
  return std::string(text);
}

edifact::Result<std::string> required_field(const Segment& segment, std::size_t element, std::size_t component) {
  if (auto text = optional_field(segment, element, component)) return std::move(*text);
  return std::unexpected(EdifactError::missing_element(element, std::string(segment.tag())));
}

std::string_view leading_text(const Segment& segment, std::size_t element) {
  const auto elements = segment.elements();
  if (element >= elements.size()) return {};
  const auto components = elements[element].components();
  if (components.empty()) return {};
  return components.text(0);
}

}  // namespace edi_energy::messages::segments

#include "edifact/validator/unh.hpp"

#include <algorithm>

namespace edifact::validator {
namespace {

constexpr std::size_t message_identifier_element = 1;

std::optional<std::string_view> first_unh_component(std::span<const model::Segment> segments,
                                                    std::size_t component_index) {
  auto unh = std::ranges::find_if(segments, [](const model::Segment& segment) { return segment.tag() == "UNH"; });
  if (unh == segments.end()) return std::nullopt;
  return message_identifier_component(*unh, component_index);
}

}  // namespace

std::optional<std::string_view> message_identifier_component(const model::Segment& unh,
                                                             std::size_t component_index) {
  if (unh.elements().size() <= message_identifier_element) return std::nullopt;
  const model::ComponentList components = unh.elements()[message_identifier_element].components();
  if (components.size() <= component_index) return std::nullopt;
  return components[component_index].text;
}

std::optional<std::string_view> unh_message_type(std::span<const model::Segment> segments) {
  return first_unh_component(segments, MESSAGE_TYPE_COMPONENT);
}

std::optional<std::string_view> unh_association_code(std::span<const model::Segment> segments) {
  return first_unh_component(segments, ASSOCIATION_CODE_COMPONENT);
}

}  // namespace edifact::validator

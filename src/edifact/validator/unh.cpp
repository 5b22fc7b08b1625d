#include "edifact/validator/unh.hpp"

#include <algorithm>
#include <cstddef>

namespace edifact::validator {
namespace {

constexpr std::size_t message_identifier_element = 1;
constexpr std::size_t message_type_component = 0;
constexpr std::size_t association_code_component = 4;

std::optional<std::string_view> message_identifier_component(
    std::span<const model::Segment> segments, std::size_t component_index) {
  auto unh = std::ranges::find(segments, std::string_view("UNH"), &model::Segment::tag);
  if (unh == segments.end() || unh->elements().size() <= message_identifier_element) {
    return std::nullopt;
  }
  const model::ComponentList& components = unh->elements()[message_identifier_element].components();
  if (components.size() <= component_index) return std::nullopt;
  return components[component_index].text;
}

}  // namespace

std::optional<std::string_view> unh_message_type(std::span<const model::Segment> segments) {
  return message_identifier_component(segments, message_type_component);
}

std::optional<std::string_view> unh_association_code(std::span<const model::Segment> segments) {
  return message_identifier_component(segments, association_code_component);
}

}  // namespace edifact::validator

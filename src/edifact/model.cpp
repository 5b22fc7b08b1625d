#include "edifact/model.hpp"

#include <limits>

#include "edifact/error.hpp"

namespace edifact::model {
namespace {

std::size_t saturating_add(std::size_t offset, std::size_t delta) {
  return delta > std::numeric_limits<std::size_t>::max() - offset
             ? std::numeric_limits<std::size_t>::max()
             : offset + delta;
}

Span shifted(Span span, std::size_t delta) {
  return {saturating_add(span.start, delta), saturating_add(span.end, delta)};
}

template <class Visit>
void for_each_component(Element& element, Visit visit) {
  for (Component& component : element.components) visit(component);
  for (ComponentList& repetition : element.repetitions) {
    for (Component& component : repetition) visit(component);
  }
}

}  // namespace

Element Element::from_texts(const std::vector<std::string_view>& texts) {
  Element element;
  element.components.reserve(texts.size());
  for (std::string_view text : texts) element.components.push_back({text, {}});
  return std::move(element).into_owned();
}

Element Element::into_owned() && {
  std::size_t total = 0;
  for_each_component(*this, [&](Component& c) { total += c.text.size(); });
  auto owned = std::make_shared<std::string>();
  owned->reserve(total);
  for_each_component(*this, [&](Component& c) { owned->append(c.text); });
  // Views are taken only after all appends, so the buffer no longer moves.
  std::size_t position = 0;
  for_each_component(*this, [&](Component& c) {
    c.text = std::string_view(owned->data() + position, c.text.size());
    position += c.text.size();
  });
  storage = std::move(owned);
  return std::move(*this);
}

Segment::Segment(std::string_view tag, std::vector<Element> elements, Span span, Span tag_span)
    : elements(std::move(elements)), span(span), tag_span(tag_span), tag_(tag) {}

std::expected<std::string_view, error::EdifactError> Segment::required_component(
    std::size_t element_index, std::size_t component_index) const {
  if (element_index >= elements.size()) {
    return std::unexpected(error::EdifactError::missing_element(element_index, std::string(tag())));
  }
  const ComponentList& components = elements[element_index].components;
  if (component_index < components.size() && !components[component_index].text.empty()) {
    return components[component_index].text;
  }
  return std::unexpected(
      error::EdifactError::missing_component(component_index, element_index, std::string(tag())));
}

Segment Segment::offset(std::size_t delta) && {
  span = shifted(span, delta);
  tag_span = shifted(tag_span, delta);
  for (Element& element : elements) {
    element.span = shifted(element.span, delta);
    for_each_component(element, [&](Component& c) { c.span = shifted(c.span, delta); });
  }
  return std::move(*this);
}

Segment Segment::into_owned() && {
  for (Element& element : elements) element = std::move(element).into_owned();
  return std::move(*this);
}

}  // namespace edifact::model

#include "edifact/model/segment.hpp"

#include <algorithm>
#include <utility>
#include <vector>

#include "edifact/error.hpp"
#include "edifact/model/segment_block.hpp"
#include "edifact/model/segment_builder.hpp"

namespace edifact::model {
namespace {

// Parses keep hundreds of thousands of segments in one list.
static_assert(sizeof(Segment) <= 80);

// Visits the component lists of an element: its first repetition, then the later ones.
template <class Visit>
void for_each_list(const Element& element, Visit visit) {
  visit(element.components);
  for (ComponentList repetition : element.repetitions) visit(repetition);
}

// A copy of `segment` in a block of its own, with spans shifted by `delta`. Texts of the old
// block are copied; borrowed ones are copied only when `copy_borrowed` says so.
Segment rebuilt(const Segment& segment, bool copy_borrowed, std::size_t delta) {
  const auto copied = [&](std::string_view text) {
    return copy_borrowed || BlockWriter::owns(segment, text);
  };
  BlockShape shape{segment.elements.size(), 0, 0, copied(segment.tag()) ? segment.tag().size() : 0};
  for (const Element& element : segment.elements) {
    shape.repetitions += element.repetitions.size();
    for_each_list(element, [&](ComponentList list) {
      shape.components += list.size();
      for (const Component& component : list) {
        if (copied(component.text)) shape.text_bytes = checked_sum(shape.text_bytes, component.text.size());
      }
    });
  }

  std::vector<Component> components;
  components.reserve(shape.components);
  for (const Element& element : segment.elements) {
    for_each_list(element, [&](ComponentList list) { components.insert(components.end(), list.begin(), list.end()); });
  }
  BlockWriter block(shape);
  const std::string_view tag = copied(segment.tag()) ? block.copy_text(segment.tag()) : segment.tag();
  const std::span<Component> stored = block.store_components(components);
  for (Component& component : stored) {
    if (copied(component.text)) component.text = block.copy_text(component.text);
    component.span = shifted(component.span, delta);
  }

  // The records keep the old order, so each list is the next run of the stored components.
  std::size_t position = 0;
  for (const Element& element : segment.elements) {
    position += element.components.size();
    for (ComponentList repetition : element.repetitions) {
      block.store_repetition(ComponentList(stored).subspan(position, repetition.size()));
      position += repetition.size();
    }
  }
  const std::span<const ComponentList> repetitions = block.repetitions();
  position = 0;
  std::size_t repetition_position = 0;
  for (const Element& element : segment.elements) {
    block.store_element({ComponentList(stored).subspan(position, element.components.size()),
                         repetitions.subspan(repetition_position, element.repetitions.size()),
                         shifted(element.span, delta)});
    for_each_list(element, [&](ComponentList list) { position += list.size(); });
    repetition_position += element.repetitions.size();
  }
  return std::move(block).finish(tag, shifted(segment.span, delta), shifted(segment.tag_span, delta));
}

}  // namespace

bool operator==(const Element& a, const Element& b) {
  return a.span == b.span && std::ranges::equal(a.components, b.components) &&
         std::ranges::equal(a.repetitions, b.repetitions,
                            [](ComponentList x, ComponentList y) { return std::ranges::equal(x, y); });
}

bool operator==(const Segment& a, const Segment& b) {
  return a.tag_ == b.tag_ && a.span == b.span && a.tag_span == b.tag_span &&
         std::ranges::equal(a.elements, b.elements);
}

Segment Segment::from_texts(std::string_view tag,
                            std::initializer_list<std::initializer_list<std::string_view>> elements) {
  SegmentBuilder builder(tag);
  for (const auto& texts : elements) {
    builder.element();
    for (std::string_view text : texts) builder.component(text);
  }
  return builder.build_owned();
}

std::expected<std::string_view, error::EdifactError> Segment::required_component(
    std::size_t element_index, std::size_t component_index) const {
  if (element_index >= elements.size()) {
    return std::unexpected(error::EdifactError::missing_element(element_index, std::string(tag())));
  }
  const ComponentList components = elements[element_index].components;
  if (component_index < components.size() && !components[component_index].text.empty()) {
    return components[component_index].text;
  }
  return std::unexpected(
      error::EdifactError::missing_component(component_index, element_index, std::string(tag())));
}

Segment Segment::offset(std::size_t delta) && {
  if (delta == 0) return std::move(*this);
  const std::string_view element_bytes(reinterpret_cast<const char*>(elements.data()), elements.size_bytes());
  const bool records_in_block = elements.empty() || BlockWriter::owns(*this, element_bytes);
  if (!records_in_block || block_.use_count() > 1) return rebuilt(*this, false, delta);
  // No copy shares the block, so no one else sees its records change; they were created
  // writable, the block's constness only keeps copies from changing them.
  span = shifted(span, delta);
  tag_span = shifted(tag_span, delta);
  for (const Element& element : elements) {
    const_cast<Element&>(element).span = shifted(element.span, delta);
    for_each_list(element, [&](ComponentList list) {
      for (const Component& component : list) {
        const_cast<Component&>(component).span = shifted(component.span, delta);
      }
    });
  }
  return std::move(*this);
}

Segment Segment::into_owned() && {
  bool borrows = !tag_.empty() && !BlockWriter::owns(*this, tag_);
  for (const Element& element : elements) {
    for_each_list(element, [&](ComponentList list) {
      for (const Component& component : list) {
        borrows = borrows || (!component.text.empty() && !BlockWriter::owns(*this, component.text));
      }
    });
  }
  // The block is immutable, so sharing it already gives the owned segment.
  if (!borrows) return std::move(*this);
  return rebuilt(*this, true, 0);
}

}  // namespace edifact::model

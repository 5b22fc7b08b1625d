#include "edifact/model/segment_builder.hpp"

#include <fmt/format.h>

#include "edifact/model/segment_block.hpp"
#include "support/internal_fault.hpp"

namespace edifact::model {

void SegmentBuilder::reset(std::string_view tag, Span span, Span tag_span) {
  tag_ = tag;
  span_ = span;
  tag_span_ = tag_span;
  elements_.clear();
  components_.clear();
  repetition_starts_.clear();
  owned_texts_.clear();
  owned_.clear();
}

void SegmentBuilder::no_open_element(const char* operation) {
  throw support::InternalFault(fmt::format("a segment builder got {} before any element", operation));
}

SegmentBuilder& SegmentBuilder::component_owned(std::string_view text, Span span) {
  open_element("a component");
  owned_.push_back({components_.size(), owned_texts_.size(), text.size()});
  owned_texts_.append(text);
  components_.push_back({{}, span});
  return *this;
}

void SegmentBuilder::shift_spans(std::size_t delta) {
  span_ = shifted(span_, delta);
  tag_span_ = shifted(tag_span_, delta);
  for (PendingElement& element : elements_) element.span = shifted(element.span, delta);
  for (Component& component : components_) component.span = shifted(component.span, delta);
}

Segment SegmentBuilder::assemble(bool copy_all, BlockArena* arena) const {
  BlockShape shape{elements_.size(), repetition_starts_.size(), components_.size(), owned_texts_.size()};
  if (copy_all) {
    shape.text_bytes = checked_sum(shape.text_bytes, tag_.size());
    for (const Component& component : components_) {
      shape.text_bytes = checked_sum(shape.text_bytes, component.text.size());
    }
  }
  BlockWriter block(shape, arena);
  const std::string_view tag = copy_all ? block.copy_text(tag_) : tag_;

  const std::span<Component> components = block.store_components(components_);
  if (copy_all) {
    for (Component& component : components) component.text = block.copy_text(component.text);
  }
  const std::string_view owned_texts = block.copy_text(owned_texts_);
  for (const OwnedText& owned : owned_) {
    components[owned.component].text = owned_texts.substr(owned.offset, owned.length);
  }

  // Each element's components run up to the next element's first one; its later repetitions
  // split them at their starts.
  const auto components_end = [&](std::size_t element) {
    return element + 1 < elements_.size() ? elements_[element + 1].first_component : components_.size();
  };
  const auto repetitions_end = [&](std::size_t element) {
    return element + 1 < elements_.size() ? elements_[element + 1].first_repetition
                                          : repetition_starts_.size();
  };
  const ComponentList all_components = components;
  for (std::size_t e = 0; e < elements_.size(); ++e) {
    const std::size_t last = repetitions_end(e);
    for (std::size_t r = elements_[e].first_repetition; r < last; ++r) {
      const std::size_t end = r + 1 < last ? repetition_starts_[r + 1] : components_end(e);
      block.store_repetition(all_components.subspan(repetition_starts_[r], end - repetition_starts_[r]));
    }
  }
  const std::span<const ComponentList> repetitions = block.repetitions();
  for (std::size_t e = 0; e < elements_.size(); ++e) {
    const PendingElement& pending = elements_[e];
    const std::size_t first = pending.first_repetition;
    const std::size_t last = repetitions_end(e);
    const std::size_t first_end = first < last ? repetition_starts_[first] : components_end(e);
    block.store_element({all_components.subspan(pending.first_component, first_end - pending.first_component),
                         repetitions.subspan(first, last - first), pending.span});
  }
  return std::move(block).finish(tag, span_, tag_span_);
}

}  // namespace edifact::model

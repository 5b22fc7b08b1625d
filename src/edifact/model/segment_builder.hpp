// Builds segments of owned texts: message builders, generators and tests go through it. A
// builder can start from an existing segment, so that one element can be replaced or
// components appended without writing the whole segment again.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "edifact/model/owned_element.hpp"
#include "edifact/model/segment.hpp"

namespace edifact::model {

class SegmentBuilder {
 public:
  explicit SegmentBuilder(std::string_view tag = {}, Span span = {}, Span tag_span = {})
      : tag_(tag), span_(span), tag_span_(tag_span) {}
  // Seeded with the tag, spans and elements of `segment`.
  explicit SegmentBuilder(const Segment& segment);

  // Opens a new element; the components that follow belong to it.
  SegmentBuilder& element(Span span = {});
  // Appends a whole element.
  SegmentBuilder& element(OwnedElement element);
  // Opens a further repetition of the open element.
  SegmentBuilder& repetition();
  // A component of the open repetition.
  SegmentBuilder& component(std::string_view text, Span span = {});
  // Replaces element `index`, appending empty elements up to it when there are fewer.
  SegmentBuilder& replace_element(std::size_t index, OwnedElement element);

  std::size_t element_count() const { return elements_.size(); }

  // A segment in a document of its own; the builder can build again.
  Segment build() const;

 private:
  OwnedElement& open_element(const char* operation);

  std::string tag_;
  Span span_;
  Span tag_span_;
  std::vector<OwnedElement> elements_;
};

}  // namespace edifact::model

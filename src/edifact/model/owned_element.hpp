// An element whose texts it owns: what `Element::into_owned` returns, what a generator fills,
// and what `Segment::with_element` and `SegmentBuilder` put into a segment.
#pragma once

#include <cstddef>
#include <initializer_list>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "edifact/model/segment.hpp"

namespace edifact::model {

struct OwnedComponent {
  std::string text;
  Span span;

  friend bool operator==(const OwnedComponent&, const OwnedComponent&) = default;
};

class OwnedElement {
 public:
  // An element without components, written as an empty data element.
  OwnedElement() = default;
  // One repetition of these component texts, with empty spans.
  OwnedElement(std::initializer_list<std::string_view> texts);

  // Appends a component to the last repetition (the first one when there is none yet).
  OwnedElement& component(std::string_view text, Span span = {});
  // Starts a further repetition; the components that follow belong to it.
  OwnedElement& repetition();

  // Every repetition, the first included; empty for an element without components.
  std::span<const std::vector<OwnedComponent>> lists() const { return lists_; }
  Span span;

  friend bool operator==(const OwnedElement&, const OwnedElement&) = default;

 private:
  std::vector<std::vector<OwnedComponent>> lists_;
};

}  // namespace edifact::model

// The parsed form of EDIFACT: segments, data elements and components, each with the byte range
// it came from. Text is borrowed from the input buffer where no release character had to be
// removed; `into_owned` detaches a segment from its buffer.
#pragma once

#include <cstddef>
#include <expected>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace edifact::error {
struct EdifactError;
}

namespace edifact::model {

// Byte offsets into the whole input handed to a parse (byte-order mark, whitespace and UNA
// included); `end` is just past the last byte.
struct Span {
  std::size_t start = 0;
  std::size_t end = 0;

  std::size_t length() const { return end - start; }
  friend bool operator==(const Span&, const Span&) = default;
};

// One value: its text (unescaped) and the raw bytes it came from, release characters included.
struct Component {
  std::string_view text;
  Span span;

  friend bool operator==(const Component& a, const Component& b) {
    return a.text == b.text && a.span == b.span;
  }
};

using ComponentList = std::vector<Component>;

struct Element {
  ComponentList components;                // the first (or only) repetition
  std::vector<ComponentList> repetitions;  // the second and later repetitions
  Span span;
  // Texts this element owns; components point into it or into the input buffer. Shared and
  // immutable, so copies of the element keep valid views.
  std::shared_ptr<const std::string> storage;

  // An element of owned texts, as builders make them; spans are empty.
  static Element from_texts(const std::vector<std::string_view>& texts);

  Element into_owned() &&;

  friend bool operator==(const Element& a, const Element& b) {
    return a.components == b.components && a.repetitions == b.repetitions && a.span == b.span;
  }
};

class Segment {
 public:
  Segment() = default;
  // The tag is kept as given; parser and writer refuse tags that are not three capitals.
  Segment(std::string_view tag, std::vector<Element> elements, Span span = {}, Span tag_span = {});

  std::string_view tag() const { return tag_; }

  std::vector<Element> elements;
  Span span;      // from the tag's first byte to just past the terminator
  Span tag_span;  // the three tag bytes

  // The text of a component of the first repetition that must be present and non-empty.
  std::expected<std::string_view, error::EdifactError> required_component(
      std::size_t element_index, std::size_t component_index) const;

  // Shifts every span by `delta`, saturating at the largest offset.
  Segment offset(std::size_t delta) &&;

  Segment into_owned() &&;

  friend bool operator==(const Segment& a, const Segment& b) {
    return a.tag_ == b.tag_ && a.elements == b.elements && a.span == b.span &&
           a.tag_span == b.tag_span;
  }

 private:
  std::string tag_;  // three bytes fit the small-string buffer: no allocation
};

}  // namespace edifact::model

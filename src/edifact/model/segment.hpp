// The parsed form of EDIFACT: segments, data elements and components, each with the byte range
// it came from.
//
// A `Segment` is a small handle on the document its parse produced (see document.hpp); copying
// it shares the document. Elements and components are views returned by value, valid while a
// segment of their document lives. Texts are borrowed from the parsed input, except values that
// held release characters, which the document keeps unescaped. `into_owned` detaches a segment
// from the input. Build and rewrite segments with `SegmentBuilder`, `OwnedElement` and
// `Segment::with_element`.
//
//   for (Element element : segment.elements())
//     for (Component component : element.components()) use(component.text, component.span);
//
// A temporary segment may hold the last reference to its document, which goes with it at the
// end of the full expression: views of it (`tag`, `elements`, `required_component`, `verbatim`)
// do not compile on an rvalue. Name the segment first:
//
//   for (Element e : segment.with_element(1, element).elements())  // does not compile
//   const Segment rewritten = segment.with_element(1, element);
//   for (Element e : rewritten.elements())                          // valid while `rewritten` lives
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <expected>
#include <initializer_list>
#include <iterator>
#include <optional>
#include <span>
#include <string_view>
#include <utility>

#include "edifact/model/document.hpp"

namespace edifact::error {
struct EdifactError;
}

namespace edifact::model {

class OwnedElement;

// One value: its text (unescaped) and the raw bytes it came from, release characters included.
struct Component {
  std::string_view text;
  Span span;

  friend bool operator==(const Component&, const Component&) = default;
};

// Random access over `Owner::size()` items of `Owner::operator[]`, for range-for and algorithms.
template <class Owner, class Item>
class IndexIterator {
 public:
  using value_type = Item;
  using difference_type = std::ptrdiff_t;
  IndexIterator() = default;
  IndexIterator(const Owner* owner, std::size_t index) : owner_(owner), index_(index) {}
  Item operator*() const { return (*owner_)[index_]; }
  IndexIterator& operator++() { ++index_; return *this; }
  IndexIterator operator++(int) { IndexIterator was = *this; ++index_; return was; }
  friend bool operator==(const IndexIterator& a, const IndexIterator& b) { return a.index_ == b.index_; }

 private:
  const Owner* owner_ = nullptr;
  std::size_t index_ = 0;
};

// The components of one repetition of an element.
class ComponentList {
 public:
  ComponentList() = default;
  std::size_t size() const { return count_; }
  bool empty() const { return count_ == 0; }
  // `index` < `size()`.
  Component operator[](std::size_t index) const;
  // The text alone, for readers that need no span.
  std::string_view text(std::size_t index) const {
    return document_->text(static_cast<std::uint32_t>(opening_cut_ + 1 + index));
  }
  Component front() const { return (*this)[0]; }
  IndexIterator<ComponentList, Component> begin() const { return {this, 0}; }
  IndexIterator<ComponentList, Component> end() const { return {this, count_}; }

  friend bool operator==(const ComponentList& a, const ComponentList& b);

 private:
  friend class Element;
  friend class RepetitionList;
  friend class RepetitionIterator;
  ComponentList(const Document* document, std::uint32_t opening_cut, std::uint32_t count)
      : document_(document), opening_cut_(opening_cut), count_(count) {}

  const Document* document_ = nullptr;
  std::uint32_t opening_cut_ = 0;  // value k is closed by cut opening_cut_ + 1 + k
  std::uint32_t count_ = 0;
};

// Walks the repetitions of an element once: each is found from the end of the one before.
class RepetitionIterator {
 public:
  using value_type = ComponentList;
  using difference_type = std::ptrdiff_t;
  RepetitionIterator() = default;
  ComponentList operator*() const;
  RepetitionIterator& operator++() { opening_ = closing(); return *this; }
  RepetitionIterator operator++(int) { RepetitionIterator was = *this; ++*this; return was; }
  friend bool operator==(const RepetitionIterator& a, const RepetitionIterator& b) { return a.opening_ == b.opening_; }

 private:
  friend class RepetitionList;
  RepetitionIterator(const Document* document, std::uint32_t opening, std::uint32_t end_cut)
      : document_(document), opening_(opening), end_cut_(end_cut) {}
  std::uint32_t closing() const;  // the cut after the last value of this repetition

  const Document* document_ = nullptr;
  std::uint32_t opening_ = 0;  // the separator opening this repetition
  std::uint32_t end_cut_ = 0;  // the cut closing the element's last value
};

// The second and later repetitions of an element.
class RepetitionList {
 public:
  RepetitionList() = default;
  std::size_t size() const { return count_; }
  bool empty() const { return count_ == 0; }
  // `index` < `size()`; walks the element's cuts.
  ComponentList operator[](std::size_t index) const;
  RepetitionIterator begin() const { return {document_, first_cut_, end_cut_}; }
  RepetitionIterator end() const { return {document_, end_cut_, end_cut_}; }

 private:
  friend class Element;
  RepetitionList(const Document* document, std::uint32_t first_cut, std::uint32_t end_cut,
                 std::uint32_t count)
      : document_(document), first_cut_(first_cut), end_cut_(end_cut), count_(count) {}

  const Document* document_ = nullptr;
  std::uint32_t first_cut_ = 0;  // the separator opening the second repetition
  std::uint32_t end_cut_ = 0;    // the cut closing the element's last value
  std::uint32_t count_ = 0;
};

class Element {
 public:
  Element() = default;
  ComponentList components() const {  // the first (or only) repetition
    if (document_ == nullptr) return {};
    const std::uint32_t opening = document_->element_entry(index_);
    if ((opening & Document::NO_COMPONENTS) != 0) return {};
    return ComponentList(document_, opening, first_repetition_cut() - opening);
  }
  RepetitionList repetitions() const {  // the second and later repetitions
    if (document_ == nullptr || !document_->has_repetitions) return {};
    return find_repetitions();
  }
  Span span() const;
  // The same components, repetitions and spans with every text copied.
  OwnedElement into_owned() const;

  // By content: texts, spans and structure.
  friend bool operator==(const Element& a, const Element& b);

 private:
  friend class ElementList;
  Element(const Document* document, std::uint32_t index, std::uint32_t end_cut)
      : document_(document), index_(index), end_cut_(end_cut) {}
  std::uint32_t opening_cut() const { return document_->element_opening(index_); }
  // The cut opening the second repetition, or `end_cut_` when there is none.
  std::uint32_t first_repetition_cut() const {
    return document_->has_repetitions ? find_repetition_cut() : end_cut_;
  }
  std::uint32_t find_repetition_cut() const;
  RepetitionList find_repetitions() const;

  const Document* document_ = nullptr;
  std::uint32_t index_ = 0;    // in the document's elements
  std::uint32_t end_cut_ = 0;  // the cut closing the element's last value
};

class ElementList {
 public:
  ElementList() = default;
  std::size_t size() const { return count_; }
  bool empty() const { return count_ == 0; }
  // `index` < `size()`.
  Element operator[](std::size_t index) const {
    const auto element = static_cast<std::uint32_t>(first_ + index);
    const std::uint32_t end_cut =
        index + 1 < count_ ? document_->element_opening(element + 1) : terminator_;
    return Element(document_, element, end_cut);
  }
  Element front() const { return (*this)[0]; }
  Element back() const { return (*this)[count_ - 1]; }
  IndexIterator<ElementList, Element> begin() const { return {this, 0}; }
  IndexIterator<ElementList, Element> end() const { return {this, count_}; }

 private:
  friend class Segment;
  ElementList(const Document* document, std::uint32_t first, std::uint32_t count, std::uint32_t terminator)
      : document_(document), first_(first), count_(count), terminator_(terminator) {}

  const Document* document_ = nullptr;
  std::uint32_t first_ = 0;
  std::uint32_t count_ = 0;
  std::uint32_t terminator_ = 0;  // the segment's last cut
};

// How a writer spells the delimiters, for `Segment::verbatim`.
struct WrittenDelimiters {
  char element;
  char component;
  std::optional<char> repetition;
  char terminator;
  const std::array<bool, 256>* special;  // the delimiters above, the release character and `also`
  char release = 0;                      // zero when not given
  char also = 0;                         // a byte released though it delimits nothing; zero when none
};

class Segment {
 public:
  Segment() = default;
  // A copy always holds a reference of its own, also when made from a borrowed handle.
  Segment(const Segment& other) : document_(other.document_), index_(other.index_) {
    if (document_ != nullptr) document_->retain();
  }
  Segment(Segment&& other) noexcept
      : document_(std::exchange(other.document_, nullptr)), index_(std::exchange(other.index_, 0)) {
    if (std::exchange(other.borrowed_, false) && document_ != nullptr) document_->retain();
  }
  Segment& operator=(Segment other) noexcept {
    std::swap(document_, other.document_);
    std::swap(index_, other.index_);
    std::swap(borrowed_, other.borrowed_);
    return *this;
  }
  ~Segment() {
    if (document_ != nullptr && !borrowed_) document_->release();
  }

  // For parsers and builders: takes one reference to `document`, which holds segment `index`.
  Segment(const Document* document, std::uint32_t index) : document_(document), index_(index) {
    document_->retain();
  }

  // A segment of owned texts with empty spans, as message builders make them: one list of
  // component texts per element (an empty list is an element without components).
  static Segment from_texts(std::string_view tag,
                            std::initializer_list<std::initializer_list<std::string_view>> elements);

  // The tag is kept as given; parser and writer refuse tags that are not three capitals.
  std::string_view tag() const& {
    if (document_ == nullptr) return {};
    const std::uint32_t tag_end = document_->cut(entry().first_cut);
    if (document_->built()) {
      const std::size_t start = document_->built_start(index_);
      return document_->bytes.substr(start, tag_end - start);
    }
    return document_->bytes.substr(tag_end - 3, 3);
  }
  std::string_view tag() const&& = delete;  // see the top of this file
  ElementList elements() const& {
    if (document_ == nullptr) return {};
    return ElementList(document_, entry().first_element, next_entry().first_element - entry().first_element,
                       next_entry().first_cut - 1);
  }
  ElementList elements() const&& = delete;
  // At least the bytes the tag, separators and texts take when each text byte is written
  // with a release character in front: what a writer reserves.
  std::size_t size_bound() const {
    if (document_ == nullptr) return 1;
    const std::uint32_t first = document_->cut(entry().first_cut);
    const std::size_t tag_size = document_->built() ? first - document_->built_start(index_) : 3;  // as `tag` has it
    return tag_size + 2 * std::size_t{document_->cut(next_entry().first_cut - 1) - first} + 1;
  }
  // The parsed bytes from the tag through the terminator, when writing the segment with
  // `delimiters` gives exactly them; nothing otherwise, and always for built segments.
  std::optional<std::string_view> verbatim(const WrittenDelimiters& delimiters) const&;
  std::optional<std::string_view> verbatim(const WrittenDelimiters& delimiters) const&& = delete;
  Span span() const;      // from the tag's first byte to just past the terminator
  Span tag_span() const;  // the three tag bytes

  // The text of a component of the first repetition that must be present and non-empty.
  std::expected<std::string_view, error::EdifactError> required_component(
      std::size_t element_index, std::size_t component_index) const&;
  std::expected<std::string_view, error::EdifactError> required_component(
      std::size_t element_index, std::size_t component_index) const&& = delete;

  // The text of component `component` of the first repetition of element `element`; nothing
  // where the segment has none there. For the readers that ask one value at a time: a segment
  // of the common form is read straight from its document's arrays.
  std::optional<std::string_view> component_text(std::size_t element, std::size_t component) const& {
    if (document_ == nullptr) return std::nullopt;
    const Document& document = *document_;
    const std::uint32_t* const openings = document.elements.data();
    if (openings == nullptr || document.has_repetitions) [[unlikely]] return component_text_by_views(element, component);
    const std::uint32_t first = entry().first_element;
    const std::uint32_t count = next_entry().first_element - first;
    if (element >= count) return std::nullopt;
    const std::uint32_t opening = openings[first + element];
    if ((opening & Document::NO_COMPONENTS) != 0) return std::nullopt;
    const std::uint32_t end =
        element + 1 < count ? openings[first + element + 1] & ~Document::NO_COMPONENTS : next_entry().first_cut - 1;
    if (component >= end - opening) return std::nullopt;
    return document.text(static_cast<std::uint32_t>(opening + 1 + component));
  }
  std::optional<std::string_view> component_text(std::size_t element, std::size_t component) const&& = delete;

  // Whether an element of the segment can hold repetitions: false for segments read without a
  // repetition separator, so readers can skip looking.
  bool may_repeat() const { return document_ != nullptr && document_->has_repetitions; }

  // This segment with element `index` replaced (past the end: appended after empty elements);
  // the other elements keep their texts and spans. The result is a built segment.
  Segment with_element(std::size_t index, const OwnedElement& element) const;

  // Shifts every span by `delta`, saturating at the largest offset.
  Segment offset(std::size_t delta) &&;

  // The segment with no tie to the parsed input: moved to a document of its own that holds its
  // bytes, unless its document already holds them (built and streamed segments).
  Segment into_owned() &&;

  // The segment in a document of its own whose spans count characters, not bytes, from
  // `start`: for text decoded from a repertoire of one byte per character, so that spans
  // count the raw input's bytes.
  Segment counted_in_characters(std::size_t start) &&;

  // By content: tag, spans, and the elements.
  friend bool operator==(const Segment& a, const Segment& b);

 private:
  friend class SegmentCursor;
  friend class SegmentRange;
  friend void compact_built(std::span<Segment> segments);
  // Takes over a reference the caller already holds, for a parse that took them all at once.
  static Segment adopting(const Document* document, std::uint32_t index) { return Segment(document, index, false); }
  // Holds no reference: lent out only as `const Segment&` while something else keeps `document`.
  static Segment borrowing(const Document* document, std::uint32_t index) { return Segment(document, index, true); }
  Segment(const Document* document, std::uint32_t index, bool borrowed)
      : document_(document), index_(index), borrowed_(borrowed) {}
  std::optional<std::string_view> component_text_by_views(std::size_t element, std::size_t component) const;
  const SegmentEntry& entry() const { return document_->segments[index_]; }
  const SegmentEntry& next_entry() const { return document_->segments[index_ + 1]; }

  const Document* document_ = nullptr;  // null for the empty segment
  std::uint32_t index_ = 0;
  bool borrowed_ = false;  // holds no reference of its own
};

}  // namespace edifact::model

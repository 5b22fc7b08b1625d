// The parsed form of EDIFACT: segments, data elements and components, each with the byte range
// it came from. A segment keeps its element and component records, and every text it had to
// copy, in one shared immutable block (a parse carves the blocks from shared chunks); other
// texts are borrowed from the input buffer, and `into_owned` detaches a segment from that
// buffer. Build segments with `SegmentBuilder`.
#pragma once

#include <cstddef>
#include <expected>
#include <initializer_list>
#include <memory>
#include <span>
#include <string_view>
#include <utility>

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

using ComponentList = std::span<const Component>;

// Views into the block of the segment it belongs to: valid while that segment, or a copy of it,
// lives.
struct Element {
  ComponentList components;                  // the first (or only) repetition
  std::span<const ComponentList> repetitions;  // the second and later repetitions
  Span span;

  // By content: texts, spans and structure.
  friend bool operator==(const Element& a, const Element& b);
};

class BlockWriter;

// The allocation unit of a segment's block, aligned for every record kind the block holds.
struct alignas(alignof(std::size_t)) BlockUnit {
  std::byte bytes[alignof(std::size_t)];
};

class Segment {
 public:
  Segment() = default;
  Segment(const Segment&) = default;
  Segment& operator=(const Segment&) = default;
  // A moved-from segment is left empty instead of viewing a block it no longer keeps alive.
  // Inline, as a parse moves every segment several times.
  Segment(Segment&& other) noexcept
      : elements(std::exchange(other.elements, {})),
        span(std::exchange(other.span, {})),
        tag_span(std::exchange(other.tag_span, {})),
        tag_(std::exchange(other.tag_, {})),
        block_(std::move(other.block_)) {}
  Segment& operator=(Segment&& other) noexcept {
    elements = std::exchange(other.elements, {});
    span = std::exchange(other.span, {});
    tag_span = std::exchange(other.tag_span, {});
    tag_ = std::exchange(other.tag_, {});
    block_ = std::move(other.block_);
    return *this;
  }
  ~Segment() = default;

  // A segment of owned texts with empty spans, as message builders make them: one list of
  // component texts per element.
  static Segment from_texts(std::string_view tag,
                            std::initializer_list<std::initializer_list<std::string_view>> elements);

  // The tag is kept as given; parser and writer refuse tags that are not three capitals.
  std::string_view tag() const { return tag_; }

  std::span<const Element> elements;
  Span span;      // from the tag's first byte to just past the terminator
  Span tag_span;  // the three tag bytes

  // The text of a component of the first repetition that must be present and non-empty.
  std::expected<std::string_view, error::EdifactError> required_component(
      std::size_t element_index, std::size_t component_index) const;

  // Shifts every span by `delta`, saturating at the largest offset. Rewrites the block in place
  // when nothing else shares it (no copy, no other segment of its chunk), else makes a new one.
  Segment offset(std::size_t delta) &&;

  // Copies every borrowed text, and a borrowed tag, into a new block.
  Segment into_owned() &&;

  friend bool operator==(const Segment& a, const Segment& b);

 private:
  friend class BlockWriter;

  // Points at the segment's block; when the block lies in a chunk, it owns the whole chunk.
  using Block = std::shared_ptr<const BlockUnit[]>;

  Segment(std::string_view tag, std::span<const Element> elements, Span span, Span tag_span,
          Block block)
      : elements(elements), span(span), tag_span(tag_span), tag_(tag), block_(std::move(block)) {}

  std::string_view tag_;
  Block block_;  // null when the segment has no elements and no copied tag
};

}  // namespace edifact::model

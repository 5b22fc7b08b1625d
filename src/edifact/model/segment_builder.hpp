// Builds segments: the parser, the segment stream, message builders and tests all go through
// it. Records are gathered in scratch lists that keep their capacity across `reset`, so a
// builder reused from segment to segment allocates only each segment's one block, and nothing
// when the blocks come from an arena.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "edifact/model/segment.hpp"
#include "edifact/model/block_arena.hpp"

namespace edifact::model {

class SegmentBuilder {
 public:
  // `tag` and the texts given to `component` are borrowed until `build`, and by the segment
  // that `build` returns.
  explicit SegmentBuilder(std::string_view tag = {}, Span span = {}, Span tag_span = {})
      : tag_(tag), span_(span), tag_span_(tag_span) {}

  // Starts another segment.
  void reset(std::string_view tag, Span span = {}, Span tag_span = {});
  // For a caller that learns where the segment ends only at its terminator.
  void set_span(Span span) { span_ = span; }

  // Opens a new element; the components that follow belong to it.
  SegmentBuilder& element(Span span = {}) {
    elements_.push_back({span, components_.size(), repetition_starts_.size()});
    return *this;
  }
  // For a caller that learns where the open element ends only after its last value.
  void set_element_end(std::size_t end) { open_element("an element end").span.end = end; }
  // Opens a further repetition of the open element.
  SegmentBuilder& repetition() {
    open_element("a repetition");
    repetition_starts_.push_back(components_.size());
    return *this;
  }
  // A component of the open repetition whose text the segment borrows.
  SegmentBuilder& component(std::string_view text, Span span = {}) {
    open_element("a component");
    components_.push_back({text, span});
    return *this;
  }
  // A component whose text the segment copies, such as one with release characters removed.
  SegmentBuilder& component_owned(std::string_view text, Span span = {});
  // Moves every span given so far by `delta`, saturating, for a caller that parsed a piece of a
  // larger input.
  void shift_spans(std::size_t delta);

  // Texts stay borrowed, except those given to `component_owned`. The block comes from `arena`
  // when one is given, else it is an allocation of its own.
  Segment build(BlockArena* arena = nullptr) const { return assemble(false, arena); }
  // Every text and the tag are copied into the segment.
  Segment build_owned(BlockArena* arena = nullptr) const { return assemble(true, arena); }

 private:
  struct PendingElement {
    Span span;
    std::size_t first_component;   // in `components_`
    std::size_t first_repetition;  // in `repetition_starts_`
  };
  // A component whose text lies in `owned_texts_`; its record's text stays empty until built.
  struct OwnedText {
    std::size_t component;
    std::size_t offset;
    std::size_t length;
  };

  // These run once per value of every parse, so only the fault is out of line.
  PendingElement& open_element(const char* operation) {
    if (elements_.empty()) no_open_element(operation);
    return elements_.back();
  }
  [[noreturn]] static void no_open_element(const char* operation);
  Segment assemble(bool copy_all, BlockArena* arena) const;

  std::string_view tag_;
  Span span_;
  Span tag_span_;
  std::vector<PendingElement> elements_;
  std::vector<Component> components_;
  std::vector<std::size_t> repetition_starts_;  // first component of each later repetition
  std::string owned_texts_;
  std::vector<OwnedText> owned_;
};

}  // namespace edifact::model

#include "edifact/model/segment_builder.hpp"

#include <fmt/format.h>

#include <span>

#include "support/internal_fault.hpp"

namespace edifact::model {
namespace {

constexpr char ELEMENT = '+';
constexpr char COMPONENT = ':';
constexpr char REPETITION = '*';
constexpr char TERMINATOR = '\'';

// Writes a built segment as tag, then each value behind the separator that opens it; the cuts
// say where values end, so texts may hold any byte.
class BuiltTape {
 public:
  explicit BuiltTape(std::string_view tag, Span span, Span tag_span, std::span<const OwnedElement> elements) {
    tape_.repetition_separator = REPETITION;
    // Sized exactly: a built segment may be kept for as long as its message.
    std::size_t bytes = tag.size() + 1;
    std::size_t cuts = 1;
    for (const OwnedElement& element : elements) {
      ++bytes;
      ++cuts;
      const auto lists = element.lists();
      for (std::size_t list = 0; list < lists.size(); ++list) {
        const std::size_t separators = (list > 0 ? 1 : 0) + (lists[list].empty() ? 0 : lists[list].size() - 1);
        cuts += separators;
        bytes += separators;
        for (const OwnedComponent& component : lists[list]) bytes += component.text.size();
      }
    }
    bytes_.reserve(bytes);
    tape_.cuts.reserve(cuts);
    tape_.elements.reserve(elements.size());
    bytes_.append(tag);
    BuiltSpans::put(spans_.segments, 0, span);
    BuiltSpans::put(spans_.tags, 0, tag_span);
  }

  void element(const OwnedElement& element) {
    const auto lists = element.lists();
    std::uint32_t opening = cut(ELEMENT, {});
    if (lists.empty()) opening |= Document::NO_COMPONENTS;
    BuiltSpans::put(spans_.elements, tape_.elements.size(), element.span);
    tape_.elements.push_back(opening);
    for (std::size_t list = 0; list < lists.size(); ++list) {
      if (list > 0) {
        cut(REPETITION, {});
        tape_.has_repetitions = true;
      }
      for (std::size_t index = 0; index < lists[list].size(); ++index) {
        if (index > 0) cut(COMPONENT, {});
        bytes_.append(lists[list][index].text);
        pending_ = lists[list][index].span;
      }
    }
  }

  Document* finish() && {
    cut(TERMINATOR, {});
    tape_.segments = {{0, 0}, {static_cast<std::uint32_t>(tape_.cuts.size()),
                               static_cast<std::uint32_t>(tape_.elements.size())}};
    if (bytes_.size() > Document::MOST_BYTES) {
      throw support::InternalFault("a built segment is larger than a document can hold");
    }
    tape_.hold(std::move(bytes_));
    tape_.spans = spans_.empty() ? BuiltSpans::none() : std::make_shared<const BuiltSpans>(std::move(spans_));
    return new Document(std::move(tape_));
  }

 private:
  // Closes the value written since the last cut, giving it the span last recorded.
  std::uint32_t cut(char separator, Span next) {
    const auto index = static_cast<std::uint32_t>(tape_.cuts.size());
    tape_.cuts.push_back(static_cast<std::uint32_t>(bytes_.size()));
    BuiltSpans::put(spans_.values, index, pending_);
    pending_ = next;
    bytes_.push_back(separator);
    return index;
  }

  Tape tape_;
  BuiltSpans spans_;
  std::string bytes_;
  Span pending_;  // the span of the value being written
};

}  // namespace

SegmentBuilder::SegmentBuilder(const Segment& segment)
    : tag_(segment.tag()), span_(segment.span()), tag_span_(segment.tag_span()) {
  for (const Element element : segment.elements()) elements_.push_back(element.into_owned());
}

OwnedElement& SegmentBuilder::open_element(const char* operation) {
  if (elements_.empty()) {
    throw support::InternalFault(fmt::format("a segment builder got {} before any element", operation));
  }
  return elements_.back();
}

SegmentBuilder& SegmentBuilder::element(Span span) {
  elements_.emplace_back().span = span;
  return *this;
}

SegmentBuilder& SegmentBuilder::element(OwnedElement element) {
  elements_.push_back(std::move(element));
  return *this;
}

SegmentBuilder& SegmentBuilder::repetition() {
  open_element("a repetition").repetition();
  return *this;
}

SegmentBuilder& SegmentBuilder::component(std::string_view text, Span span) {
  open_element("a component").component(text, span);
  return *this;
}

SegmentBuilder& SegmentBuilder::replace_element(std::size_t index, OwnedElement element) {
  if (index >= elements_.size()) elements_.resize(index + 1);
  elements_[index] = std::move(element);
  return *this;
}

Segment SegmentBuilder::build() const {
  BuiltTape tape(tag_, span_, tag_span_, elements_);
  for (const OwnedElement& element : elements_) tape.element(element);
  Document* document = std::move(tape).finish();
  Segment segment(document, 0);
  document->release();
  return segment;
}

}  // namespace edifact::model

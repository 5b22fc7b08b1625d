// The segments of one document in order, with no handle per segment kept anywhere: the range
// holds one reference on the document and makes handles as they are asked for.
#pragma once

#include <cstddef>
#include <cstdint>
#include <utility>

#include "edifact/model/document.hpp"
#include "edifact/model/segment.hpp"

namespace edifact::model {

class SegmentRange {
 public:
  SegmentRange() = default;
  // Takes over one reference the caller holds on `document`; the range is its segments from
  // `first` on.
  SegmentRange(const Document* document, std::size_t first) : document_(document), first_(first) {}
  SegmentRange(SegmentRange&& other) noexcept
      : document_(std::exchange(other.document_, nullptr)), first_(std::exchange(other.first_, 0)) {}
  SegmentRange& operator=(SegmentRange&& other) noexcept {
    if (this != &other) {
      drop();
      document_ = std::exchange(other.document_, nullptr);
      first_ = std::exchange(other.first_, 0);
    }
    return *this;
  }
  ~SegmentRange() { drop(); }

  std::size_t size() const { return document_ == nullptr ? 0 : document_->segment_count() - first_; }
  bool empty() const { return size() == 0; }
  // A handle of its own on segment `index` (< `size()`).
  Segment operator[](std::size_t index) const { return Segment(document_, at(index)); }
  IndexIterator<SegmentRange, Segment> begin() const { return {this, 0}; }
  IndexIterator<SegmentRange, Segment> end() const { return {this, size()}; }

  // Calls `visit(const Segment&)` on each segment in order without touching the document's
  // reference count; a segment the visitor copies holds its own reference.
  template <class Visit>
  void for_each(Visit&& visit) const {
    for (std::size_t index = 0; index < size(); ++index) {
      const Segment segment = Segment::borrowing(document_, at(index));
      visit(segment);
    }
  }

 private:
  std::uint32_t at(std::size_t index) const { return static_cast<std::uint32_t>(first_ + index); }
  void drop() {
    if (document_ != nullptr) document_->release();
    document_ = nullptr;
  }

  const Document* document_ = nullptr;
  std::size_t first_ = 0;
};

}  // namespace edifact::model

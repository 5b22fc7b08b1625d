// Hands out the segments of a fresh document in order. It takes one reference per segment up
// front, so a segment handed out costs no atomic operation; what was not handed out is given
// back at once.
#pragma once

#include <cstddef>
#include <cstdint>
#include <utility>

#include "edifact/model/document.hpp"
#include "edifact/model/segment.hpp"
#include "edifact/model/segment_range.hpp"

namespace edifact::model {

class SegmentCursor {
 public:
  SegmentCursor() = default;
  // Takes over the one reference the caller holds on `document`.
  explicit SegmentCursor(const Document* document) : document_(document) {
    document_->retain(static_cast<std::uint32_t>(document_->segment_count()));
  }
  SegmentCursor(SegmentCursor&& other) noexcept
      : document_(std::exchange(other.document_, nullptr)), next_(std::exchange(other.next_, 0)) {}
  SegmentCursor& operator=(SegmentCursor&& other) noexcept {
    if (this != &other) {
      drop();
      document_ = std::exchange(other.document_, nullptr);
      next_ = std::exchange(other.next_, 0);
    }
    return *this;
  }
  ~SegmentCursor() { drop(); }

  bool done() const { return document_ == nullptr || next_ >= document_->segment_count(); }
  // Call only when not `done`.
  Segment next() { return Segment::adopting(document_, static_cast<std::uint32_t>(next_++)); }
  // The segments not yet handed out, as a range; the cursor is done after it.
  SegmentRange rest() && {
    if (document_ == nullptr) return {};
    document_->release(static_cast<std::uint32_t>(document_->segment_count() - next_));
    return SegmentRange(std::exchange(document_, nullptr), std::exchange(next_, 0));
  }

 private:
  void drop() {
    if (document_ != nullptr) document_->release(static_cast<std::uint32_t>(document_->segment_count() - next_ + 1));
    document_ = nullptr;
  }

  const Document* document_ = nullptr;
  std::size_t next_ = 0;
};

}  // namespace edifact::model

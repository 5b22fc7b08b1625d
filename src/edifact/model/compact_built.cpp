#include "edifact/model/compact_built.hpp"

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace edifact::model {

namespace {

// The built segments taken into one document, in order.
class Compaction {
 public:
  explicit Compaction(bool repetitions) { tape_.has_repetitions = repetitions; }

  bool empty() const { return taken_.empty(); }
  // Whether segment `index` of `from` still fits in the document's addressable bytes.
  bool fits(const Tape& from, std::uint32_t index) const {
    return bytes_.size() + length(from, index) <= Document::MOST_BYTES;
  }

  void take(Segment& segment, const Tape& from, std::uint32_t index) {
    const SegmentEntry entry = from.segments[index];
    const SegmentEntry next = from.segments[index + 1];
    const std::size_t start = from.built_start(index);
    const auto moved_to = static_cast<std::uint32_t>(bytes_.size());
    const auto first_cut = static_cast<std::uint32_t>(tape_.cuts.size());
    const auto first_element = static_cast<std::uint32_t>(tape_.elements.size());
    tape_.segments.push_back({first_cut, first_element});
    bytes_.append(from.bytes.substr(start, length(from, index)));
    const BuiltSpans& spans = *from.spans;
    // Spans are kept as read, so that the document needs no base of its own.
    const auto read = [&](const std::vector<Span>& list, std::size_t k) {
      const Span span = BuiltSpans::at(list, k);
      return Span{from.offset_of(span.start), from.offset_of(span.end)};
    };
    for (std::uint32_t cut = entry.first_cut; cut < next.first_cut; ++cut) {
      BuiltSpans::put(spans_.values, tape_.cuts.size(), read(spans.values, cut));
      tape_.cuts.push_back(static_cast<std::uint32_t>(from.cut(cut) - start + moved_to));
    }
    for (std::uint32_t element = entry.first_element; element < next.first_element; ++element) {
      const std::uint32_t opening = from.element_entry(element);
      BuiltSpans::put(spans_.elements, tape_.elements.size(), read(spans.elements, element));
      tape_.elements.push_back((opening & Document::NO_COMPONENTS) |
                               ((opening & ~Document::NO_COMPONENTS) - entry.first_cut + first_cut));
    }
    BuiltSpans::put(spans_.segments, taken_.size(), read(spans.segments, index));
    BuiltSpans::put(spans_.tags, taken_.size(), read(spans.tags, index));
    taken_.push_back(&segment);
  }

  // Gives every segment taken its handle into the new document.
  void finish() && {
    if (taken_.empty()) return;
    tape_.segments.push_back({static_cast<std::uint32_t>(tape_.cuts.size()),
                              static_cast<std::uint32_t>(tape_.elements.size())});
    bytes_.shrink_to_fit();
    tape_.hold(std::move(bytes_));
    tape_.spans = spans_.empty() ? BuiltSpans::none() : std::make_shared<const BuiltSpans>(std::move(spans_));
    tape_.cuts.shrink_to_fit();
    tape_.elements.shrink_to_fit();
    tape_.segments.shrink_to_fit();
    const auto* document = new Document(std::move(tape_));
    for (std::size_t index = 0; index < taken_.size(); ++index) {
      *taken_[index] = Segment(document, static_cast<std::uint32_t>(index));
    }
    document->release();
  }

 private:
  // The bytes of a built segment, from its tag through its terminator.
  static std::size_t length(const Tape& from, std::uint32_t index) {
    return std::size_t{from.cut(from.segments[index + 1].first_cut - 1)} + 1 - from.built_start(index);
  }

  Tape tape_;
  BuiltSpans spans_;
  std::string bytes_;
  std::vector<Segment*> taken_;
};

}  // namespace

void compact_built(std::span<Segment> segments) {
  // Segments without repetitions keep a document that says so, which readers take a shorter
  // way through.
  for (const bool repetitions : {false, true}) {
    Compaction compaction(repetitions);
    for (Segment& segment : segments) {
      const Document* document = segment.document_;
      // A document of several is a compaction already.
      if (document == nullptr || !document->built() || document->segment_count() != 1 ||
          document->has_repetitions != repetitions) {
        continue;
      }
      if (!compaction.fits(*document, segment.index_)) {
        std::move(compaction).finish();
        compaction = Compaction(repetitions);
      }
      compaction.take(segment, *document, segment.index_);
    }
    std::move(compaction).finish();
  }
}

}  // namespace edifact::model

// Offsets in text decoded from a one-byte repertoire, mapped back to the raw input's bytes:
// each raw byte became one character, of one to three UTF-8 bytes, so only the characters
// longer than one byte need remembering.
#pragma once

#include <cstddef>
#include <string_view>
#include <utility>
#include <vector>

#include "edifact/error.hpp"
#include "edifact/model/segment.hpp"

namespace edi_energy::platform {

class RawOffsets {
 public:
  // Over `decoded`, the UTF-8 text the raw bytes were decoded to one character per byte.
  static RawOffsets over_decoded(std::string_view decoded);

  bool is_identity() const { return steps_.empty(); }
  std::size_t to_raw(std::size_t decoded_offset) const;
  edifact::model::Span to_raw(edifact::model::Span span) const {
    return {to_raw(span.start), to_raw(span.end)};
  }

  edifact::model::Segment to_raw(const edifact::model::Segment& segment) const;
  edifact::EdifactError to_raw(edifact::EdifactError error) const;

 private:
  // Decoded offset just past a multi-byte character, and the bytes gained up to there.
  std::vector<std::pair<std::size_t, std::size_t>> steps_;
};

}  // namespace edi_energy::platform

// Offsets in text decoded from a one-byte repertoire, mapped back to the raw input's bytes:
// each raw byte became one character, of one to four UTF-8 bytes. Only every 64th character's
// decoded offset is kept; the characters after it are counted in the decoded text, so the map
// stays a small fraction of the input however many characters grew.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "edifact/error.hpp"
#include "edifact/model/segment.hpp"

namespace edi_energy::platform {

class RawOffsets {
 public:
  // Over `decoded`, the UTF-8 text the raw bytes were decoded to one character per byte; the
  // text must outlive the map.
  static RawOffsets over_decoded(std::string_view decoded);

  bool is_identity() const { return checkpoints_.empty(); }
  // An offset inside a character maps to the character's own raw byte.
  std::size_t to_raw(std::size_t decoded_offset) const;
  edifact::model::Span to_raw(edifact::model::Span span) const {
    return {to_raw(span.start), to_raw(span.end)};
  }

  edifact::model::Segment to_raw(const edifact::model::Segment& segment) const;
  edifact::EdifactError to_raw(edifact::EdifactError error) const;

  static constexpr std::size_t STRIDE = 64;

 private:
  std::string_view decoded_;
  std::size_t characters_ = 0;
  // Decoded offset of every STRIDE-th character, the first included.
  std::vector<std::uint32_t> checkpoints_;
};

}  // namespace edi_energy::platform

// Offsets in text decoded from a one-byte repertoire, mapped back to the raw input's bytes:
// each raw byte became one character of one to three UTF-8 bytes. Only every 64th raw byte's
// decoded offset is kept; the bytes after it are counted again, so the map stays a small
// fraction of the input however many characters grew.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "edi_energy/platform/decoding_source.hpp"
#include "edifact/error.hpp"
#include "edifact/model/segment.hpp"

namespace edi_energy::platform {

class RawOffsets {
 public:
  // Over the raw bytes as `table` decodes them, the first `skipped` of them left out of the text
  // (a byte-order mark); both must outlive the map.
  static RawOffsets over_raw(std::string_view raw, const HighHalf& table, std::size_t skipped = 0);

  bool is_identity() const { return table_ == nullptr; }
  // Bytes of the decoded text.
  std::size_t decoded_size() const { return decoded_size_; }
  // An offset inside a character maps to the character's own raw byte.
  std::size_t to_raw(std::size_t decoded_offset) const;
  edifact::model::Span to_raw(edifact::model::Span span) const {
    return {to_raw(span.start), to_raw(span.end)};
  }

  // The segment with its spans counted in raw bytes, in a document of its own.
  edifact::model::Segment to_raw(edifact::model::Segment segment) const;
  edifact::EdifactError to_raw(edifact::EdifactError error) const;

  static constexpr std::size_t STRIDE = 64;

 private:
  std::string_view raw_;  // without the skipped bytes
  std::size_t skipped_ = 0;
  const HighHalf* table_ = nullptr;
  std::size_t decoded_size_ = 0;
  // Decoded offset of every STRIDE-th raw byte, the first included.
  std::vector<std::uint32_t> checkpoints_;
};

}  // namespace edi_energy::platform

// Raw bytes of a one-byte repertoire handed to the segment stream as UTF-8, a buffer at a time,
// so that no decoded copy of the whole input is ever held: a 10 MiB interchange of umlauts
// would otherwise cost twice its size before the first segment is read.
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "edifact/charset/charset.hpp"
#include "edifact/parse/segment_stream.hpp"

namespace edi_energy::platform {

// The UTF-8 text of each byte from 0x80 up, where the repertoire assigns one.
class HighHalf {
 public:
  // Null when the repertoire decodes without a table (ASCII and UTF-8 repertoires). Built once
  // per repertoire and kept for the process.
  static const HighHalf* of(edifact::charset::Charset charset);

  // Empty for an unassigned byte; `byte` must be 0x80 or above.
  std::string_view text(unsigned char byte) const { return texts_[byte - 0x80]; }
  // Bytes of UTF-8 that `byte` becomes (0 for an unassigned one).
  std::size_t length(unsigned char byte) const { return byte < 0x80 ? 1 : texts_[byte - 0x80].size(); }
  void set(unsigned char byte, std::string text) { texts_[byte - 0x80] = std::move(text); }

 private:
  std::array<std::string, 128> texts_;
};

class DecodingByteSource final : public edifact::parser::ByteSource {
 public:
  // `raw` must be free of unassigned bytes and outlive the source.
  DecodingByteSource(std::string_view raw, const HighHalf& table) : raw_(raw), table_(table) {}
  std::expected<std::size_t, edifact::parser::IoError> read(std::span<std::byte> buffer) override;

 private:
  std::string_view raw_;
  const HighHalf& table_;
  std::size_t position_ = 0;
  std::string_view pending_;  // the rest of a character split by the previous read
};

}  // namespace edi_energy::platform

#include "edi_energy/platform/decoding_source.hpp"

#include <algorithm>
#include <cstring>

namespace edi_energy::platform {

namespace {

std::optional<HighHalf> build(edifact::charset::Charset charset) {
  HighHalf table;
  bool converted = false;
  for (unsigned value = 0x80; value <= 0xFF; ++value) {
    const char byte = static_cast<char>(value);
    auto decoded = edifact::charset::decode(charset, std::string_view(&byte, 1));
    if (!decoded) continue;  // unassigned
    // A byte given back unchanged belongs to a repertoire that needs no table.
    if (decoded->is_borrowed()) return std::nullopt;
    converted = true;
    table.set(static_cast<unsigned char>(value), std::move(*decoded).into_string());
  }
  if (!converted) return std::nullopt;
  return table;
}

}  // namespace

const HighHalf* HighHalf::of(edifact::charset::Charset charset) {
  static const auto tables = [] {
    std::array<std::optional<HighHalf>, edifact::charset::all_charsets.size()> built;
    for (std::size_t k = 0; k < built.size(); ++k) built[k] = build(edifact::charset::all_charsets[k]);
    return built;
  }();
  const auto& table = tables[static_cast<std::size_t>(charset)];
  return table ? &*table : nullptr;
}

std::expected<std::size_t, edifact::parser::IoError> DecodingByteSource::read(std::span<std::byte> buffer) {
  // The stream takes a short read for the end of the input, so every read fills the buffer; a
  // character that does not fit is split and its rest written first next time.
  std::size_t written = 0;
  const auto put = [&](std::string_view text) {
    const std::size_t count = std::min(text.size(), buffer.size() - written);
    if (count == 0) return text;
    std::memcpy(buffer.data() + written, text.data(), count);
    written += count;
    return text.substr(count);
  };
  pending_ = put(pending_);
  while (written < buffer.size() && position_ < raw_.size()) {
    const auto byte = static_cast<unsigned char>(raw_[position_]);
    if (byte < 0x80) {
      std::size_t end = position_ + 1;
      const std::size_t room = position_ + (buffer.size() - written);
      while (end < raw_.size() && end < room && static_cast<unsigned char>(raw_[end]) < 0x80) ++end;
      put(raw_.substr(position_, end - position_));
      position_ = end;
      continue;
    }
    pending_ = put(table_.text(byte));
    ++position_;
  }
  return written;
}

}  // namespace edi_energy::platform

#include "edi_energy/platform/raw_offsets.hpp"

#include <algorithm>
#include <utility>

namespace edi_energy::platform {

RawOffsets RawOffsets::over_raw(std::string_view raw, const HighHalf& table, std::size_t skipped) {
  RawOffsets offsets;
  raw = raw.substr(skipped);
  offsets.raw_ = raw;
  offsets.skipped_ = skipped;
  offsets.table_ = &table;
  // Decoded texts of inputs within the limits stay far below 4 GiB.
  offsets.checkpoints_.reserve(raw.size() / STRIDE + 1);
  std::size_t position = 0;
  for (std::size_t at = 0; at < raw.size(); ++at) {
    if (at % STRIDE == 0) offsets.checkpoints_.push_back(static_cast<std::uint32_t>(position));
    position += table.length(static_cast<unsigned char>(raw[at]));
  }
  offsets.decoded_size_ = position;
  return offsets;
}

std::size_t RawOffsets::to_raw(std::size_t decoded_offset) const {
  if (table_ == nullptr) return decoded_offset;
  if (decoded_offset >= decoded_size_) return skipped_ + raw_.size() + (decoded_offset - decoded_size_);
  const auto after = std::ranges::upper_bound(checkpoints_, decoded_offset);
  std::size_t raw = static_cast<std::size_t>(after - checkpoints_.begin() - 1) * STRIDE;
  std::size_t position = checkpoints_[raw / STRIDE];
  while (true) {
    const std::size_t next = position + table_->length(static_cast<unsigned char>(raw_[raw]));
    if (next > decoded_offset) return skipped_ + raw;
    position = next;
    ++raw;
  }
}

edifact::model::Segment RawOffsets::to_raw(edifact::model::Segment segment) const {
  const std::size_t start = to_raw(segment.span().start);
  return std::move(segment).counted_in_characters(start);
}

edifact::EdifactError RawOffsets::to_raw(edifact::EdifactError error) const {
  error.offset = to_raw(error.offset);
  error.span = to_raw(error.span);
  return error;
}

}  // namespace edi_energy::platform

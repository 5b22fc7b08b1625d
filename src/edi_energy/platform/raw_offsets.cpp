#include "edi_energy/platform/raw_offsets.hpp"

#include <algorithm>

#include "edifact/model/segment_builder.hpp"

namespace edi_energy::platform {
namespace {

std::size_t character_length(std::string_view text, std::size_t position) {
  const auto lead = static_cast<unsigned char>(text[position]);
  const std::size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
  return std::min(length, text.size() - position);
}

}  // namespace

RawOffsets RawOffsets::over_decoded(std::string_view decoded) {
  RawOffsets offsets;
  offsets.decoded_ = decoded;
  // Decoded texts of inputs within the limits stay far below 4 GiB.
  offsets.checkpoints_.reserve(decoded.size() / STRIDE + 1);
  std::size_t position = 0;
  while (position < decoded.size()) {
    if (offsets.characters_ % STRIDE == 0) offsets.checkpoints_.push_back(static_cast<std::uint32_t>(position));
    position += character_length(decoded, position);
    ++offsets.characters_;
  }
  return offsets;
}

std::size_t RawOffsets::to_raw(std::size_t decoded_offset) const {
  if (checkpoints_.empty()) return decoded_offset;
  if (decoded_offset >= decoded_.size()) return characters_ + (decoded_offset - decoded_.size());
  const auto after = std::ranges::upper_bound(checkpoints_, decoded_offset);
  const auto block = static_cast<std::size_t>(after - checkpoints_.begin()) - 1;
  std::size_t raw = block * STRIDE;
  std::size_t position = checkpoints_[block];
  while (true) {
    const std::size_t next = position + character_length(decoded_, position);
    if (next > decoded_offset) return raw;
    position = next;
    ++raw;
  }
}

edifact::model::Segment RawOffsets::to_raw(const edifact::model::Segment& segment) const {
  edifact::model::SegmentBuilder builder(segment.tag(), to_raw(segment.span()), to_raw(segment.tag_span()));
  for (const auto element : segment.elements()) {
    builder.element(to_raw(element.span()));
    for (const auto component : element.components()) builder.component(component.text, to_raw(component.span));
    for (const auto repetition : element.repetitions()) {
      builder.repetition();
      for (const auto component : repetition) builder.component(component.text, to_raw(component.span));
    }
  }
  return builder.build();
}

edifact::EdifactError RawOffsets::to_raw(edifact::EdifactError error) const {
  error.offset = to_raw(error.offset);
  error.span = to_raw(error.span);
  return error;
}

}  // namespace edi_energy::platform

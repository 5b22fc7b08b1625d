#include "edi_energy/platform/raw_offsets.hpp"

#include <algorithm>

#include "edifact/model/segment_builder.hpp"

namespace edi_energy::platform {

RawOffsets RawOffsets::over_decoded(std::string_view decoded) {
  RawOffsets offsets;
  std::size_t gained = 0;
  std::size_t position = 0;
  while (position < decoded.size()) {
    const auto lead = static_cast<unsigned char>(decoded[position]);
    const std::size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
    position = std::min(decoded.size(), position + length);
    if (length > 1) {
      gained += length - 1;
      offsets.steps_.emplace_back(position, gained);
    }
  }
  return offsets;
}

std::size_t RawOffsets::to_raw(std::size_t decoded_offset) const {
  // The last step at or before the offset; an offset inside a character maps to its start.
  const auto after = std::ranges::upper_bound(steps_, decoded_offset, {},
                                              [](const auto& step) { return step.first; });
  if (after == steps_.begin()) return decoded_offset;
  const std::size_t gained = std::prev(after)->second;
  return decoded_offset >= gained ? decoded_offset - gained : 0;
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

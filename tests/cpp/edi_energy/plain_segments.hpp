// Segments in a plain notation for tests and fuzz targets: "UNH+1'NAD+MS+9900::293'" splits at
// ' into segments, at + into elements and at : into components; no release character.
#pragma once

#include <algorithm>
#include <cstddef>
#include <limits>
#include <string_view>
#include <vector>

#include "edifact/model/segment.hpp"
#include "edifact/model/segment_builder.hpp"

namespace plain_notation {

inline std::vector<edifact::model::Segment> segments(
    std::string_view text, std::size_t max_segments = std::numeric_limits<std::size_t>::max()) {
  std::vector<edifact::model::Segment> out;
  while (!text.empty() && out.size() < max_segments) {
    const std::size_t terminator = std::min(text.find('\''), text.size());
    std::string_view rest = text.substr(0, terminator);
    text.remove_prefix(std::min(terminator + 1, text.size()));
    const std::size_t tag_end = std::min(rest.find('+'), rest.size());
    edifact::model::SegmentBuilder builder(rest.substr(0, tag_end));
    rest.remove_prefix(tag_end);
    while (!rest.empty()) {
      rest.remove_prefix(1);  // the element separator
      std::string_view element = rest.substr(0, std::min(rest.find('+'), rest.size()));
      rest.remove_prefix(element.size());
      builder.element();
      for (std::size_t colon; (colon = element.find(':')) != std::string_view::npos; element.remove_prefix(colon + 1)) {
        builder.component(element.substr(0, colon));
      }
      builder.component(element);
    }
    out.push_back(builder.build());
  }
  return out;
}

}  // namespace plain_notation

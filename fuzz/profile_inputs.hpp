// What the profile fuzz targets take their inputs from: the built-in profiles, and segments in a
// plain notation ("TAG+a:b+c'", no release character) read from the fuzz bytes.
#pragma once

#include <algorithm>
#include <cstddef>
#include <string_view>
#include <vector>

#include "edi_energy/catalogue.hpp"
#include "edi_energy/profile/profile.hpp"
#include "edifact/model/segment.hpp"
#include "edifact/model/segment_builder.hpp"

namespace fuzz_support {

inline const std::vector<const edi_energy::profile::Profile*>& builtin_profiles() {
  static const std::vector<const edi_energy::profile::Profile*> all = [] {
    std::vector<const edi_energy::profile::Profile*> list;
    edi_energy::register_profiles(list);
    return list;
  }();
  return all;
}

inline std::vector<edifact::model::Segment> plain_segments(std::string_view text, std::size_t max_segments) {
  std::vector<edifact::model::Segment> segments;
  while (!text.empty() && segments.size() < max_segments) {
    const std::size_t terminator = std::min(text.find('\''), text.size());
    std::string_view rest = text.substr(0, terminator);
    text.remove_prefix(std::min(terminator + 1, text.size()));
    const std::size_t tag_end = std::min(rest.find('+'), rest.size());
    edifact::model::SegmentBuilder builder(rest.substr(0, tag_end));
    rest.remove_prefix(tag_end);
    while (!rest.empty()) {
      rest.remove_prefix(1);
      std::string_view element = rest.substr(0, std::min(rest.find('+'), rest.size()));
      rest.remove_prefix(element.size());
      builder.element();
      for (std::size_t colon; (colon = element.find(':')) != std::string_view::npos; element.remove_prefix(colon + 1)) {
        builder.component(element.substr(0, colon));
      }
      builder.component(element);
    }
    segments.push_back(builder.build());
  }
  return segments;
}

}  // namespace fuzz_support

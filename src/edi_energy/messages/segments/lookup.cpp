#include "edi_energy/messages/segments/lookup.hpp"

#include "edi_energy/messages/segments/field.hpp"

namespace edi_energy::messages::segments {

std::vector<Dtm> collect_dtm(Segments segments) {
  std::vector<Dtm> dtms;
  for (const auto& segment : segments) {
    if (segment.tag() != "DTM") continue;
    if (auto dtm = read_or_drop<Dtm>(segment)) dtms.push_back(std::move(*dtm));
  }
  return dtms;
}

std::optional<Nad> find_nad(Segments segments, std::string_view qualifier) {
  for (const auto& segment : segments) {
    if (segment.tag() == "NAD" && leading_text(segment) == qualifier && !qualifier.empty()) {
      return read_or_drop<Nad>(segment);
    }
  }
  return std::nullopt;
}

}  // namespace edi_energy::messages::segments

// A reference to a Lokation of the Vorgang ("Referenz auf die ID der Messlokation") names the
// Lokation the Vorgang's SG5 already carries: a sample ID there would point at nothing.
#include <array>

#include "edi_energy/profile/skeleton/generator.hpp"

namespace edi_energy::profile::skeleton {

namespace {

struct Referenced {
  std::string_view reference;  // RFF DE 1153
  std::string_view location;   // LOC DE 3227
};

// A gas Meldepunkt (172) that is a Messlokation fits a Messlokation reference; one that is a
// Marktlokation is fitted away by the reference's own format.
constexpr std::array referenced{
    Referenced{"Z18", "Z16"}, Referenced{"Z19", "Z17"}, Referenced{"Z19", "172"}, Referenced{"Z20", "Z21"},
    Referenced{"Z32", "Z18"}, Referenced{"Z37", "Z20"}, Referenced{"Z38", "Z19"},
};

bool refers(std::string_view reference, std::string_view location) {
  return std::ranges::any_of(referenced, [&](const Referenced& pair) {
    return pair.reference == reference && pair.location == location;
  });
}

}  // namespace

std::optional<std::string> Generator::lokation_reference(const model::SegmentNode& node,
                                                         std::string_view qualifier) const {
  if (vorgang_ == nullptr || node.tag != "RFF" || profile_.mig().message_type != "UTILMD") return std::nullopt;
  // The n-th reference of its kind in the Vorgang names the n-th such Lokation.
  std::size_t earlier = 0;
  std::vector<std::string_view> locations;
  for (std::size_t at = vorgang_->start; at < out_.size(); ++at) {
    const edifact::model::Segment& segment = out_[at];
    const auto first = segment.component_text(0, 0).value_or(std::string_view());
    if (segment.tag() == "RFF" && first == qualifier) ++earlier;
    if (segment.tag() != "LOC" || !refers(qualifier, first)) continue;
    if (const auto id = segment.component_text(1, 0); id && !id->empty()) locations.push_back(*id);
  }
  if (locations.empty()) return std::nullopt;
  return std::string(locations[earlier < locations.size() ? earlier : 0]);
}

}  // namespace edi_energy::profile::skeleton

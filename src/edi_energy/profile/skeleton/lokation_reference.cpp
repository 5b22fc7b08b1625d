// A reference to a Lokation of the Vorgang ("Referenz auf die ID der Messlokation") names the
// Lokation the Vorgang's SG5 already carries: a sample ID there would point at nothing.
#include "edi_energy/lokation_reference.hpp"
#include "edi_energy/profile/skeleton/generator.hpp"

namespace edi_energy::profile::skeleton {

std::optional<std::string> Generator::lokation_reference(const model::SegmentNode& node,
                                                         std::string_view qualifier) const {
  if (vorgang_ == nullptr || node.tag != "RFF" || profile_.mig().message_type != "UTILMD") return std::nullopt;
  // The n-th reference of its kind in the Vorgang names the n-th Lokation of that kind, and the
  // only one where the Vorgang names one.
  std::size_t earlier = 0;
  std::vector<std::string_view> locations;
  for (std::size_t at = vorgang_->start; at < out_.size(); ++at) {
    const edifact::model::Segment& segment = out_[at];
    const auto first = segment.component_text(0, 0).value_or(std::string_view());
    if (segment.tag() == "RFF" && first == qualifier) ++earlier;
    if (segment.tag() != "LOC") continue;
    if (const auto id = segment.component_text(1, 0); id && !id->empty() && lokation_reference::refers(qualifier, first, *id)) {
      locations.push_back(*id);
    }
  }
  if (locations.empty()) return std::nullopt;
  return std::string(locations[earlier < locations.size() ? earlier : 0]);
}

}  // namespace edi_energy::profile::skeleton

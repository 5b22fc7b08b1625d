// A reference to a Lokation of the Vorgang ("Referenz auf die ID der Messlokation") names the
// Lokation the Vorgang's SG5 already carries: a sample ID there would point at nothing.
#include <array>
#include <cctype>

#include "edi_energy/profile/skeleton/generator.hpp"

namespace edi_energy::profile::skeleton {

namespace {

// A gas Meldepunkt (172) is a Marktlokation or a Messlokation, told by its ID's shape.
enum class Shape : std::uint8_t { any, malo, melo };

struct Referenced {
  std::string_view reference;  // RFF DE 1153
  std::string_view location;   // LOC DE 3227
  Shape shape = Shape::any;
};

constexpr std::array referenced{
    Referenced{"Z18", "Z16"},          Referenced{"Z18", "172", Shape::malo}, Referenced{"Z19", "Z17"},
    Referenced{"Z19", "172", Shape::melo}, Referenced{"Z20", "Z21"},          Referenced{"Z32", "Z18"},
    Referenced{"Z37", "Z20"},          Referenced{"Z38", "Z19"},          Referenced{"Z16", "Z16"},
    Referenced{"Z50", "Z16"},
};

bool has_shape(std::string_view id, Shape shape) {
  if (shape == Shape::malo) {
    return id.size() == 11 && std::ranges::all_of(id, [](char c) { return std::isdigit(static_cast<unsigned char>(c)); });
  }
  return shape == Shape::any || id.size() == 33;
}

// Whether a reference of this qualifier names the Lokation of this qualifier and ID.
bool refers(std::string_view reference, std::string_view location, std::string_view id) {
  return std::ranges::any_of(referenced, [&](const Referenced& pair) {
    return pair.reference == reference && pair.location == location && has_shape(id, pair.shape);
  });
}

}  // namespace

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
    if (const auto id = segment.component_text(1, 0); id && !id->empty() && refers(qualifier, first, *id)) {
      locations.push_back(*id);
    }
  }
  if (locations.empty()) return std::nullopt;
  return std::string(locations[earlier < locations.size() ? earlier : 0]);
}

}  // namespace edi_energy::profile::skeleton

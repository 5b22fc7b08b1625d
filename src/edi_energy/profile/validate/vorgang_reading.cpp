#include "edi_energy/profile/validate/vorgang_reading.hpp"

#include <algorithm>
#include <span>
#include <type_traits>
#include <variant>

namespace edi_energy::profile::validate {

bool reads_own_vorgang(const structure::Structure& structure, const conditions::Voraussetzung& reading) {
  const auto& inside = structure.vorgang_tags;
  if (inside.empty()) return false;
  const auto in_vorgang = [&](std::string_view tag) {
    return std::ranges::binary_search(inside, structure::tag_key(tag));
  };
  const auto all_in = [&](std::span<const conditions::SegmentPattern> patterns) {
    return std::ranges::all_of(patterns, [&](const conditions::SegmentPattern& p) { return in_vorgang(p.tag); });
  };
  return std::visit(
      [&](const auto& shape) {
        using Shape = std::decay_t<decltype(shape)>;
        if (shape.group) return false;
        if constexpr (std::is_same_v<Shape, conditions::Voraussetzung::Present>) {
          return all_in(shape.chain) && all_in(shape.companions);
        } else if constexpr (std::is_same_v<Shape, conditions::Voraussetzung::DeValue>) {
          return in_vorgang(shape.tag) && all_in(shape.companions);
        } else if constexpr (std::is_same_v<Shape, conditions::Voraussetzung::DeShape>) {
          return in_vorgang(shape.pattern.tag) && all_in(shape.companions);
        } else {
          return in_vorgang(shape.pattern.tag);
        }
      },
      reading.shape);
}

}  // namespace edi_energy::profile::validate

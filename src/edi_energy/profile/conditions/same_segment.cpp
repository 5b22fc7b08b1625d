#include "edi_energy/profile/conditions/same_segment.hpp"

#include <array>
#include <variant>

namespace edi_energy::profile::conditions {

bool names_same_segment(std::string_view text, std::string_view tag) {
  // "selben " covers "derselben", "demselben", "desselben" and "im selben".
  static constexpr std::array<std::string_view, 3> words{"selben ", "diesem ", "dieser "};
  for (const std::string_view word : words) {
    for (std::size_t at = text.find(word); at != std::string_view::npos; at = text.find(word, at + 1)) {
      const std::string_view rest = text.substr(at + word.size());
      // The tag as a word of its own, not the start of a longer one.
      if (rest.starts_with(tag) && (rest.size() == tag.size() || rest[tag.size()] == ' ' || rest[tag.size()] == '+')) {
        return true;
      }
    }
  }
  return false;
}

std::string own_segment_tag(std::string_view text, const Voraussetzung& reading) {
  using V = Voraussetzung;
  const std::string* tag = std::visit(
      [](const auto& shape) -> const std::string* {
        using Shape = std::decay_t<decltype(shape)>;
        if constexpr (std::is_same_v<Shape, V::DeValue>) {
          return shape.companions.empty() ? &shape.tag : nullptr;
        } else if constexpr (std::is_same_v<Shape, V::DeShape>) {
          return shape.companions.empty() ? &shape.pattern.tag : nullptr;
        } else if constexpr (std::is_same_v<Shape, V::Present>) {
          // One segment: a chain speaks of several, and a count of many.
          const bool one = shape.chain.size() == 1 && shape.companions.empty() && shape.codes.empty();
          return one ? &shape.chain.front().tag : nullptr;
        } else {
          return nullptr;
        }
      },
      reading.shape);
  if (tag == nullptr || !names_same_segment(text, *tag)) return {};
  return *tag;
}

}  // namespace edi_energy::profile::conditions

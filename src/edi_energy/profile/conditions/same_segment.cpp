#include "edi_energy/profile/conditions/same_segment.hpp"

#include <array>

namespace edi_energy::profile::conditions {

bool names_same_segment(std::string_view text, std::string_view tag) {
  static constexpr std::array<std::string_view, 4> words{"demselben ", "derselben ", "diesem ", "dieser "};
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

}  // namespace edi_energy::profile::conditions

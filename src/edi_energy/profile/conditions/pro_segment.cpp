// Reading the segment of a Wiederholbarkeit text: the first "SG<digits> <segment>" whose
// segment word is a pattern.
#include <algorithm>
#include <array>

#include "edi_energy/profile/conditions/voraussetzung.hpp"
#include "edi_energy/profile/unicode_text.hpp"

namespace edi_energy::profile::conditions {
namespace {

namespace ut = unicode_text;

bool says_per_segment(std::string_view lowered) {
  static constexpr std::array<std::string_view, 5> phrases{"f\u00FCr jede", "f\u00FCr jeden", "f\u00FCr jedes", "je sg",
                                                           "einmal f\u00FCr jede"};
  return std::any_of(phrases.begin(), phrases.end(),
                     [&](std::string_view phrase) { return lowered.find(phrase) != std::string_view::npos; });
}

}  // namespace

std::optional<ProSegment> ProSegment::parse(std::string_view text) {
  if (!says_per_segment(ut::to_lower(text))) return std::nullopt;
  std::size_t search_from = 0;
  for (std::size_t sg = text.find("SG"); sg != std::string_view::npos; sg = text.find("SG", search_from)) {
    std::size_t offset = sg + 2;
    search_from = sg + 1;
    while (offset < text.size() && ut::is_ascii_digit(text[offset])) ++offset;
    if (offset == sg + 2) continue;
    offset += text.substr(offset).size() - ut::trim_white_start(text.substr(offset)).size();
    std::size_t end = offset;
    while (end < text.size()) {
      const ut::Char c = ut::char_at(text, end);
      if (ut::is_white_space(c.scalar) || c.scalar == U',' || c.scalar == U'(') break;
      end += c.length;
    }
    const std::string_view word = text.substr(offset, end - offset);
    search_from = end;
    std::optional<SegmentPattern> pattern = SegmentPattern::parse(word);
    if (!pattern) continue;
    if (pattern->tag == "IDE") return std::nullopt;
    return ProSegment{std::move(*pattern)};
  }
  return std::nullopt;
}

}  // namespace edi_energy::profile::conditions

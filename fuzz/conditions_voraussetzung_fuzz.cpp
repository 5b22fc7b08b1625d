// Fuzzes the readers of condition texts: any text yields a reading or nothing, and every
// reading keeps the promises its users rely on (non-empty chains and value lists, three-letter
// tags, four-digit data elements). Segment patterns read from the text are matched against a
// segment made from the text's tail.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "edi_energy/profile/conditions/text_tokens.hpp"
#include "edi_energy/profile/conditions/voraussetzung.hpp"

namespace {

namespace conditions = edi_energy::profile::conditions;
using conditions::SegmentPattern;
using conditions::Voraussetzung;

void require(bool holds) {
  if (!holds) std::abort();
}

bool is_tag(std::string_view tag) {
  return tag.size() == 3 && std::all_of(tag.begin(), tag.end(), [](char c) { return c >= 'A' && c <= 'Z'; });
}

void check_pattern(const SegmentPattern& pattern) {
  require(is_tag(pattern.tag));
  for (const auto& element : pattern.elements) {
    for (const auto& component : element) require(!component || !component->empty());
  }
}

void check(const Voraussetzung& reading) {
  if (const auto* present = std::get_if<Voraussetzung::Present>(&reading.shape)) {
    require(!present->chain.empty());
    for (const auto& pattern : present->chain) check_pattern(pattern);
  } else if (const auto* value = std::get_if<Voraussetzung::DeValue>(&reading.shape)) {
    require(value->tag.size() == 3 && value->de.size() == 4 && !value->values.empty());
  } else if (const auto* shape = std::get_if<Voraussetzung::DeShape>(&reading.shape)) {
    check_pattern(shape->pattern);
    require(shape->de.size() == 4);
  } else {
    check_pattern(std::get<Voraussetzung::Count>(reading.shape).pattern);
  }
}

// "TAG+a:b+c" in the tail becomes a segment with those elements and components.
edifact::model::Segment segment_from(std::string_view tail, std::string_view tag) {
  std::vector<std::vector<std::string_view>> elements;
  for (std::string_view element : conditions::split_unescaped(tail, '+')) {
    elements.push_back(conditions::split_unescaped(element, ':'));
  }
  // from_texts takes nested initializer lists: up to three elements are enough to match against.
  const auto component = [&](std::size_t e, std::size_t c) -> std::string_view {
    return e < elements.size() && c < elements[e].size() ? elements[e][c] : std::string_view{};
  };
  return edifact::model::Segment::from_texts(
      tag, {{component(0, 0), component(0, 1)}, {component(1, 0), component(1, 1), component(1, 2)}, {component(2, 0)}});
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  if (auto reading = Voraussetzung::parse(text)) check(*reading);
  if (auto pro = conditions::ProSegment::parse(text)) {
    check_pattern(pro->pattern);
    require(pro->pattern.tag != "IDE");
  }
  (void)conditions::is_precondition(text);

  const std::size_t cut = text.find('\n');
  const std::string_view head = text.substr(0, std::min(cut, text.size()));
  if (auto pattern = SegmentPattern::parse(head)) {
    check_pattern(*pattern);
    const std::string_view tail = cut == std::string_view::npos ? std::string_view{} : text.substr(cut + 1);
    const auto segment = segment_from(tail, pattern->tag);
    (void)pattern->matches(segment);
    const std::vector<SegmentPattern> chain{*pattern, *pattern};
    const std::vector<edifact::model::Segment> segments{segment, segment, segment};
    require(conditions::count_matches(*pattern, segments) % 3 == 0);
    require(conditions::matches_in_order(chain, segments) == pattern->matches(segment));
  }
  return 0;
}

#include "quorvane_native/edifact/vorgang_cut.hpp"

#include <algorithm>

#include "edifact/parse/service_string_advice.hpp"

namespace quorvane_native::edifact {

namespace {

// The default service characters, which the builders write and the request is written out with.
constexpr auto advice = ::edifact::tokenizer::ServiceStringAdvice::DEFAULT;
constexpr char release = advice.release_character;
constexpr char element_separator = advice.element_separator;
constexpr char component_separator = advice.component_separator;
constexpr char terminator = advice.segment_terminator;

// Component `component` of data element `element` (after the tag) of a segment's text, appended
// to `into` with released characters taken as they are; nothing where the segment has none there.
void append_component(std::string_view text, std::size_t element, std::size_t component, std::string& into) {
  std::size_t at_element = 0;
  std::size_t at_component = 0;
  std::size_t from = std::string_view::npos;
  bool released = false;
  for (std::size_t at = 3; at < text.size(); ++at) {
    const char c = text[at];
    const bool inside = at_element == element + 1 && at_component == component;
    if (c == release) {
      released = released || inside;
      ++at;
      continue;
    }
    if (c != element_separator && c != component_separator && c != terminator) continue;
    if (inside) {
      const std::string_view raw = text.substr(from, at - from);
      if (!released) {
        into += raw;
        return;
      }
      for (std::size_t k = 0; k < raw.size(); ++k) into += raw[k] == release && k + 1 < raw.size() ? raw[++k] : raw[k];
      return;
    }
    if (c == terminator) return;
    if (c == element_separator) {
      ++at_element;
      at_component = 0;
    } else {
      ++at_component;
    }
    from = at + 1;
  }
}

std::string component(std::string_view text, std::size_t element, std::size_t component) {
  std::string value;
  append_component(text, element, component, value);
  return value;
}

std::string key_of(std::string_view text) {
  std::string key(text.substr(0, 4));
  append_component(text, 0, 0, key);
  // A CCI without a class names its characteristic in its third element.
  if (key == "CCI+") {
    key += "++";
    append_component(text, 2, 0, key);
  }
  return key;
}

}  // namespace

std::pair<std::size_t, std::size_t> VorgangCut::range(std::size_t vorgang) const {
  const std::size_t first = ides[vorgang - 1];
  const std::size_t last = vorgang < ides.size() ? ides[vorgang] : segments.size() - 1;
  return {first, last};
}

std::optional<VorgangCut> cut_vorgaenge(std::string_view message) {
  VorgangCut cut;
  cut.segments.reserve(static_cast<std::size_t>(std::ranges::count(message, terminator)));
  bool in_group = false;
  bool in_characteristic = false;
  std::size_t start = 0;
  for (std::size_t at = 0; at < message.size(); ++at) {
    if (message[at] == release) {
      ++at;
      continue;
    }
    if (message[at] != terminator) continue;
    CutSegment into;
    into.text = message.substr(start, at + 1 - start);
    start = at + 1;
    if (into.text.size() < 4) return std::nullopt;
    into.key = key_of(into.text);
    const std::string_view tag = into.tag();
    if (tag == "IDE") cut.ides.push_back(cut.segments.size());
    if (tag == "LOC" || tag == "IDE" || tag == "UNT") into.value = component(into.text, 1, 0);
    if (tag == "RFF") into.value = component(into.text, 0, 1);
    into.vorgang = tag == "UNT" ? 0 : cut.ides.size();
    if (closes_groups(tag)) in_group = false;
    if (into.vorgang > 0 && is_group_head(tag)) {
      in_group = true;
      in_characteristic = false;
    } else if (in_group) {
      into.depth = tag == "CAV" && in_characteristic ? 2 : 1;
      if (tag == "CCI") in_characteristic = true;
      else if (tag != "CAV") in_characteristic = false;
    }
    cut.segments.push_back(std::move(into));
  }
  if (start != message.size() || cut.segments.empty() || cut.segments.back().tag() != "UNT") return std::nullopt;
  return cut;
}

std::size_t unit_end(const VorgangCut& cut, std::size_t at, std::size_t end) {
  const std::uint8_t depth = cut.segments[at].depth;
  std::size_t next = at + 1;
  while (next < end && cut.segments[next].depth > depth) ++next;
  return next;
}

}  // namespace quorvane_native::edifact

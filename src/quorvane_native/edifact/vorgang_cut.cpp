#include "quorvane_native/edifact/vorgang_cut.hpp"

#include "edifact/parse/from_bytes.hpp"

namespace quorvane_native::edifact {

namespace {

std::string key_of(const ::edifact::model::Segment& segment, std::string_view qualifier) {
  const std::string_view tag = segment.tag();
  std::string key(tag);
  key += '+';
  // A CCI without a class names its characteristic in its third element.
  if (tag == "CCI" && qualifier.empty()) {
    key += "++";
    key += segment.component_text(2, 0).value_or(std::string_view());
  } else {
    key += qualifier;
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
  // A builder's segment may be longer than a reader takes; its size is for the caller to refuse.
  ::edifact::ParserConfig config;
  config.max_segment_length = message.size();
  const auto parsed = ::edifact::parse_all(message, config);
  if (parsed.error() || parsed.empty()) return std::nullopt;
  VorgangCut cut;
  cut.segments.reserve(parsed.size());
  bool in_group = false;
  bool in_characteristic = false;
  for (std::size_t at = 0; at < parsed.size(); ++at) {
    const ::edifact::model::Segment segment = parsed[at];
    const std::size_t start = segment.span().start;
    const std::size_t end = at + 1 < parsed.size() ? parsed[at + 1].span().start : message.size();
    CutSegment into;
    into.text = message.substr(start, end - start);
    into.key = key_of(segment, segment.component_text(0, 0).value_or(std::string_view()));
    const std::string_view tag = into.tag();
    if (tag == "IDE") cut.ides.push_back(at);
    if (tag == "LOC" || tag == "IDE") into.value = std::string(segment.component_text(1, 0).value_or(std::string_view()));
    if (tag == "RFF") into.value = std::string(segment.component_text(0, 1).value_or(std::string_view()));
    if (tag == "UNT") into.value = std::string(segment.component_text(1, 0).value_or(std::string_view()));
    into.vorgang = tag == "UNT" ? 0 : cut.ides.size();
    if (tag == "IDE" || tag == "LOC" || tag == "UNT") in_group = false;
    if (into.vorgang > 0 && (tag == "SEQ" || tag == "NAD")) {
      in_group = true;
      in_characteristic = false;
    } else if (in_group) {
      into.depth = tag == "CAV" && in_characteristic ? 2 : 1;
      if (tag == "CCI") in_characteristic = true;
      else if (tag != "CAV") in_characteristic = false;
    }
    cut.segments.push_back(std::move(into));
  }
  if (cut.segments.back().tag() != "UNT") return std::nullopt;
  return cut;
}

std::size_t unit_end(const VorgangCut& cut, std::size_t at, std::size_t end) {
  const std::uint8_t depth = cut.segments[at].depth;
  std::size_t next = at + 1;
  while (next < end && cut.segments[next].depth > depth) ++next;
  return next;
}

}  // namespace quorvane_native::edifact

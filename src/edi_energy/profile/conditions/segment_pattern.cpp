#include "edi_energy/profile/conditions/segment_pattern.hpp"

#include <algorithm>

#include "edi_energy/profile/conditions/segment_access.hpp"
#include "edi_energy/profile/conditions/text_tokens.hpp"
#include "edi_energy/profile/unicode_text.hpp"
#include "edifact/model/segment.hpp"

namespace edi_energy::profile::conditions {
namespace {

namespace ut = unicode_text;

// Removes the release character in front of "+" and ":"; other "?" pairs stay as written.
std::string unescape_separators(std::string_view text) {
  std::string unescaped;
  unescaped.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '?' && i + 1 < text.size() && (text[i + 1] == '+' || text[i + 1] == ':')) ++i;
    unescaped.push_back(text[i]);
  }
  return unescaped;
}

bool is_placeholder_x(std::string_view text) {
  return (text.size() == 3 || text.size() == 4) &&
         std::all_of(text.begin(), text.end(), [](char c) { return c == 'x' || c == 'X'; });
}

bool has_placeholder(std::string_view alternative) {
  return std::any_of(alternative.begin(), alternative.end(), ut::is_ascii_lower);
}

// A run of lower-case letters stands for one group of an OBIS code or value: one or more
// characters, up to the next literal character of the alternative (to the end after the last).
bool matches_placeholders(std::string_view alternative, std::string_view value) {
  std::size_t a = 0;
  std::size_t v = 0;
  while (a < alternative.size()) {
    if (!ut::is_ascii_lower(alternative[a])) {
      if (v >= value.size() || value[v] != alternative[a]) return false;
      ++a;
      ++v;
      continue;
    }
    while (a < alternative.size() && ut::is_ascii_lower(alternative[a])) ++a;
    const std::size_t stop = a < alternative.size() ? value.find(alternative[a], v) : value.size();
    if (stop == std::string_view::npos || stop == v) return false;
    v = stop;
  }
  return v == value.size();
}

bool accepts(const SegmentPattern::Alternatives& alternatives, std::string_view value) {
  return std::any_of(alternatives.begin(), alternatives.end(), [&](const std::string& alternative) {
    return alternative == value || (has_placeholder(alternative) && matches_placeholders(alternative, value));
  });
}

}  // namespace

std::vector<std::string_view> split_unescaped(std::string_view text, char separator) {
  std::vector<std::string_view> pieces;
  if (text.empty()) return pieces;
  std::size_t piece_start = 0;
  // Byte steps suffice: separators and "?" are ASCII and never part of a multi-byte sequence.
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '?') {
      ++i;
    } else if (text[i] == separator) {
      pieces.push_back(text.substr(piece_start, i - piece_start));
      piece_start = i + 1;
    }
  }
  pieces.push_back(text.substr(std::min(piece_start, text.size())));
  return pieces;
}

std::optional<SegmentPattern> SegmentPattern::parse(std::string_view token) {
  // A name in brackets may follow a code without a blank ("E03(Transaktionsgrund:"); no code
  // holds a bracket.
  token = strip_trailing(token.substr(0, std::min(token.find('('), token.size())));
  const std::size_t plus = token.find('+');
  const std::string_view tag = token.substr(0, std::min(plus, token.size()));
  if (plus == std::string_view::npos ? token.size() != 3 : plus != 3) return std::nullopt;
  if (!std::all_of(tag.begin(), tag.end(), ut::is_ascii_upper)) return std::nullopt;
  SegmentPattern pattern{std::string(tag), {}};
  if (plus == std::string_view::npos) return pattern;
  for (std::string_view element_text : split_unescaped(token.substr(plus + 1), '+')) {
    ElementPattern element;
    for (std::string_view component_text : split_unescaped(element_text, ':')) {
      const std::string component = unescape_separators(component_text);
      if (component.empty() || is_placeholder_x(component)) {
        element.emplace_back(std::nullopt);
        continue;
      }
      Alternatives alternatives;
      std::string_view rest = component;
      for (std::size_t slash = rest.find('/'); slash != std::string_view::npos; slash = rest.find('/')) {
        alternatives.emplace_back(rest.substr(0, slash));
        rest.remove_prefix(slash + 1);
      }
      alternatives.emplace_back(rest);
      element.emplace_back(std::move(alternatives));
    }
    pattern.elements.push_back(std::move(element));
  }
  return pattern;
}

bool SegmentPattern::matches(const edifact::model::Segment& segment) const {
  if (segment_access::tag(segment) != tag) return false;
  const std::size_t element_count = segment_access::element_count(segment);
  for (std::size_t i = 0; i < elements.size(); ++i) {
    for (std::size_t j = 0; j < elements[i].size(); ++j) {
      const auto& alternatives = elements[i][j];
      if (!alternatives) continue;
      if (i >= element_count) return false;
      const std::optional<std::string_view> value = segment_access::component(segment, i, j);
      if (!value || !accepts(*alternatives, *value)) return false;
    }
  }
  return true;
}

bool matches_in_order(std::span<const SegmentPattern> chain, std::span<const edifact::model::Segment> segments) {
  std::size_t next = 0;
  for (const SegmentPattern& pattern : chain) {
    while (next < segments.size() && !pattern.matches(segments[next])) ++next;
    if (next == segments.size()) return false;
    ++next;
  }
  return true;
}

std::size_t count_matches(const SegmentPattern& pattern, std::span<const edifact::model::Segment> segments) {
  return static_cast<std::size_t>(std::count_if(segments.begin(), segments.end(),
                                                [&](const auto& segment) { return pattern.matches(segment); }));
}

}  // namespace edi_energy::profile::conditions

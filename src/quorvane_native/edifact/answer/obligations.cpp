#include "quorvane_native/edifact/answer/obligations.hpp"

#include <fmt/format.h>
#include <fmt/ranges.h>

#include <algorithm>
#include <utility>
#include <vector>

#include "edi_energy/builders/utilmd.hpp"
#include "quorvane_native/edifact/date_argument.hpp"
#include "quorvane_native/edifact/vorgang_cut.hpp"
#include "support/debug_quote.hpp"

namespace quorvane_native::edifact::answer {

namespace {

using Place = std::pair<std::string, std::string>;  // tag, qualifier

// Per Vorgang, the places the arguments write.
std::vector<std::vector<Place>> argument_places(std::string_view message) {
  const VorgangCut cut = cut_vorgaenge(message).value_or(VorgangCut{});
  std::vector<std::vector<Place>> vorgaenge(cut.vorgaenge());
  for (std::size_t vorgang = 1; vorgang <= cut.vorgaenge(); ++vorgang) {
    const std::size_t first = cut.range(vorgang).first;
    const std::vector<bool> placed = argument_segments(cut, vorgang);
    for (std::size_t at = 0; at < placed.size(); ++at) {
      const CutSegment& segment = cut.segments[first + at];
      if (placed[at]) vorgaenge[vorgang - 1].emplace_back(std::string(segment.tag()), segment.qualifier());
    }
  }
  return vorgaenge;
}

// The DE 2379 format of a Vorgang's own DTM+`qualifier` in `answer`, which completion wrote in
// one its place takes; empty when there is none.
std::string_view written_format(std::string_view answer, std::string_view qualifier) {
  const auto cut = cut_vorgaenge(answer);
  if (!cut) return {};
  for (const CutSegment& segment : cut->segments) {
    if (segment.vorgang == 0 || segment.depth != 0 || segment.tag() != "DTM" || segment.qualifier() != qualifier) {
      continue;
    }
    const std::string_view text = segment.text.substr(0, segment.text.size() - 1);
    return text.substr(text.rfind(':') + 1);
  }
  return {};
}

std::string example(const Place& place, std::string_view answer) {
  if (place.first == "FTX") return fmt::format("(\"{}\", \"…\")", place.second);
  if (place.first == "RFF") return fmt::format("(\"{}\", \"…\")", place.second);
  const std::string_view written = written_format(answer, place.second);
  const std::string_view form =
      date_form(written.empty() ? edi_energy::builders::utilmd::date_format(place.second) : written);
  return fmt::format("(\"{}\", \"{}\")", place.second, form.empty() ? "…" : form);
}

}  // namespace

std::vector<bool> argument_segments(const VorgangCut& cut, std::size_t vorgang) {
  const auto [first, last] = cut.range(vorgang);
  std::vector<bool> placed(last - first, false);
  bool own = true;
  for (std::size_t at = first + 1; at < last; ++at) {
    const CutSegment& segment = cut.segments[at];
    if (segment.depth != 0) continue;
    if (segment.tag() == "LOC" || segment.tag() == "RFF") own = false;
    placed[at - first] = ((segment.tag() == "DTM" || segment.tag() == "FTX") && own) || segment.tag() == "RFF";
  }
  return placed;
}

std::optional<std::string> code_obligation(std::string_view answer, std::string_view without_code,
                                           std::string_view code) {
  const auto with = argument_places(answer);
  const auto without = argument_places(without_code);
  for (std::size_t vorgang = 0; vorgang < with.size() && vorgang < without.size(); ++vorgang) {
    std::vector<Place> left = without[vorgang];
    std::vector<Place> obliged;
    for (const Place& place : with[vorgang]) {
      if (const auto found = std::ranges::find(left, place); found != left.end()) {
        left.erase(found);
      } else if (obliged.empty() || obliged.front().first == place.first) {
        obliged.push_back(place);
      }
    }
    if (obliged.empty()) continue;
    const std::string& tag = obliged.front().first;
    const std::string_view argument = tag == "DTM" ? "process_dates" : tag == "FTX" ? "free_texts" : "references";
    std::vector<std::string> named;
    std::vector<std::string> examples;
    for (const Place& place : obliged) {
      named.push_back(fmt::format("{}+{}", place.first, place.second));
      examples.push_back(example(place, answer));
    }
    return fmt::format("{}: antwort_code {} obliges {} in the answer, which no argument gives; give {} as {}=[{}]",
                       argument, support::debug_quote(code), fmt::join(named, " and "),
                       obliged.size() == 1 ? "it" : "them", argument, fmt::join(examples, ", "));
  }
  return std::nullopt;
}

}  // namespace quorvane_native::edifact::answer

#include "quorvane_native/edifact/answer/obligations.hpp"

#include <fmt/format.h>
#include <fmt/ranges.h>

#include <algorithm>
#include <utility>
#include <vector>

#include "edi_energy/builders/utilmd.hpp"
#include "quorvane_native/edifact/vorgang_cut.hpp"
#include "support/debug_quote.hpp"
#include "support/time_text/dtm_value.hpp"

namespace quorvane_native::edifact::answer {

namespace {

using Place = std::pair<std::string, std::string>;  // tag, qualifier

// Per Vorgang, the places the arguments write: its own DTM and FTX, which stand before its first
// Lokation or reference, and the RFF of its references (SG6, outside its SEQ and NAD groups).
std::vector<std::vector<Place>> argument_places(std::string_view message) {
  const VorgangCut cut = cut_vorgaenge(message).value_or(VorgangCut{});
  std::vector<std::vector<Place>> vorgaenge(cut.vorgaenge());
  for (std::size_t vorgang = 1; vorgang <= cut.vorgaenge(); ++vorgang) {
    const auto [first, last] = cut.range(vorgang);
    bool own = true;
    for (std::size_t at = first + 1; at < last; ++at) {
      const CutSegment& segment = cut.segments[at];
      if (segment.depth != 0) continue;
      if (segment.tag() == "LOC" || segment.tag() == "RFF") own = false;
      const bool placed = ((segment.tag() == "DTM" || segment.tag() == "FTX") && own) || segment.tag() == "RFF";
      if (placed) vorgaenge[vorgang - 1].emplace_back(std::string(segment.tag()), segment.qualifier());
    }
  }
  return vorgaenge;
}

std::string example(const Place& place) {
  if (place.first == "FTX") return fmt::format("(\"{}\", \"…\")", place.second);
  if (place.first == "RFF") return fmt::format("(\"{}\", \"…\")", place.second);
  const std::string_view format = edi_energy::builders::utilmd::date_format(place.second);
  const std::string_view layout = format == "303" ? "CCYYMMDDHHMM+00" : support::time_text::dtm_layout(format);
  return fmt::format("(\"{}\", \"{}\")", place.second, layout.empty() ? "…" : layout);
}

}  // namespace

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
      examples.push_back(example(place));
    }
    return fmt::format("{}: antwort_code {} obliges {} in the answer, which no argument gives; give {} as {}=[{}]",
                       argument, support::debug_quote(code), fmt::join(named, " and "),
                       obliged.size() == 1 ? "it" : "them", argument, fmt::join(examples, ", "));
  }
  return std::nullopt;
}

}  // namespace quorvane_native::edifact::answer

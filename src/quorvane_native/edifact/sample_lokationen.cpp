#include "quorvane_native/edifact/sample_lokationen.hpp"

#include <algorithm>
#include <string_view>

#include "quorvane_native/edifact/answer/draft.hpp"
#include "quorvane_native/edifact/answer/lokation_ids.hpp"
#include "quorvane_native/edifact/vorgang_cut.hpp"

namespace quorvane_native::edifact {

namespace {

// The message without the segments `gone` marks.
answer::Draft draft_without(const VorgangCut& cut, const std::vector<bool>& gone) {
  answer::Draft draft;
  draft.reference = cut.segments.back().value;
  draft.vorgaenge = cut.vorgaenge();
  for (std::size_t at = 0; at + 1 < cut.segments.size(); ++at) {
    if (!gone[at]) draft.add(cut.segments[at].text, cut.segments[at].vorgang, at);
  }
  return draft;
}

}  // namespace

std::string without_sample_lokationen(std::string completed, const std::vector<std::vector<std::string>>& given,
                                      const ColumnRef& column, std::uint32_t pruefidentifikator) {
  const auto cut = cut_vorgaenge(completed);
  if (!cut || cut->vorgaenge() != given.size()) return completed;
  std::vector<std::size_t> samples;
  for (std::size_t vorgang = 1; vorgang <= cut->vorgaenge(); ++vorgang) {
    const std::vector<std::string>& ids = given[vorgang - 1];
    if (ids.empty()) continue;
    const auto [first, last] = cut->range(vorgang);
    for (std::size_t at = first; at < last; ++at) {
      const CutSegment& segment = cut->segments[at];
      const bool sample = std::ranges::find(ids, segment.value) == ids.end();
      if (segment.tag() == "LOC" && segment.depth == 0 && sample) samples.push_back(at);
      // A group that refers to a Lokation nobody gave, as a Tranche's data do.
      if (segment.tag() == "RFF" && segment.depth == 1 && sample && answer::lokation_shaped(segment.value)) {
        samples.push_back(at);
      }
    }
  }
  if (samples.empty()) return completed;
  std::vector<bool> gone(cut->segments.size(), false);
  if (answer::judge(draft_without(*cut, gone), column, pruefidentifikator).faulted()) return completed;
  bool any = false;
  for (const std::size_t loc : samples) {
    std::vector<bool> trial = gone;
    const auto [first, last] = cut->range(cut->segments[loc].vorgang);
    if (cut->segments[loc].tag() == "RFF") {
      std::size_t head = loc;
      while (head > first && cut->segments[head].depth != 0) --head;
      for (std::size_t k = head; k < unit_end(*cut, head, last); ++k) trial[k] = true;
      if (!answer::judge(draft_without(*cut, trial), column, pruefidentifikator).faulted()) {
        gone = std::move(trial);
        any = true;
      }
      continue;
    }
    // The references that name the sample go with it: they would point at nothing.
    for (std::size_t at = first; at < last; ++at) {
      const CutSegment& segment = cut->segments[at];
      if (at != loc && (segment.tag() != "RFF" || segment.value != cut->segments[loc].value)) continue;
      for (std::size_t k = at; k < unit_end(*cut, at, last); ++k) trial[k] = true;
    }
    if (answer::judge(draft_without(*cut, trial), column, pruefidentifikator).faulted()) continue;
    gone = std::move(trial);
    any = true;
  }
  return any ? draft_without(*cut, gone).message() : completed;
}

}  // namespace quorvane_native::edifact

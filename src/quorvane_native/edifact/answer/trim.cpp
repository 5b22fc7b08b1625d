#include "quorvane_native/edifact/answer/trim.hpp"

#include <fmt/format.h>

#include <algorithm>
#include <optional>
#include <set>
#include <string_view>
#include <vector>

#include "quorvane_native/edifact/answer/draft.hpp"
#include "quorvane_native/edifact/answer/carry.hpp"
#include "quorvane_native/edifact/column_places.hpp"
#include "support/debug_quote.hpp"
#include "support/diag.hpp"

namespace quorvane_native::edifact::answer {

namespace {

using edi_energy::profile::structure::NodeIndex;

// Something completion made up: a Lokation, or a group (SG8 opened by SEQ, SG12 by NAD).
struct Unit {
  bool lokation = false;
  std::size_t vorgang = 0;  // from 1
  std::size_t first = 0;    // its segments in the answer's cut
  std::size_t last = 0;
};

bool named_by_request(const AnswerPlan& plan, std::size_t vorgang, const CutSegment& loc) {
  return std::ranges::any_of(plan.vorgaenge[vorgang - 1].echoes, [&](const Echo& echo) {
    return echo.kept && echo.tag == "LOC" && echo.qualifier == loc.qualifier() && echo.value == loc.value;
  });
}

// The keys of the groups each answer Vorgang's request fills: those groups are its, not made up.
std::vector<std::set<std::string, std::less<>>> requested_groups(const VorgangCut& request, const AnswerPlan& plan) {
  const auto answered = answered_vorgaenge(request, plan);
  std::vector<std::set<std::string, std::less<>>> keys(answered.size());
  for (std::size_t vorgang = 1; vorgang < answered.size(); ++vorgang) {
    if (!answered[vorgang]) continue;
    const auto [first, last] = request.range(*answered[vorgang]);
    for (std::size_t at = first; at < last; ++at) {
      const CutSegment& segment = request.segments[at];
      if (segment.depth == 0 && (segment.tag() == "SEQ" || segment.tag() == "NAD")) keys[vorgang].insert(segment.key);
    }
  }
  return keys;
}

std::vector<Unit> made_up_units(const VorgangCut& cut, const AnswerPlan& plan, const VorgangCut& request) {
  const auto requested = requested_groups(request, plan);
  std::vector<Unit> units;
  for (std::size_t vorgang = 1; vorgang <= cut.vorgaenge(); ++vorgang) {
    const auto [first, last] = cut.range(vorgang);
    for (std::size_t at = first + 1; at < last; ++at) {
      const CutSegment& segment = cut.segments[at];
      if (segment.depth != 0) continue;
      const bool lokation = segment.tag() == "LOC" && !named_by_request(plan, vorgang, segment);
      const bool group = (segment.tag() == "SEQ" || segment.tag() == "NAD") && !requested[vorgang].contains(segment.key);
      if (lokation || group) units.push_back(Unit{lokation, vorgang, at, unit_end(cut, at, last)});
    }
  }
  return units;
}

Draft draft_without(const VorgangCut& cut, const std::vector<Unit>& units, const std::vector<bool>& left_out) {
  std::vector<bool> dropped(cut.segments.size(), false);
  for (std::size_t unit = 0; unit < units.size(); ++unit) {
    if (!left_out[unit]) continue;
    for (std::size_t at = units[unit].first; at < units[unit].last; ++at) dropped[at] = true;
  }
  Draft draft;
  draft.reference = cut.segments.back().value;
  draft.vorgaenge = cut.vorgaenge();
  // A unit left out that the column needs is about one fault.
  draft.expected_faults = static_cast<std::size_t>(std::ranges::count(left_out, true));
  for (std::size_t at = 0; at + 1 < cut.segments.size(); ++at) {
    if (!dropped[at]) draft.add(cut.segments[at].text, cut.segments[at].vorgang, at);
  }
  return draft;
}

// The answer goes out as completed, which its column accepts, with what completion made up: a
// watcher hears of it.
std::string untrimmed(const std::string& completed, std::string_view why) {
  support::diag::emit(support::diag::Level::Warn, "quorvane_native::build_answer", "answer left untrimmed",
                      {{"why", std::string(why)}});
  return completed;
}

// The segment node a fault finds missing.
std::optional<NodeIndex> missing_node(const ColumnRef& column, const Rejection& rejection) {
  if (!rejection.rule.ends_with("-MISSING") && !rejection.rule.ends_with("-REQUIRED")) return std::nullopt;
  const auto& index = column.profile->structure().nr_index;
  const auto found = index.find(rejection.nr);
  if (found == index.end()) return std::nullopt;
  return found->second;
}

}  // namespace

py::Expected<std::string> without_made_up(const std::string& completed, const VorgangCut& cut, const AnswerPlan& plan,
                                          const VorgangCut& request, const ColumnRef& column,
                                          std::uint32_t answer_pid, std::uint64_t message_index) {
  if (cut.vorgaenge() != plan.vorgaenge.size()) return untrimmed(completed, "no cut");
  const std::vector<Unit> units = made_up_units(cut, plan, request);
  if (units.empty()) return completed;
  const auto& nodes = column.profile->structure().nodes;
  // Everything made up goes at first, since a made-up Lokation and the group about it stand or
  // fall together; then each Vorgang takes back the groups its column finds missing in it. A
  // group taken back can make its column want another, one a condition of the first names, so
  // taking back repeats: the answers of every Fristen record settle within two rounds, and six
  // leave room for a longer chain without letting a column that never settles run on.
  std::vector<bool> left_out(units.size(), true);
  constexpr std::size_t rounds = 6;
  Judged judged = judge(draft_without(cut, units, left_out), column, answer_pid);
  for (std::size_t round = 0; round < rounds && judged.faulted() && !judged.faulted_message; ++round) {
    bool restored = false;
    for (std::size_t vorgang = 1; vorgang <= cut.vorgaenge(); ++vorgang) {
      for (const Judged::Fault& fault : judged.faults[vorgang]) {
        const auto node = missing_node(column, *fault.rejection);
        const auto* segment = node ? nodes[*node].segment() : nullptr;
        if (segment == nullptr) continue;
        for (std::size_t unit = 0; unit < units.size(); ++unit) {
          const Unit& candidate = units[unit];
          const CutSegment& head = cut.segments[candidate.first];
          if (!left_out[unit] || candidate.lokation || candidate.vorgang != vorgang || head.tag() != segment->tag ||
              !admits_qualifier(column, *node, head.qualifier())) {
            continue;
          }
          left_out[unit] = false;
          restored = true;
        }
      }
    }
    if (!restored) break;
    judged = judge(draft_without(cut, units, left_out), column, answer_pid);
  }
  // The answer as completed is clean: where leaving out upsets the message itself, nothing goes.
  if (judged.faulted_message) return untrimmed(completed, "the message faulted");
  bool fallback = false;
  for (std::size_t vorgang = 1; vorgang <= cut.vorgaenge(); ++vorgang) {
    if (!judged.faulted(vorgang)) continue;
    for (const Judged::Fault& fault : judged.faults[vorgang]) {
      const auto node = missing_node(column, *fault.rejection);
      const auto* segment = node ? nodes[*node].segment() : nullptr;
      if (segment != nullptr && segment->tag == "LOC") {
        return py::value_error(fmt::format(
            "received: message {}, Vorgang {}: the answer must carry a Lokation the request does not name — {}. "
            "build_answer carries only the request's own Lokationen; build such an answer with build_utilmd, the "
            "Vorgang's Lokationen in its `locations` and the request's Vorgangsnummer as reference TN",
            message_index, support::debug_quote(plan.vorgaenge[vorgang - 1].vorgangsnummer),
            fault.rejection->text));
      }
    }
    // What the column wants here is not told by a missing group: the Vorgang keeps all it had.
    for (std::size_t unit = 0; unit < units.size(); ++unit) {
      if (units[unit].vorgang == vorgang) left_out[unit] = false;
    }
    fallback = true;
  }
  const Draft trimmed = draft_without(cut, units, left_out);
  // Each Vorgang was decided alone; the whole is judged once more before it goes out, and where
  // the Vorgänge kept whole upset another, the answer goes out as completed, which is clean.
  if (fallback && judge(trimmed, column, answer_pid).faulted()) {
    return untrimmed(completed, "the Vorgänge kept whole upset another");
  }
  return trimmed.message();
}

py::Expected<std::string> as_answered(const std::string& completed, const std::optional<VorgangCut>& cut,
                                      const AnswerPlan& plan, const VorgangCut& request, const ColumnRef& column,
                                      std::uint32_t answer_pid, const StringPairs& given_dates,
                                      std::uint64_t message_index) {
  if (!cut) return untrimmed(completed, "no cut");
  const auto carried = with_request_values(*cut, request, plan, column, answer_pid, given_dates);
  if (!carried) return without_made_up(completed, *cut, plan, request, column, answer_pid, message_index);
  const auto carried_cut = cut_vorgaenge(*carried);
  if (!carried_cut) return untrimmed(*carried, "no cut");
  return without_made_up(*carried, *carried_cut, plan, request, column, answer_pid, message_index);
}

}  // namespace quorvane_native::edifact::answer

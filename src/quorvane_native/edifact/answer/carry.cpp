#include "quorvane_native/edifact/answer/carry.hpp"

#include <fmt/format.h>

#include <algorithm>
#include <map>
#include <utility>

#include "quorvane_native/edifact/answer/draft.hpp"
#include "quorvane_native/edifact/dtm_in_utc.hpp"
#include "support/diag.hpp"

namespace quorvane_native::edifact::answer {

namespace {

using Unit = std::pair<std::size_t, std::size_t>;  // segments [first, last) of a cut
using Units = std::vector<Unit>;

enum class Source : std::uint8_t { answer, request };

// A request value put in place of completion's unit (`fallback`) or where completion wrote none.
struct Choice {
  std::size_t vorgang = 0;
  std::optional<Unit> fallback;
  bool reverted = false;
};

// A unit of the merged Vorgang: one of either cut as it stands, or a request unit whose inner
// segments are merged with completion's unit of the same key.
struct Node {
  Source source = Source::answer;
  Unit unit;
  std::optional<std::size_t> choice;
  bool merged = false;
  std::vector<Node> children;
};

// Whether a unit of the Vorgang is one completion writes and the request may fill instead: an SG8
// or SG12 group, or a DTM that neither the plan nor an argument wrote.
bool carriable(const CutSegment& segment, const StringPairs& given_dates) {
  if (segment.depth != 0 || segment.vorgang == 0) return false;
  if (segment.tag() == "SEQ" || segment.tag() == "NAD") return true;
  // DTM 92 and 93 are the plan's to carry or refuse, and a date given replaces the request's.
  if (segment.tag() != "DTM" || segment.qualifier() == "92" || segment.qualifier() == "93") return false;
  return std::ranges::none_of(given_dates, [&](const auto& given) { return given.first == segment.qualifier(); });
}

Units units_of(const VorgangCut& cut, std::size_t first, std::size_t last) {
  Units units;
  for (std::size_t at = first; at < last;) {
    const std::size_t end = unit_end(cut, at, last);
    units.emplace_back(at, end);
    at = end;
  }
  return units;
}

class Merger {
 public:
  Merger(const VorgangCut& answer, const VorgangCut& request, const StringPairs& given_dates,
         std::vector<Choice>& choices)
      : answer_(answer), request_(request), given_dates_(given_dates), choices_(choices) {}

  // The units of answer Vorgang `vorgang` after its IDE, merged with request Vorgang `asked`.
  std::vector<Node> vorgang(std::size_t vorgang, std::size_t asked) {
    vorgang_ = vorgang;
    const auto [first, last] = answer_.range(vorgang);
    const auto [asked_first, asked_last] = request_.range(asked);
    return merge(units_of(answer_, first + 1, last), units_of(request_, asked_first + 1, asked_last), true);
  }

 private:
  // Where the Vorgang itself is merged only completion's units are replaced, and only by the
  // request's of the same kind; inside a group every segment is the request's where it has one.
  std::vector<Node> merge(const Units& ours, const Units& theirs, bool top) {
    const auto our_key = [&](std::size_t i) -> const std::string& { return answer_.segments[ours[i].first].key; };
    const auto their_key = [&](std::size_t j) -> const std::string& { return request_.segments[theirs[j].first].key; };
    std::map<std::string_view, std::vector<std::size_t>> ours_by_key;
    for (std::size_t i = 0; i < ours.size(); ++i) {
      if (!top || carriable(answer_.segments[ours[i].first], given_dates_)) ours_by_key[our_key(i)].push_back(i);
    }
    std::vector<std::optional<std::size_t>> paired(ours.size());
    std::vector<std::vector<std::size_t>> inserted(ours.size() + 1);  // before our unit i; the last: at the end
    std::map<std::string_view, std::size_t> seen;
    for (std::size_t j = 0; j < theirs.size(); ++j) {
      if (top && !carriable(request_.segments[theirs[j].first], given_dates_)) continue;
      const auto found = ours_by_key.find(their_key(j));
      const std::size_t nth = seen[their_key(j)]++;
      if (found != ours_by_key.end() && nth < found->second.size()) {
        paired[found->second[nth]] = j;
        continue;
      }
      inserted[slot(ours, theirs, j)].push_back(j);
    }
    std::vector<Node> nodes;
    const auto insert = [&](std::size_t slot_index) {
      for (const std::size_t j : inserted[slot_index]) {
        nodes.push_back(Node{Source::request, theirs[j], add_choice(std::nullopt), false, {}});
      }
    };
    for (std::size_t i = 0; i < ours.size(); ++i) {
      insert(i);
      if (!paired[i]) {
        nodes.push_back(Node{Source::answer, ours[i], std::nullopt, false, {}});
        continue;
      }
      const Unit& mine = ours[i];
      const Unit& asked = theirs[*paired[i]];
      Node node{Source::request, asked, add_choice(mine), true, {}};
      node.children = merge(units_of(answer_, mine.first + 1, mine.second),
                            units_of(request_, asked.first + 1, asked.second), false);
      nodes.push_back(std::move(node));
    }
    insert(ours.size());
    return nodes;
  }

  // Where a unit of the request that the answer lacks goes: after our last unit of the nearest
  // earlier key of theirs that we hold, else before our first of the nearest later one.
  std::size_t slot(const Units& ours, const Units& theirs, std::size_t j) const {
    const auto ours_at = [&](const std::string& key, bool last) -> std::optional<std::size_t> {
      std::optional<std::size_t> found;
      for (std::size_t i = 0; i < ours.size(); ++i) {
        if (answer_.segments[ours[i].first].key != key) continue;
        found = i;
        if (!last) break;
      }
      return found;
    };
    for (std::size_t k = j; k-- > 0;) {
      if (const auto i = ours_at(request_.segments[theirs[k].first].key, true)) return *i + 1;
    }
    for (std::size_t k = j + 1; k < theirs.size(); ++k) {
      if (const auto i = ours_at(request_.segments[theirs[k].first].key, false)) return *i;
    }
    return ours.size();
  }

  std::size_t add_choice(std::optional<Unit> fallback) {
    choices_.push_back(Choice{vorgang_, fallback, false});
    return choices_.size() - 1;
  }

  const VorgangCut& answer_;
  const VorgangCut& request_;
  const StringPairs& given_dates_;
  std::vector<Choice>& choices_;
  std::size_t vorgang_ = 0;
};

// A format-303 date of the request in another zone as the same instant in +00, which is all the
// answer's column takes; empty for any other segment.
std::string in_utc(std::string_view text) {
  constexpr std::string_view tail = ":303'";
  const std::size_t colon = text.find(':');
  if (!text.starts_with("DTM+") || !text.ends_with(tail) || colon + tail.size() > text.size()) return {};
  std::string value;
  for (std::size_t at = colon + 1; at < text.size() - tail.size(); ++at) {
    if (text[at] == '?' && at + 1 < text.size()) ++at;
    value += text[at];
  }
  if (value.ends_with("+00")) return {};
  const auto utc = dtm_in_utc(value);
  if (!utc) return {};
  return fmt::format("{}{}?+00{}", text.substr(0, colon + 1), utc->substr(0, 12), tail);
}

// Draft origins: 0 for a segment no choice put there, else the choice's index plus one. A request
// segment is written as `request_texts` has it, where that is not empty.
void flatten(const std::vector<Node>& nodes, const VorgangCut& answer, const VorgangCut& request,
             const std::vector<std::string>& request_texts, const std::vector<Choice>& choices, std::size_t vorgang,
             std::size_t enclosing, Draft& draft) {
  const auto emit = [&](const VorgangCut& cut, Unit unit, std::size_t origin) {
    for (std::size_t at = unit.first; at < unit.second; ++at) {
      const bool own_text = &cut == &request && !request_texts[at].empty();
      draft.add(own_text ? std::string_view(request_texts[at]) : cut.segments[at].text, vorgang, origin);
    }
  };
  for (const Node& node : nodes) {
    const std::size_t own = node.choice ? *node.choice + 1 : enclosing;
    if (node.choice && choices[*node.choice].reverted) {
      if (const auto& fallback = choices[*node.choice].fallback) emit(answer, *fallback, enclosing);
      continue;
    }
    const VorgangCut& cut = node.source == Source::answer ? answer : request;
    if (!node.merged) {
      emit(cut, node.unit, own);
      continue;
    }
    emit(cut, {node.unit.first, node.unit.first + 1}, own);
    flatten(node.children, answer, request, request_texts, choices, vorgang, own, draft);
  }
}

}  // namespace

bool fills_places(const edi_energy::messages::utilmd::UtilmdMessage& request, const StringPairs& given_dates) {
  const auto carried_date = [&](const edi_energy::messages::segments::Dtm& dtm) {
    return dtm.qualifier != "92" && dtm.qualifier != "93" &&
           std::ranges::none_of(given_dates, [&](const auto& given) { return given.first == dtm.qualifier; });
  };
  return std::ranges::any_of(request.transactions, [&](const auto& transaction) {
    return !transaction.sequences.empty() || !transaction.parties.empty() ||
           std::ranges::any_of(transaction.dtms, carried_date) ||
           std::ranges::any_of(transaction.reference_dtms, carried_date);
  });
}

std::vector<std::optional<std::size_t>> answered_vorgaenge(const VorgangCut& request, const AnswerPlan& plan) {
  std::vector<std::optional<std::size_t>> answered(plan.vorgaenge.size() + 1);
  std::map<std::string_view, std::vector<std::size_t>> by_number;
  for (std::size_t vorgang = 1; vorgang <= request.vorgaenge(); ++vorgang) {
    by_number[request.segments[request.ides[vorgang - 1]].value].push_back(vorgang);
  }
  std::map<std::string_view, std::size_t> seen;
  for (std::size_t at = 0; at < plan.vorgaenge.size(); ++at) {
    const std::string& number = plan.vorgaenge[at].vorgangsnummer;
    const auto found = by_number.find(number);
    const std::size_t nth = seen[number]++;
    if (found != by_number.end() && nth < found->second.size()) answered[at + 1] = found->second[nth];
  }
  return answered;
}

std::optional<std::string> with_request_values(const VorgangCut& answer, const VorgangCut& request,
                                               const AnswerPlan& plan, const ColumnRef& column,
                                               std::uint32_t answer_pid, const StringPairs& given_dates) {
  if (std::ranges::none_of(request.segments, [&](const CutSegment& segment) { return carriable(segment, given_dates); })) {
    return std::nullopt;
  }
  if (answer.vorgaenge() == 0 || answer.vorgaenge() != plan.vorgaenge.size()) return std::nullopt;
  const auto answered = answered_vorgaenge(request, plan);
  std::vector<Choice> choices;
  Merger merger(answer, request, given_dates, choices);
  std::vector<std::vector<Node>> merged(answer.vorgaenge() + 1);
  for (std::size_t vorgang = 1; vorgang <= answer.vorgaenge(); ++vorgang) {
    if (answered[vorgang]) merged[vorgang] = merger.vorgang(vorgang, *answered[vorgang]);
  }
  if (choices.empty()) return std::nullopt;
  std::vector<std::string> request_texts(request.segments.size());
  for (std::size_t at = 0; at < request.segments.size(); ++at) {
    if (request.segments[at].tag() == "DTM") request_texts[at] = in_utc(request.segments[at].text);
  }

  const auto draft_of = [&] {
    Draft draft;
    draft.reference = answer.segments.back().value;
    draft.vorgaenge = answer.vorgaenge();
    const std::size_t head_end = answer.ides.front();
    for (std::size_t at = 0; at < head_end; ++at) draft.add(answer.segments[at].text, 0, 0);
    for (std::size_t vorgang = 1; vorgang <= answer.vorgaenge(); ++vorgang) {
      const auto [first, last] = answer.range(vorgang);
      draft.add(answer.segments[first].text, vorgang, 0);
      if (!answered[vorgang]) {
        for (std::size_t at = first + 1; at < last; ++at) draft.add(answer.segments[at].text, vorgang, 0);
        continue;
      }
      flatten(merged[vorgang], answer, request, request_texts, choices, vorgang, 0, draft);
    }
    return draft;
  };
  // Each round reverts the request values a fault falls on; a fault of a Vorgang that none can be
  // told to reverts that Vorgang's all. A value reverted can uncover the fault of another, so a few
  // rounds go by value, and the last reverts all of every Vorgang still at fault: what stands then
  // is completion's, which its column accepts.
  constexpr std::size_t rounds = 4;
  for (std::size_t round = 0;; ++round) {
    const Draft draft = draft_of();
    const Judged judged = judge(draft, column, answer_pid);
    if (!judged.faulted()) return draft.message();
    if (judged.faulted_message || round == rounds) break;
    bool reverted = false;
    for (std::size_t vorgang = 1; vorgang < judged.faults.size(); ++vorgang) {
      bool told = false;
      for (const Judged::Fault& fault : judged.faults[vorgang]) {
        const std::size_t origin = fault.at ? draft.origin[*fault.at] : 0;
        if (origin == 0 || choices[origin - 1].reverted) continue;
        choices[origin - 1].reverted = true;
        told = reverted = true;
      }
      if ((told && round + 1 < rounds) || !judged.faulted(vorgang)) continue;
      for (Choice& choice : choices) {
        if (choice.vorgang == vorgang && !choice.reverted) choice.reverted = reverted = true;
      }
    }
    if (!reverted) break;
  }
  support::diag::emit(support::diag::Level::Warn, "quorvane_native::build_answer",
                      "request values left out of the answer", {});
  return std::nullopt;
}

}  // namespace quorvane_native::edifact::answer

#include "quorvane_native/edifact/answer/trim.hpp"

#include <fmt/format.h>

#include <algorithm>
#include <map>
#include <optional>
#include <string_view>
#include <vector>

#include "edi_energy/builders/utilmd.hpp"
#include "edi_energy/lokation_reference.hpp"
#include "quorvane_native/edifact/answer/carry.hpp"
#include "quorvane_native/edifact/answer/draft.hpp"
#include "quorvane_native/edifact/answer/lokation_refusal.hpp"
#include "quorvane_native/edifact/answer/past_count.hpp"
#include "quorvane_native/edifact/column_places.hpp"
#include "quorvane_native/edifact/date_argument.hpp"
#include "support/debug_quote.hpp"
#include "support/diag.hpp"

namespace quorvane_native::edifact::answer {

namespace {

using State = Choice::State;

// The answer goes out as completed, which its column accepts, with what completion made up: a
// watcher hears of it.
std::string untrimmed(const std::string& completed, std::string_view why) {
  support::diag::emit(support::diag::Level::Warn, "quorvane_native::build_answer", "answer left untrimmed",
                      {{"why", std::string(why)}});
  return completed;
}

// Whether a unit whose first segment stands at `place` (`head`) fills the place a fault finds
// missing: the same node, or a variant of it that admits the unit's qualifier.
bool fills(const ColumnRef& column, NodeIndex missing, std::optional<NodeIndex> place, const CutSegment& head) {
  if (place == missing) return true;
  const auto* segment = column.profile->structure().nodes[missing].segment();
  return segment != nullptr && head.tag() == segment->tag && admits_qualifier(column, missing, head.qualifier());
}

// The answer's units decided round by round on one judgement of the whole answer each.
class Decision {
 public:
  Decision(Carry& carry, const Places& answer_places, const VorgangCut& request, const Places& request_places,
           const AnswerPlan& plan,
           const ColumnRef& column, std::uint32_t answer_pid, std::uint64_t message_index)
      : carry_(carry),
        answer_places_(answer_places),
        request_(request),
        request_places_(request_places),
        plan_(plan),
        column_(column),
        answer_pid_(answer_pid),
        message_index_(message_index),
        searches_(carry.answer().vorgaenge() + 1),
        dropped_for_(carry.choices.size()) {}

  // The answer, clean; none where the rounds run out or the message itself is at fault.
  py::Expected<std::optional<std::string>> run() {
    const std::size_t count = carry_.answer().vorgaenge();
    // Vorgänge of one shape are decided alike: one of each is decided first, alone, and the others
    // start from its decisions, so that the whole answer is judged about once.
    const std::vector<std::string> shapes = carry_.shapes();
    std::map<std::string_view, std::size_t> first_of;
    std::vector<std::size_t>& like = like_;
    like.assign(count + 1, 0);
    std::vector<bool> firsts(count + 1, false);
    for (std::size_t vorgang = 1; vorgang <= count; ++vorgang) {
      const auto [found, fresh] = first_of.try_emplace(shapes[vorgang], vorgang);
      like[vorgang] = found->second;
      firsts[vorgang] = fresh;
    }
    if (first_of.size() < count) {
      auto probed = rounds(firsts);
      if (!probed) return py::propagate(probed);
      // The whole answer is judged next in any case.
      faulted_message_ = false;
      for (std::size_t vorgang = 1; vorgang <= count; ++vorgang) {
        if (like[vorgang] != vorgang) follow(vorgang, like[vorgang]);
      }
    }
    std::vector<bool> all(count + 1, true);
    all[0] = false;
    auto settled = rounds(all);
    if (!settled) return py::propagate(settled);
    if (!wants_.empty()) return py::value_error(lokation_refused());
    // Where the message itself is at fault, no Vorgang can be told to mend it.
    if (faulted_message_ || (!*settled && !settle())) return std::nullopt;
    // A unit past its place's count stands where one before it went.
    if (*settled) {
      fill_past_counts(carry_.choices, carry_.first_choice,
                       [&](const std::vector<bool>& open) { return at_fault(open); });
    }
    return current(nullptr).message();
  }

 private:
  // Judges the Vorgänge `open` marks, round by round, each round only those still at fault:
  // whether all of them settle.
  py::Expected<bool> rounds(std::vector<bool> open) {
    // A round acts on every Vorgang at fault at once; searching a Vorgang's request values for the
    // one at fault takes a round per halving, so this leaves room for a few such searches.
    constexpr std::size_t limit = 40;
    unsettled_.clear();
    for (std::size_t round = 0; round < limit; ++round) {
      const Judged judged = judge(current(&open), column_, answer_pid_);
      if (judged.faulted_message) {
        faulted_message_ = true;
        return false;
      }
      bool any = false;
      for (std::size_t vorgang = 1; vorgang < open.size(); ++vorgang) {
        if (!open[vorgang]) continue;
        const bool at_fault = judged.faulted(vorgang);
        bool changed = false;
        if (searches_[vorgang].active) {
          // A run is at fault where it draws the fault searched for, not any other a part of the
          // units that stand together draws.
          const std::string& rule = searches_[vorgang].rule;
          changed = search(vorgang, std::ranges::any_of(judged.faults[vorgang], [&](const Judged::Fault& fault) {
                             return fault.rejection->rule == rule;
                           }));
        } else if (at_fault) {
          auto acted = decide(vorgang, judged);
          if (!acted) return py::propagate(acted);
          changed = *acted;
        }
        // A Vorgang at fault that nothing more can be decided for is left to `settle`.
        if (at_fault && !changed) unsettled_.push_back(vorgang);
        open[vorgang] = changed;
        any = any || changed;
      }
      if (!any) return unsettled_.empty();
    }
    for (std::size_t vorgang = 1; vorgang < open.size(); ++vorgang) {
      if (open[vorgang]) unsettled_.push_back(vorgang);
    }
    return false;
  }

  // Vorgang `vorgang` starts from what was decided for `like`, a Vorgang of its shape.
  void follow(std::size_t vorgang, std::size_t like) {
    const auto copy = [](auto& units, const std::vector<std::size_t>& first, std::size_t to, std::size_t from,
                         auto field) {
      for (std::size_t k = 0; k < first[to + 1] - first[to]; ++k) {
        units[first[to] + k].*field = units[first[from] + k].*field;
      }
    };
    copy(carry_.choices, carry_.first_choice, vorgang, like, &Choice::state);
    copy(carry_.choices, carry_.first_choice, vorgang, like, &Choice::count);
    copy(carry_.made_up, carry_.first_made_up, vorgang, like, &MadeUp::kept);
    copy(carry_.made_up, carry_.first_made_up, vorgang, like, &MadeUp::barred);
  }

  // While a Vorgang's faults fall on no unit of its own, its request values are searched for the
  // first that draws them: the shortest run of them, in order, carried alone beside completion's
  // units, that is at fault.
  struct Search {
    bool active = false;
    std::vector<std::size_t> suspects;
    std::size_t clean = 0;    // a run this long is clean
    std::size_t faulted = 0;  // a run this long is at fault
    std::size_t testing = 0;
    std::string why;   // a fault of the Vorgang's, for a refusal
    std::string rule;  // and its rule
  };

  Draft current(const std::vector<bool>* only) {
    Draft draft = carry_.draft(segments_, only);
    draft.expected_faults = static_cast<std::size_t>(
        std::ranges::count_if(carry_.made_up, [](const MadeUp& unit) { return !unit.kept; }));
    // Each Vorgang's segments stand together, after those of the Vorgang before.
    starts_.assign(draft.vorgaenge + 2, draft.texts.size());
    for (std::size_t at = draft.texts.size(); at-- > 0;) {
      if (draft.vorgang[at] != 0) starts_[draft.vorgang[at]] = at;
    }
    for (std::size_t vorgang = draft.vorgaenge; vorgang > 0; --vorgang) {
      starts_[vorgang] = std::min(starts_[vorgang], starts_[vorgang + 1]);
    }
    return draft;
  }

  std::string_view nr_at(std::size_t at) const {
    const auto place = segments_[at].place;
    if (!place) return {};
    const auto* segment = column_.profile->structure().nodes[*place].segment();
    return segment != nullptr ? std::string_view(segment->nr) : std::string_view();
  }

  // What a fault falls on: a request value, or completion's filler (`made_up` from 1), of a
  // draft segment; none for completion's own units.
  bool blamable(std::size_t at) const { return segments_[at].choice != 0 || segments_[at].made_up != 0; }

  // How many segments of the request the unit draft segment `at` stands in holds.
  std::size_t held(std::size_t at) const {
    if (const std::size_t choice = segments_[at].choice; choice != 0) {
      const Unit& unit = carry_.choices[choice - 1].unit;
      return unit.second - unit.first;
    }
    return 0;
  }

  // The units a fault falls on: the one it points at, else those at the place it names (within
  // the unit it points into where that holds one; past its limit for a count), else the one whose
  // unit it points into; none where it names no place of theirs.
  std::vector<std::size_t> blamed(std::size_t vorgang, const Judged::Fault& fault) const {
    const Rejection& rejection = *fault.rejection;
    const auto at = fault.at;
    if (at && blamable(*at) && nr_at(*at) == rejection.nr) return {*at};
    std::vector<std::size_t> found;
    if (!rejection.nr.empty()) {
      const std::size_t top = at ? segments_[*at].top : 0;
      const auto at_place = [&](bool within) {
        std::vector<std::size_t> here;
        for (std::size_t k = starts_[vorgang]; k < starts_[vorgang + 1]; ++k) {
          if ((within && segments_[k].top != top) || nr_at(k) != rejection.nr) continue;
          here.push_back(k);
          if (!rejection.limit && blamable(k)) found.push_back(k);
        }
        if (!rejection.limit || here.size() <= *rejection.limit) return;
        // Past the limit, the copies that hold least of the request's go, the last first among equals:
        // a group head the request repeats with nothing in it goes, not its copy with the values.
        const std::size_t over = here.size() - *rejection.limit;
        std::erase_if(here, [&](std::size_t k) { return !blamable(k); });
        std::ranges::stable_sort(here, [&](std::size_t a, std::size_t b) {
          return std::pair(held(a), b) < std::pair(held(b), a);
        });
        found.assign(here.begin(), here.begin() + static_cast<std::ptrdiff_t>(std::min(over, here.size())));
      };
      if (top != 0) at_place(true);
      // What is missing in one unit is not the fault of a unit elsewhere at that place.
      if (found.empty() && !missing_node(column_, rejection)) at_place(false);
    }
    if (found.empty() && !missing_node(column_, rejection) && at && blamable(*at)) found.push_back(*at);
    return found;
  }

  // Takes away the unit draft segment `at` stands in: whether it stood.
  bool drop(std::size_t at, const Rejection& why) {
    if (const std::size_t choice = segments_[at].choice; choice != 0) {
      Choice& own = carry_.choices[choice - 1];
      if (own.state == State::dropped || own.state == State::past_count) return false;
      // A unit past the count at its own place stands again only where one there goes.
      if (why.limit && own.place && nr_of(column_, *own.place) == why.nr) {
        own.state = State::past_count;
        own.count = *why.limit;
        return true;
      }
      own.state = State::dropped;
      if (dropped_for_[choice - 1].empty()) dropped_for_[choice - 1] = why.text;
      return true;
    }
    MadeUp& unit = carry_.made_up[segments_[at].made_up - 1];
    if (unit.barred) return false;
    unit.kept = false;
    unit.barred = true;
    return true;
  }

  // Acts on a Vorgang's faults: a missing unit completion made up is taken back, and a missing
  // place whose request value went refuses the call; where nothing is taken back, the units the
  // faults fall on go (what is taken back can lift a fault's condition, so they wait a round).
  py::Expected<bool> decide(std::size_t vorgang, const Judged& judged) {
    bool taken = false;
    std::vector<std::pair<std::size_t, const Rejection*>> falls_on;
    for (const Judged::Fault& fault : judged.faults[vorgang]) {
      const auto units = blamed(vorgang, fault);
      for (const std::size_t at : units) falls_on.emplace_back(at, fault.rejection);
      if (!units.empty()) continue;
      const auto missing = missing_node(column_, *fault.rejection);
      if (!missing) continue;
      auto took = take_back(vorgang, *missing, *fault.rejection);
      if (!took) return py::propagate(took);
      taken = taken || *took;
      // A request group that lacks what nothing can fill in is at fault itself.
      if (!*took && fault.at && segments_[*fault.at].top != 0 && segments_[*fault.at].choice != 0) {
        falls_on.emplace_back(*fault.at, fault.rejection);
      }
    }
    if (taken) return true;
    // The request's values go before completion's fillers, whose faults they may have drawn.
    for (const bool request_values : {true, false}) {
      bool acted = false;
      for (const auto& [at, why] : falls_on) {
        if ((segments_[at].choice != 0) == request_values) acted = drop(at, *why) || acted;
      }
      if (acted) return true;
    }
    return start_search(vorgang, *judged.faults[vorgang].front().rejection);
  }

  // Takes back what completion made up at a missing place; refuses a missing Lokation or a place
  // whose request value went.
  py::Expected<bool> take_back(std::size_t vorgang, NodeIndex missing, const Rejection& why) {
    const VorgangCut& answer = carry_.answer();
    const auto* segment = column_.profile->structure().nodes[missing].segment();
    const std::string_view number = plan_.vorgaenge[vorgang - 1].vorgangsnummer;
    // Completion's Lokation stands in until all the answer needs are known, for the refusal to name.
    const bool lokation = segment != nullptr && segment->tag == "LOC";
    // A Lokation named only in a reference takes the place of completion's, whose ID then gives way to it.
    std::string_view form;  // of completion's ID there
    bool taken = false;
    for (std::size_t k = carry_.first_made_up[vorgang]; k < carry_.first_made_up[vorgang + 1]; ++k) {
      MadeUp& unit = carry_.made_up[k];
      if (unit.kept || unit.barred || unit.lokation != lokation) continue;
      if (!fills(column_, missing, answer_places_[unit.unit.first], answer.segments[unit.unit.first])) continue;
      unit.kept = taken = true;
      if (lokation && form.empty()) form = edi_energy::lokation_reference::lokation_form(answer.segments[unit.unit.first].value);
    }
    if (lokation) {
      std::string qualifier = lokation_qualifier(column_, missing);
      if (!names_unwritten_lokation(plan_.vorgaenge[vorgang - 1], qualifier)) {
        wants_[vorgang].push_back(LokationWant{std::move(qualifier), why.text, form});
      }
    }
    if (taken || lokation) return taken;
    for (std::size_t choice = carry_.first_choice[vorgang]; choice < carry_.first_choice[vorgang + 1]; ++choice) {
      const Choice& own = carry_.choices[choice];
      if (own.state != State::dropped) continue;
      // A unit only the request has fills the place as its own segment would.
      const bool filled = own.fallback ? fills(column_, missing, answer_places_[own.fallback->first],
                                               answer.segments[own.fallback->first])
                                       : fills(column_, missing, request_places_[own.unit.first],
                                               request_.segments[own.unit.first]);
      if (!filled) continue;
      const std::string_view text = request_.segments[own.unit.first].text;
      const std::string_view given = text.substr(0, text.size() - 1);
      const std::string qualifier(request_.segments[own.unit.first].qualifier());
      std::string advice;
      if (text.starts_with("DTM+")) {
        // Completion wrote the place in a format it takes; the builder writes one where it did not.
        const std::string_view written = own.fallback ? answer.segments[own.fallback->first].text : "";
        const std::size_t colon = written.rfind(':');
        const std::string_view format = colon == std::string_view::npos
                                            ? std::string_view(edi_energy::builders::utilmd::date_format(qualifier))
                                            : written.substr(colon + 1, written.size() - colon - 2);
        const std::string_view form = format.empty() ? std::string_view() : date_form(format);
        advice = fmt::format("; give the date as process_dates=[(\"{}\", \"{}\")]", qualifier,
                             form.empty() ? "…" : form);
      }
      return py::value_error(fmt::format(
          "received: message {}, Vorgang {}: the answer must carry {}+{}, which the request gives as {}, in a form "
          "the answer's column rejects — {}{}",
          message_index_, support::debug_quote(number), text.substr(0, 3), qualifier, support::debug_quote(given),
          dropped_for_[choice], advice));
    }
    return false;
  }

  // A Vorgang at fault where no fault falls on a unit: its request values are searched, from none
  // of them carried on.
  bool start_search(std::size_t vorgang, const Rejection& why) {
    Search& search = searches_[vorgang];
    search = Search{};
    search.why = why.text;
    search.rule = why.rule;
    for (std::size_t choice = carry_.first_choice[vorgang]; choice < carry_.first_choice[vorgang + 1]; ++choice) {
      if (carry_.choices[choice].state == State::carried) search.suspects.push_back(choice);
    }
    search.faulted = search.suspects.size();
    if (search.suspects.empty()) return keep_made_up(vorgang);
    search.active = true;
    try_run(vorgang, 0);
    return true;
  }

  void try_run(std::size_t vorgang, std::size_t length) {
    Search& search = searches_[vorgang];
    search.testing = length;
    for (std::size_t k = 0; k < search.suspects.size(); ++k) {
      carry_.choices[search.suspects[k]].state = k < length ? State::carried : State::reverted;
    }
  }

  bool search(std::size_t vorgang, bool at_fault) {
    Search& search = searches_[vorgang];
    if (search.testing == 0 && at_fault) {
      // Completion's own units are at fault here: what it made up and left out is wanted after all.
      try_run(vorgang, search.suspects.size());
      search.active = false;
      return keep_made_up(vorgang);
    }
    (at_fault ? search.faulted : search.clean) = search.testing;
    if (search.faulted - search.clean > 1) {
      try_run(vorgang, search.clean + (search.faulted - search.clean) / 2);
      return true;
    }
    try_run(vorgang, search.suspects.size());
    search.active = false;
    const std::size_t culprit = search.suspects[search.faulted - 1];
    carry_.choices[culprit].state = State::dropped;
    if (dropped_for_[culprit].empty()) dropped_for_[culprit] = search.why;
    return true;
  }

  // Every Vorgang has a route, so that either call answers the whole request.
  std::string lokation_refused() {
    // A Vorgang decided after one of its shape lacks what that one lacks.
    for (std::size_t vorgang = 1; vorgang < like_.size(); ++vorgang) {
      const auto led = like_[vorgang] != vorgang ? wants_.find(like_[vorgang]) : wants_.end();
      if (led == wants_.end()) continue;
      std::vector<LokationWant>& own = wants_[vorgang];
      own.insert(own.end(), led->second.begin(), led->second.end());
    }
    const Draft draft = current(nullptr);
    std::vector<LokationRoute> routes;
    for (std::size_t vorgang = 1; vorgang <= plan_.vorgaenge.size(); ++vorgang) {
      LokationRoute& route = routes.emplace_back(
          LokationRoute{message_index_, answer_pid_, &column_, &plan_, &plan_.vorgaenge[vorgang - 1], {}, {}});
      if (const auto own = wants_.find(vorgang); own != wants_.end()) route.wants = once_each(std::move(own->second));
    }
    for (std::size_t at = 0; at < draft.texts.size(); ++at) {
      const std::size_t vorgang = draft.vorgang[at];
      if (vorgang >= 1 && vorgang <= routes.size() && segments_[at].made_up == 0) {
        routes[vorgang - 1].segments.push_back(draft.texts[at]);
      }
    }
    return lokation_refusal(routes);
  }

  bool keep_made_up(std::size_t vorgang) {
    bool kept = false;
    for (std::size_t k = carry_.first_made_up[vorgang]; k < carry_.first_made_up[vorgang + 1]; ++k) {
      MadeUp& unit = carry_.made_up[k];
      if (unit.kept || unit.barred) continue;
      unit.kept = kept = true;
    }
    return kept;
  }

  // A Vorgang whose faults did not settle is answered as completed, which its column accepts;
  // the others keep what was decided for them. Whether the answer is then clean.
  bool settle() {
    std::vector<bool> open(carry_.answer().vorgaenge() + 1, false);
    for (const std::size_t vorgang : unsettled_) {
      open[vorgang] = true;
      for (std::size_t k = carry_.first_choice[vorgang]; k < carry_.first_choice[vorgang + 1]; ++k) {
        carry_.choices[k].state = State::reverted;
      }
      for (std::size_t k = carry_.first_made_up[vorgang]; k < carry_.first_made_up[vorgang + 1]; ++k) {
        carry_.made_up[k].kept = true;
      }
    }
    if (judge(current(&open), column_, answer_pid_).faulted()) return false;
    support::diag::emit(support::diag::Level::Warn, "quorvane_native::build_answer",
                        "request values left out of the answer", {});
    return true;
  }

  // Per Vorgang, whether it is at fault in the draft of the Vorgänge `open` marks.
  std::vector<bool> at_fault(const std::vector<bool>& open) {
    const Judged judged = judge(current(&open), column_, answer_pid_);
    std::vector<bool> faulted(open.size(), false);
    for (std::size_t vorgang = 1; vorgang < open.size(); ++vorgang) {
      faulted[vorgang] = open[vorgang] && (judged.faulted_message || judged.faulted(vorgang));
    }
    return faulted;
  }

  Carry& carry_;
  const Places& answer_places_;
  const VorgangCut& request_;
  const Places& request_places_;
  const AnswerPlan& plan_;
  const ColumnRef& column_;
  std::uint32_t answer_pid_;
  std::uint64_t message_index_;
  std::vector<Search> searches_;
  std::vector<std::string> dropped_for_;  // the fault a dropped choice went for
  std::vector<DraftSegment> segments_;    // of the draft last judged
  std::vector<std::size_t> unsettled_;  // Vorgänge left to `settle`
  LokationWants wants_;  // per Vorgang: the Lokationen it lacks
  std::vector<std::size_t> like_;  // per Vorgang: the first of its shape, whose decisions it follows
  bool faulted_message_ = false;
  std::vector<std::size_t> starts_;  // where each Vorgang of that draft starts (from 1), and its end
};

}  // namespace

py::Expected<std::string> as_answered(const std::string& completed, const std::optional<VorgangCut>& cut,
                                      const AnswerPlan& plan, const VorgangCut& request, const Places& request_places,
                                      const ColumnRef& column,
                                      std::uint32_t answer_pid, const StringPairs& given_dates,
                                      std::uint64_t message_index) {
  if (!cut || cut->vorgaenge() != plan.vorgaenge.size()) return untrimmed(completed, "no cut");
  const Places answer_places = places_of(*cut, column);
  // Places that do not match the request's segments are none.
  const Places none(request.segments.size());
  const Places& asked = request_places.size() == request.segments.size() ? request_places : none;
  Carry carry(*cut, answer_places, request, asked, plan, given_dates, column);
  if (carry.choices.empty() && carry.made_up.empty()) return completed;
  auto decided = Decision(carry, answer_places, request, asked, plan, column, answer_pid, message_index).run();
  if (!decided) return py::propagate(decided);
  if (!*decided) return untrimmed(completed, "the answer's faults did not settle");
  return std::move(**decided);
}

}  // namespace quorvane_native::edifact::answer

#include "quorvane_native/edifact/answer/carry.hpp"

#include <fmt/format.h>

#include <algorithm>
#include <map>
#include <set>
#include <string_view>
#include <utility>

#include "edifact/parse/from_bytes.hpp"
#include "quorvane_native/edifact/answer/echo.hpp"
#include "quorvane_native/edifact/answer/group_order.hpp"
#include "quorvane_native/edifact/answer/past_count.hpp"
#include "quorvane_native/edifact/column_places.hpp"
#include "quorvane_native/edifact/dtm_in_utc.hpp"

namespace quorvane_native::edifact::answer {

namespace {

std::vector<Unit> units_of(const VorgangCut& cut, std::size_t first, std::size_t last) {
  std::vector<Unit> units;
  for (std::size_t at = first; at < last;) {
    const std::size_t end = unit_end(cut, at, last);
    units.emplace_back(at, end);
    at = end;
  }
  return units;
}

// A format-303 date of the request in another zone as the same instant in +00, which is all the
// answer's column takes; empty for any other segment.
std::string in_utc(std::string_view text) {
  const auto dtm = dtm_text(text);
  if (!dtm || dtm->format != "303" || dtm->value.ends_with("+00")) return {};
  const auto utc = dtm_in_utc(dtm->value);
  if (!utc) return {};
  return fmt::format("{}{}?+00:303'", text.substr(0, text.find(':') + 1), utc->substr(0, 12));
}

bool named_by_request(const AnswerPlan& plan, std::size_t vorgang, const CutSegment& loc) {
  return std::ranges::any_of(plan.vorgaenge[vorgang - 1].echoes, [&](const Echo& echo) {
    return echo.kept && echo.tag == "LOC" && echo.qualifier == loc.qualifier() && echo.value == loc.value;
  });
}

bool is_group(const CutSegment& segment) { return segment.tag() == "SEQ" || segment.tag() == "NAD"; }

}  // namespace

bool carries_date(std::string_view qualifier, const StringPairs& given_dates) {
  return qualifier != "92" && qualifier != "93" &&
         std::ranges::none_of(given_dates, [&](const auto& given) { return given.first == qualifier; });
}

bool fills_places(const edi_energy::messages::utilmd::UtilmdMessage& request, const StringPairs& given_dates,
                  const ColumnRef& column) {
  std::map<std::string, bool, std::less<>> asked;
  const auto placed = [&](std::string_view tag, std::string_view qualifier) {
    const auto [found, fresh] = asked.try_emplace(fmt::format("{}+{}", tag, qualifier), false);
    if (fresh) found->second = uses_qualifier(column, tag, qualifier);
    return found->second;
  };
  const auto carried = [&](const edi_energy::messages::segments::Dtm& dtm) {
    return carries_date(dtm.qualifier, given_dates) && placed("DTM", dtm.qualifier);
  };
  return std::ranges::any_of(request.transactions, [&](const auto& transaction) {
    return std::ranges::any_of(transaction.sequences,
                               [&](const auto& group) { return placed("SEQ", group.seq.action.value_or("")); }) ||
           std::ranges::any_of(transaction.parties,
                               [&](const auto& party) { return placed("NAD", party.nad.qualifier); }) ||
           std::ranges::any_of(transaction.dtms, carried) || std::ranges::any_of(transaction.reference_dtms, carried);
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

Places places_of(const VorgangCut& cut, const ColumnRef& column) {
  Places places(cut.segments.size());
  if (cut.segments.empty()) return places;
  // The cut's texts are views of one message, in order.
  const char* begin = cut.segments.front().text.data();
  const char* end = cut.segments.back().text.data() + cut.segments.back().text.size();
  std::vector<::edifact::model::Segment> segments;
  segments.reserve(cut.segments.size());
  auto parsed = ::edifact::from_bytes_with_config(std::string_view(begin, static_cast<std::size_t>(end - begin)),
                                                  ::edifact::ParserConfig{});
  while (auto item = parsed.next()) {
    if (!*item) return places;
    segments.push_back(std::move(**item));
  }
  if (segments.size() != cut.segments.size()) return places;
  return places_of(segments, column);
}

Places places_of(std::span<const ::edifact::model::Segment> segments, const ColumnRef& column) {
  const auto& structure = column.profile->structure();
  auto resolution = structure.resolve(segments);
  // A group written after one the MIG puts later is read where the MIG puts it, with all it holds,
  // and a group of a code no group lists not at all, where that places more of the rest.
  if (const auto order = group_order(segments, resolution, structure); !order.empty()) {
    std::vector<::edifact::model::Segment> in_order;
    in_order.reserve(order.size());
    std::vector<bool> read(segments.size(), false);
    for (const std::size_t at : order) {
      in_order.push_back(segments[at]);
      read[at] = true;
    }
    const auto again = structure.resolve(in_order);
    const auto unplaced = std::ranges::count_if(resolution.unplaced, [&](std::size_t at) { return read[at]; });
    if (std::cmp_less(again.unplaced.size(), unplaced)) {
      for (std::size_t at = 0; at < segments.size(); ++at) {
        if (!read[at]) resolution.placements[at].reset();
      }
      for (std::size_t k = 0; k < order.size(); ++k) resolution.placements[order[k]] = again.placements[k];
    }
  }
  Places places(segments.size());
  for (std::size_t at = 0; at < places.size(); ++at) {
    if (resolution.placements[at]) places[at] = resolution.placements[at]->node;
  }
  return places;
}

Carry::Carry(const VorgangCut& answer, const Places& answer_places, const VorgangCut& request,
             const Places& request_places, const AnswerPlan& plan, const StringPairs& given_dates,
             const ColumnRef& column)
    : answer_(answer),
      answer_places_(answer_places),
      request_(request),
      request_places_(request_places),
      plan_(plan),
      given_dates_(given_dates),
      column_(column),
      used_(column.profile->structure().nodes.size(), -1),
      request_texts_(request.segments.size()),
      vorgaenge_(answer.vorgaenge() + 1) {
  for (std::size_t at = 0; at < request.segments.size(); ++at) {
    if (request.segments[at].tag() == "DTM") request_texts_[at] = in_utc(request.segments[at].text);
  }
  const auto answered = request.vorgaenge() > 0 ? answered_vorgaenge(request, plan)
                                                : std::vector<std::optional<std::size_t>>(answer.vorgaenge() + 1);
  first_choice.assign(answer.vorgaenge() + 2, 0);
  first_made_up.assign(answer.vorgaenge() + 2, 0);
  for (std::size_t vorgang = 1; vorgang <= answer.vorgaenge(); ++vorgang) {
    first_choice[vorgang] = choices.size();
    first_made_up[vorgang] = made_up.size();
    const auto [first, last] = answer.range(vorgang);
    std::vector<Unit> theirs;
    if (vorgang < answered.size() && answered[vorgang]) {
      const auto [asked_first, asked_last] = request.range(*answered[vorgang]);
      theirs = units_of(request, asked_first + 1, asked_last);
    }
    vorgaenge_[vorgang] = merge(vorgang, units_of(answer, first + 1, last), theirs, true, std::nullopt);
    leave_past_counts(choices, first_choice[vorgang], choices.size(), column);
  }
  first_choice[answer.vorgaenge() + 1] = choices.size();
  first_made_up[answer.vorgaenge() + 1] = made_up.size();
}

bool Carry::used(NodeIndex place) {
  if (used_[place] < 0) used_[place] = column_uses(column_, nr_of(column_, place)) ? 1 : 0;
  return used_[place] == 1;
}

// Where the Vorgang itself is merged, only completion's groups and the dates the answer carries
// are replaced; inside a group every unit is the request's where it has one at that place.
std::vector<Carry::Node> Carry::merge(std::size_t vorgang, const std::vector<Unit>& ours,
                                      const std::vector<Unit>& theirs, bool top, std::optional<std::size_t> parent) {
  // Of the Vorgang's own segments, a status other than the Transaktionsgrund and the answer's own,
  // and a date the plan does not confirm: a DTM 92 or 93 only where the plan left it out, to be
  // tried beside the units it may stand only with.
  const auto carried = [&](const CutSegment& segment) {
    if (!top || is_group(segment)) return true;
    const std::string_view qualifier = segment.qualifier();
    if (segment.tag() == "STS") return qualifier != "7" && qualifier != "E01";
    if (segment.tag() != "DTM") return false;
    if (carries_date(qualifier, given_dates_)) return true;
    // One in another format than the answer takes is the plan's to refuse.
    return (qualifier == "92" || qualifier == "93") && segment.text.ends_with(":303'") &&
           !confirms_date(plan_.vorgaenge[vorgang - 1], qualifier) &&
           std::ranges::none_of(given_dates_, [&](const auto& given) { return given.first == qualifier; });
  };
  // A group and a date of the Vorgang are of their qualifier's kind, which a MIG may write at one
  // place; inside a group another code at the same place replaces completion's, one of the same
  // code first.
  std::vector<std::optional<std::size_t>> paired(ours.size());
  std::vector<bool> taken(ours.size(), false);
  std::vector<bool> placed(theirs.size(), false);
  // A unit the MIG resolves no place for stands where another of its key does: a copy past the
  // count the reader follows is still the request's, to stand where one at its place goes.
  std::vector<std::optional<NodeIndex>> places(theirs.size());
  std::map<std::string_view, NodeIndex> first_placed;  // per key, so that copies cost no search each
  for (const Unit& unit : theirs) {
    const auto place = request_places_[unit.first];
    if (place) first_placed.try_emplace(request_.segments[unit.first].key, *place);
  }
  for (std::size_t j = 0; j < theirs.size(); ++j) {
    places[j] = request_places_[theirs[j].first];
    const CutSegment& head = request_.segments[theirs[j].first];
    if (const auto found = first_placed.find(head.key); !places[j] && found != first_placed.end()) {
      places[j] = found->second;
    }
    // A date of the Vorgang written out of order goes where the MIG puts its qualifier.
    if (!places[j] && top && head.tag() == "DTM") places[j] = vorgang_date_node(column_, head.qualifier());
  }
  // A head the request writes twice, once with nothing under it and once with its values, is one
  // unit: the bare copy adds nothing but room for completion's samples.
  std::set<std::string_view> heads_with_values;
  for (const Unit& unit : theirs) {
    if (unit.second - unit.first > 1) heads_with_values.insert(request_.segments[unit.first].text);
  }
  for (std::size_t j = 0; j < theirs.size(); ++j) {
    if (theirs[j].second - theirs[j].first != 1) continue;
    placed[j] = heads_with_values.contains(request_.segments[theirs[j].first].text);
  }
  // First by place and key, then inside a group by place alone; last by key alone, for a unit
  // that stands at no place or, being a date of the Vorgang, out of order: it stands in completion's
  // unit of its key for the column to judge, never silently replaced by a sample.
  enum class Pass : std::uint8_t { place_and_key, place, key };
  for (const Pass pass : {Pass::place_and_key, Pass::place, Pass::key}) {
    if (top && pass == Pass::place) continue;
    for (std::size_t j = 0; j < theirs.size(); ++j) {
      const CutSegment& head = request_.segments[theirs[j].first];
      const auto place = places[j];
      const bool date = top && head.tag() == "DTM" && carries_date(head.qualifier(), given_dates_);
      if (placed[j] || !carried(head)) continue;
      if (pass == Pass::key ? !date && (place || top) : !place) continue;
      for (std::size_t i = 0; i < ours.size(); ++i) {
        const CutSegment& mine = answer_.segments[ours[i].first];
        if (taken[i] || !carried(mine)) continue;
        if (pass != Pass::key && answer_places_[ours[i].first] != place) continue;
        if (pass != Pass::place && mine.key != head.key) continue;
        paired[i] = j;
        taken[i] = placed[j] = true;
        break;
      }
    }
  }
  // Request units only the request has, by the place they go before (ours.size(): at the end).
  std::vector<std::vector<std::size_t>> inserted(ours.size() + 1);
  // A group the request repeats takes its inner units from completion's group of its kind, which
  // its first copy replaces: each copy gets the fillers the column asks of the group.
  std::vector<std::optional<std::size_t>> like(theirs.size());
  for (std::size_t j = 0; j < theirs.size(); ++j) {
    const auto place = places[j];
    // A segment the MIG has no place for, or the column none, cannot stand in the answer either.
    const CutSegment& head = request_.segments[theirs[j].first];
    if (placed[j] || !place || !carried(head) || !used(*place) ||
        (!head.qualifier().empty() && !admits_qualifier(column_, *place, head.qualifier()))) {
      continue;
    }
    if (top && is_group(head)) {
      for (std::size_t i = 0; i < ours.size() && !like[j]; ++i) {
        const CutSegment& mine = answer_.segments[ours[i].first];
        if (taken[i] && answer_places_[ours[i].first] == place && mine.key == head.key) like[j] = i;
      }
    }
    // The MIG's order is its nodes' order: the unit goes before our first unit of a later place.
    std::size_t before = ours.size();
    for (std::size_t i = 0; i < ours.size(); ++i) {
      const auto our_place = answer_places_[ours[i].first];
      if (our_place && *our_place > *place) {
        before = i;
        break;
      }
    }
    inserted[before].push_back(j);
  }
  std::vector<Node> nodes;
  const auto add_choice = [&](Unit unit, std::optional<Unit> fallback) {
    choices.push_back(Choice{vorgang, unit, fallback, parent, Choice::State::carried, std::nullopt, false, 0});
    return choices.size() - 1;
  };
  const auto insert = [&](std::size_t before) {
    for (const std::size_t j : inserted[before]) {
      Node node{Node::Kind::request, theirs[j], add_choice(theirs[j], std::nullopt), like[j].has_value(), {}};
      choices[node.index].place = places[j];
      choices[node.index].unplaced = !request_places_[theirs[j].first];
      if (node.merged) {
        const Unit& mine = ours[*like[j]];
        node.children = merge(vorgang, units_of(answer_, mine.first + 1, mine.second),
                              units_of(request_, theirs[j].first + 1, theirs[j].second), false, node.index);
      }
      nodes.push_back(std::move(node));
    }
  };
  for (std::size_t i = 0; i < ours.size(); ++i) {
    insert(i);
    const Unit& mine = ours[i];
    if (!paired[i]) {
      const CutSegment& head = answer_.segments[mine.first];
      const bool lokation = top && head.tag() == "LOC" && !named_by_request(plan_, vorgang, head);
      const bool filler = parent.has_value() || (top && head.tag() == "DTM" && carried(head));
      if (lokation || (top && is_group(head)) || filler) {
        made_up.push_back(MadeUp{vorgang, mine, lokation, filler, false});
        nodes.push_back(Node{Node::Kind::made_up, mine, made_up.size() - 1, false, {}});
      } else {
        nodes.push_back(Node{Node::Kind::answer, mine, 0, false, {}});
      }
      continue;
    }
    const Unit& asked = theirs[*paired[i]];
    const std::size_t choice = add_choice(asked, mine);
    choices[choice].place = places[*paired[i]];
    Node node{Node::Kind::request, asked, choice, asked.second - asked.first > 1 || mine.second - mine.first > 1, {}};
    if (node.merged) {
      node.children = merge(vorgang, units_of(answer_, mine.first + 1, mine.second),
                            units_of(request_, asked.first + 1, asked.second), false, choice);
    }
    nodes.push_back(std::move(node));
  }
  insert(ours.size());
  return nodes;
}

void Carry::emit(const std::vector<Node>& nodes, std::size_t vorgang, std::size_t choice, std::size_t& top,
                 bool outer, Draft& draft, std::vector<DraftSegment>& segments) const {
  const auto add = [&](const VorgangCut& cut, const Places& places, std::size_t at, std::size_t from,
                       std::size_t made = 0) {
    const bool own_text = &cut == &request_ && !request_texts_[at].empty();
    draft.add(own_text ? std::string_view(request_texts_[at]) : cut.segments[at].text, vorgang, draft.texts.size());
    segments.push_back(DraftSegment{places[at], from, top, made});
  };
  const auto add_unit = [&](const VorgangCut& cut, const Places& places, Unit unit, std::size_t from,
                            std::size_t made = 0) {
    for (std::size_t at = unit.first; at < unit.second; ++at) add(cut, places, at, from, made);
  };
  for (const Node& node : nodes) {
    if (outer) ++top;
    switch (node.kind) {
      case Node::Kind::answer:
        add_unit(answer_, answer_places_, node.unit, choice);
        break;
      case Node::Kind::made_up:
        // A filler stands in its request group as completion's, not as the group's request value.
        if (made_up[node.index].kept) add_unit(answer_, answer_places_, node.unit, 0, node.index + 1);
        break;
      case Node::Kind::request: {
        const Choice& own = choices[node.index];
        if (own.state == Choice::State::dropped || own.state == Choice::State::past_count) break;
        if (own.state == Choice::State::reverted) {
          if (own.fallback) add_unit(answer_, answer_places_, *own.fallback, choice);
          break;
        }
        if (!node.merged) {
          add_unit(request_, request_places_, node.unit, node.index + 1);
          break;
        }
        add(request_, request_places_, node.unit.first, node.index + 1);
        emit(node.children, vorgang, node.index + 1, top, false, draft, segments);
        break;
      }
    }
  }
}

Draft Carry::draft(std::vector<DraftSegment>& segments, const std::vector<bool>* only) const {
  segments.clear();
  Draft draft;
  draft.reference = answer_.segments.back().value;
  draft.vorgaenge = answer_.vorgaenge();
  const std::size_t head_end = answer_.vorgaenge() > 0 ? answer_.ides.front() : answer_.segments.size() - 1;
  for (std::size_t at = 0; at < head_end; ++at) {
    draft.add(answer_.segments[at].text, 0, at);
    segments.push_back(DraftSegment{answer_places_[at], 0, 0});
  }
  for (std::size_t vorgang = 1; vorgang <= answer_.vorgaenge(); ++vorgang) {
    if (only != nullptr && !(*only)[vorgang]) continue;
    const std::size_t ide = answer_.range(vorgang).first;
    draft.add(answer_.segments[ide].text, vorgang, draft.texts.size());
    segments.push_back(DraftSegment{answer_places_[ide], 0, 0});
    std::size_t top = 0;
    emit(vorgaenge_[vorgang], vorgang, 0, top, true, draft, segments);
  }
  return draft;
}

std::vector<std::string> Carry::shapes() {
  // The shape is read with every unit standing; what was decided so far stands again after.
  const std::vector<Choice> decided_choices = choices;
  const std::vector<MadeUp> decided_made_up = made_up;
  for (Choice& choice : choices) choice.state = Choice::State::carried;
  for (MadeUp& unit : made_up) unit.kept = !unit.barred;
  std::vector<DraftSegment> segments;
  const Draft draft = this->draft(segments);
  choices = decided_choices;
  made_up = decided_made_up;
  std::vector<std::string> shapes(answer_.vorgaenge() + 1);
  for (std::size_t at = 0; at < draft.texts.size(); ++at) {
    const std::size_t vorgang = draft.vorgang[at];
    if (vorgang == 0) continue;
    const std::string_view text = draft.texts[at];
    std::string& shape = shapes[vorgang];
    // The IDs differ from Vorgang to Vorgang where nothing else does.
    if (text.starts_with("IDE") || text.starts_with("LOC") || text.starts_with("RFF")) {
      shape += text.substr(0, std::min(text.find(':', 4), text.find('+', 4)));
    } else {
      shape += text;
    }
    shape += segments[at].choice != 0 ? 'r' : segments[at].made_up != 0 ? 'm' : 'a';
  }
  return shapes;
}

}  // namespace quorvane_native::edifact::answer

#include "quorvane_native/edifact/answer/lokation_ids.hpp"

#include <fmt/format.h>

#include <algorithm>
#include <array>
#include <functional>
#include <optional>
#include <span>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

#include "edi_energy/lokation_reference.hpp"
#include "quorvane_native/edifact/answer/carry.hpp"
#include "quorvane_native/edifact/answer/draft.hpp"
#include "quorvane_native/edifact/answer/lokation_refusal.hpp"
#include "quorvane_native/edifact/column_places.hpp"
#include "support/debug_quote.hpp"

namespace quorvane_native::edifact::answer {

namespace {

using edi_energy::lokation_reference::form_of;
using edi_energy::lokation_reference::referenced;
using edi_energy::lokation_reference::Shape;
using edi_energy::lokation_reference::shape_of;

// Where a component stands in a segment text: [first, first + size).
struct Span {
  std::size_t first = 0;
  std::size_t size = 0;
  std::size_t element = 0;
  std::size_t component = 0;
};

std::vector<Span> components_of(std::string_view text) {
  std::vector<Span> spans(1);
  for (std::size_t at = 0; at < text.size() && text[at] != '\''; ++at) {
    const char c = text[at];
    if (c == '+' || c == ':') {
      const Span& last = spans.back();
      spans.push_back(Span{at + 1, 0, last.element + (c == '+' ? 1 : 0), c == '+' ? 0 : last.component + 1});
    } else {
      spans.back().size += c == '?' ? 2 : 1;
      if (c == '?') ++at;
    }
  }
  return spans;
}

// A Lokation ID of the answer: where it stands, and the Lokationen it may be the ID of.
struct Slot {
  std::size_t segment = 0;  // in the answer's cut
  Span span;
  Shape shape = Shape::none;
  std::vector<std::string_view> kinds;  // LOC DE 3227 codes, the likeliest first
  std::vector<std::string> candidates;  // the request's IDs of its shape, the likeliest first
  std::size_t tried = 0;
};

std::optional<Span> id_span(const CutSegment& segment) {
  const std::string_view text = segment.text;
  const auto spans = components_of(text);
  const auto at = [&](std::size_t element, std::size_t component) -> std::optional<Span> {
    const auto found = std::ranges::find_if(
        spans, [&](const Span& span) { return span.element == element && span.component == component; });
    return found != spans.end() ? std::optional(*found) : std::nullopt;
  };
  if (segment.tag() == "LOC") return at(2, 0);
  if (segment.tag() == "RFF" && segment.qualifier() != "TN" && segment.qualifier() != "Z13") return at(1, 1);
  if (segment.key == "STS+Z35") {
    for (const Span& span : spans) {
      if (span.element >= 2 && shape_of(text.substr(span.first, span.size)) != Shape::none) return span;
    }
  }
  return std::nullopt;
}

// The IDs a Vorgang names of each LOC qualifier.
using IdsOfKind = std::unordered_map<std::string_view, std::unordered_set<std::string_view>>;

// Whether the Vorgang names a Lokation of LOC qualifier `kind`, and none of that kind by `id`.
bool names_another(const IdsOfKind& named, std::string_view kind, std::string_view id) {
  const auto of_kind = named.find(kind);
  return of_kind != named.end() && !of_kind->second.contains(id);
}

class OwnIds {
 public:
  OwnIds(const std::string& answer, VorgangCut cut, const AnswerPlan& plan, const VorgangCut& request,
         const StringPairs& given_references, const ColumnRef& column, std::uint32_t answer_pid,
         std::uint64_t message_index)
      : answer_(answer),
        cut_(std::move(cut)),
        plan_(plan),
        column_(column),
        answer_pid_(answer_pid),
        message_index_(message_index) {
    const auto answered = request.vorgaenge() > 0 ? answered_vorgaenge(request, plan)
                                                  : std::vector<std::optional<std::size_t>>(cut_.vorgaenge() + 1);
    // The caller's references that name no Lokation stand in every Vorgang; the others in those given them.
    std::unordered_set<std::string_view> everywhere;
    for (std::size_t at = 0; at < given_references.size(); ++at) {
      if (at >= plan.given_lokationen.size() || !plan.given_lokationen[at]) {
        everywhere.insert(given_references[at].second);
      }
    }
    for (std::size_t vorgang = 1; vorgang <= cut_.vorgaenge(); ++vorgang) {
      std::unordered_set<std::string_view> own;
      const EchoVorgang& asked = plan.vorgaenge[vorgang - 1];
      IdsOfKind by_kind;
      for (const auto& [qualifier, id] : asked.lokationen) {
        own.insert(id);
        by_kind[qualifier].insert(id);
      }
      for (const Echo& echo : asked.echoes) own.insert(echo.value);
      for (const std::size_t at : asked.given) own.insert(given_references[at].second);
      if (vorgang < answered.size() && answered[vorgang]) {
        const auto [first, last] = request.range(*answered[vorgang]);
        for (std::size_t at = first; at < last; ++at) {
          if (const auto span = id_span(request.segments[at])) {
            own.insert(request.segments[at].text.substr(span->first, span->size));
          }
        }
      }
      const auto [first, last] = cut_.range(vorgang);
      for (std::size_t at = first; at < last; ++at) {
        const CutSegment& segment = cut_.segments[at];
        const auto span = id_span(segment);
        if (!span) continue;
        const std::string_view id = segment.text.substr(span->first, span->size);
        const Shape shape = shape_of(id);
        if (shape == Shape::none) continue;
        // The request's ID of another kind is not its ID of this one where it names one of this kind.
        if ((own.contains(id) || everywhere.contains(id)) && !(segment.tag() == "LOC" && names_another(by_kind, segment.qualifier(), id))) continue;
        Slot slot{at, *span, shape, {}, {}, 0};
        if (segment.tag() == "LOC") {
          slot.kinds.push_back(segment.qualifier());
        } else {
          slot.kinds = referenced(segment.qualifier(), shape);
        }
        std::unordered_set<std::string_view> listed;
        for (const bool likeliest : {true, false}) {
          for (const auto& [qualifier, candidate] : asked.lokationen) {
            const bool named = std::ranges::find(slot.kinds, qualifier) != slot.kinds.end();
            if (named == likeliest && shape_of(candidate) == shape && listed.insert(candidate).second) {
              slot.candidates.push_back(candidate);
            }
          }
        }
        slots_.push_back(std::move(slot));
      }
    }
  }

  py::Expected<std::string> run() {
    // Each round puts every slot's next candidate in, until the column accepts each Vorgang.
    for (;;) {
      std::vector<Lacking> lacking;
      for (const Slot& slot : slots_) {
        if (slot.tried >= slot.candidates.size()) lacking.push_back({&slot, std::nullopt});
      }
      if (!lacking.empty()) return refused(lacking);
      std::vector<std::string> texts;
      texts.reserve(cut_.segments.size());
      for (const CutSegment& segment : cut_.segments) texts.emplace_back(segment.text);
      for (const Slot& slot : slots_) {
        texts[slot.segment].replace(slot.span.first, slot.span.size, slot.candidates[slot.tried]);
      }
      Draft draft;
      draft.reference = cut_.segments.back().value;
      draft.vorgaenge = cut_.vorgaenge();
      for (std::size_t at = 0; at + 1 < texts.size(); ++at) draft.add(texts[at], cut_.segments[at].vorgang, at);
      const Judged judged = judge(draft, column_, answer_pid_);
      if (!judged.faulted()) {
        note_referred();
        return draft.message();
      }
      bool moved = false;
      for (Slot& slot : slots_) {
        const std::size_t vorgang = cut_.segments[slot.segment].vorgang;
        if (!judged.faulted(vorgang)) continue;
        const auto& faults = judged.faults[vorgang];
        const auto on_slot = std::ranges::find_if(faults, [&](const Judged::Fault& fault) {
          return fault.at && draft.origin[*fault.at] == slot.segment;
        });
        const bool only = std::ranges::count(slots_, vorgang, [&](const Slot& each) {
                            return cut_.segments[each.segment].vorgang;
                          }) == 1;
        if (on_slot == faults.end() && !only) continue;
        const Rejection& why = *(on_slot != faults.end() ? *on_slot : faults.front()).rejection;
        if (++slot.tried >= slot.candidates.size()) lacking.push_back({&slot, why.text});
        moved = true;
      }
      if (!lacking.empty()) return refused(lacking);
      // A fault the IDs drew that falls on none of them.
      if (!moved) {
        for (const Slot& slot : slots_) {
          const std::size_t vorgang = cut_.segments[slot.segment].vorgang;
          if (judged.faulted(vorgang)) {
            return refused(std::array{Lacking{&slot, judged.faults[vorgang].front().rejection->text}});
          }
        }
        return answer_;
      }
    }
  }

  bool empty() const { return slots_.empty(); }

  std::vector<ReferredLokation> referred;

 private:
  // The request's Lokationen named only in a reference that stand in for a sample.
  void note_referred() {
    for (const Slot& slot : slots_) {
      const std::size_t vorgang = cut_.segments[slot.segment].vorgang;
      const EchoVorgang& asked = plan_.vorgaenge[vorgang - 1];
      const std::string& id = slot.candidates[slot.tried];
      const auto named = std::ranges::find(asked.lokationen, id, &std::pair<std::string, std::string>::second);
      const auto at = static_cast<std::size_t>(named - asked.lokationen.begin());
      if (named == asked.lokationen.end() || at < asked.located + asked.given_named) continue;
      if (std::ranges::any_of(referred, [&](const ReferredLokation& seen) { return seen.vorgang == vorgang && seen.id == id; })) {
        continue;
      }
      referred.push_back(ReferredLokation{vorgang, named->first, id});
    }
  }

  // A slot none of whose candidates the column takes, and its word on the last one tried.
  struct Lacking {
    const Slot* slot = nullptr;
    std::optional<std::string> fault;
  };

  // Names the Vorgänge that lack a Lokation, each such Lokation once, and advises calls answering
  // every Vorgang of the request.
  py::Failure refused(std::span<const Lacking> slots) const {
    LokationWants wants;
    for (const auto& [slot, fault] : slots) {
      wants[cut_.segments[slot->segment].vorgang].push_back(want_of(*slot, fault));
    }
    for (auto& [vorgang, own] : wants) own = once_each(std::move(own));
    std::vector<LokationRoute> routes;
    for (std::size_t vorgang = 1; vorgang <= cut_.vorgaenge(); ++vorgang) {
      LokationRoute& route = routes.emplace_back(
          LokationRoute{message_index_, answer_pid_, &column_, &plan_, &plan_.vorgaenge[vorgang - 1], {}, {}});
      if (const auto own = wants.find(vorgang); own != wants.end()) route.wants = std::move(own->second);
      const auto [first, last] = cut_.range(vorgang);
      for (std::size_t at = first; at < last; ++at) route.segments.push_back(cut_.segments[at].text);
    }
    return py::value_error(lokation_refusal(routes));
  }

  LokationWant want_of(const Slot& slot, std::optional<std::string_view> fault) const {
    const CutSegment& segment = cut_.segments[slot.segment];
    std::string kind;
    for (const std::string_view qualifier : slot.kinds) {
      if (uses_qualifier(column_, "LOC", qualifier)) {
        kind = qualifier;
        break;
      }
    }
    if (kind.empty() && !slot.kinds.empty()) kind = slot.kinds.front();
    // Completion's sample ID there is nobody's: the place is named, not the ID.
    const std::string place = fmt::format("{}+{}", segment.tag(), segment.qualifier());
    std::string why =
        fault ? fmt::format("the answer's {} needs its ID, and with the request's ID there {}", place, *fault)
              : fmt::format("the answer's {} needs its ID, and the request names none of its form", place);
    return LokationWant{std::move(kind), std::move(why), form_of(slot.shape)};
  }

  const std::string& answer_;
  VorgangCut cut_;
  const AnswerPlan& plan_;
  const ColumnRef& column_;
  std::uint32_t answer_pid_;
  std::uint64_t message_index_;
  std::vector<Slot> slots_;
};

}  // namespace

py::Expected<std::string> with_own_lokation_ids(const std::string& answer, const AnswerPlan& plan,
                                                const VorgangCut& request, const StringPairs& given_references,
                                                const ColumnRef& column, std::uint32_t answer_pid,
                                                std::uint64_t message_index, std::vector<ReferredLokation>& referred) {
  auto cut = cut_vorgaenge(answer);
  if (!cut || cut->vorgaenge() != plan.vorgaenge.size()) return answer;
  OwnIds ids(answer, std::move(*cut), plan, request, given_references, column, answer_pid, message_index);
  if (ids.empty()) return answer;
  auto own = ids.run();
  referred = std::move(ids.referred);
  return own;
}

namespace {

py::Failure not_taken(const AnswerPlan& plan, const StringPairs& references, std::size_t at,
                      std::uint64_t message_index, const EchoVorgang& vorgang, std::string_view why) {
  const GivenLokation& given = *plan.given_lokationen[at];
  const auto named = edi_energy::lokation_reference::lokation_named(given.kind, given.form);
  return py::value_error(fmt::format("references[{}]: message {}, Vorgang {}: the answer's column takes no {} {} "
                                     "there{}",
                                     at, message_index, support::debug_quote(vorgang.vorgangsnummer), named.name,
                                     support::debug_quote(references[at].second),
                                     why.empty() ? std::string() : fmt::format(" — {}", why)));
}

}  // namespace

std::optional<py::Failure> given_fault(const AnswerPlan& plan, const StringPairs& references,
                                       const ColumnVerdict& verdict, std::string_view answer,
                                       std::uint64_t message_index) {
  if (std::ranges::none_of(plan.vorgaenge, [](const EchoVorgang& vorgang) { return !vorgang.given.empty(); })) {
    return std::nullopt;
  }
  const auto cut = cut_vorgaenge(answer);
  if (!cut || cut->vorgaenge() != plan.vorgaenge.size()) return std::nullopt;
  // Each Vorgang's given IDs, by the first reference that names each.
  std::vector<std::unordered_map<std::string_view, std::size_t>> given(plan.vorgaenge.size());
  for (std::size_t v = 0; v < plan.vorgaenge.size(); ++v) {
    for (const std::size_t at : plan.vorgaenge[v].given) given[v].try_emplace(references[at].second, at);
  }
  for (const Rejection& rejection : verdict.rejections) {
    if (!rejection.segment || *rejection.segment >= cut->segments.size()) continue;
    const CutSegment& segment = cut->segments[*rejection.segment];
    if (segment.vorgang == 0) continue;
    const auto& ids = given[segment.vorgang - 1];
    std::optional<std::size_t> first;
    for (const Span& span : components_of(segment.text)) {
      const auto named = ids.find(segment.text.substr(span.first, span.size));
      if (named != ids.end() && (!first || named->second < *first)) first = named->second;
    }
    if (first) {
      return not_taken(plan, references, *first, message_index, plan.vorgaenge[segment.vorgang - 1], rejection.text);
    }
  }
  return std::nullopt;
}

py::Status given_lokationen_stand(std::string_view answer, const AnswerPlan& plan, const StringPairs& references,
                                 std::uint64_t message_index) {
  if (std::ranges::none_of(plan.vorgaenge, [](const EchoVorgang& vorgang) { return !vorgang.given.empty(); })) return {};
  const auto cut = cut_vorgaenge(answer);
  if (!cut || cut->vorgaenge() != plan.vorgaenge.size()) return {};
  for (std::size_t vorgang = 1; vorgang <= cut->vorgaenge(); ++vorgang) {
    const EchoVorgang& planned = plan.vorgaenge[vorgang - 1];
    if (planned.given.empty()) continue;
    std::unordered_set<std::string_view> held;  // every component of the Vorgang's segments
    const auto [first, last] = cut->range(vorgang);
    for (std::size_t at = first; at < last; ++at) {
      const std::string_view text = cut->segments[at].text;
      for (const Span& span : components_of(text)) held.insert(text.substr(span.first, span.size));
    }
    for (const std::size_t at : planned.given) {
      const std::string_view id = references[at].second;
      if (held.contains(id)) continue;
      const auto left_out = std::ranges::find_if(planned.echoes, [&](const Echo& echo) {
        return echo.given && echo.value == id && echo.left_out_for;
      });
      const std::string_view why =
          left_out != planned.echoes.end() ? std::string_view(*left_out->left_out_for) : std::string_view();
      return not_taken(plan, references, at, message_index, planned, why);
    }
  }
  return {};
}

}  // namespace quorvane_native::edifact::answer

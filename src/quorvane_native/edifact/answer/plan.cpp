#include "quorvane_native/edifact/answer/plan.hpp"

#include <algorithm>
#include <array>
#include <map>
#include <unordered_set>
#include <utility>

#include <fmt/format.h>

#include "edi_energy/lokation_reference.hpp"
#include "edi_energy/lokationstyp.hpp"
#include "quorvane_native/edifact/answer/echo.hpp"
#include "quorvane_native/edifact/column_places.hpp"
#include "quorvane_native/edifact/date_argument.hpp"
#include "quorvane_native/edifact/dtm_in_utc.hpp"
#include "quorvane_native/edifact/transaktionsgrund_codes.hpp"
#include "support/debug_quote.hpp"

namespace quorvane_native::edifact::answer {

namespace {

using edi_energy::lokation_reference::lokation_kinds;
using edi_energy::messages::utilmd::UtilmdTransaction;

Echo echo_of(std::string tag, std::string qualifier, std::string value, bool replaceable) {
  Echo echo;
  echo.tag = std::move(tag);
  echo.qualifier = std::move(qualifier);
  echo.value = std::move(value);
  echo.replaceable = replaceable;
  return echo;
}

bool given_qualifier(const StringPairs* pairs, std::string_view qualifier) {
  return pairs != nullptr && std::ranges::any_of(*pairs, [&](const auto& pair) { return pair.first == qualifier; });
}

// The request's code, unless the column lists codes for BGM DE 1001 without it.
std::optional<std::string> document_code_of(const edi_energy::messages::utilmd::UtilmdMessage& request,
                                            const std::optional<ColumnRef>& column) {
  if (!request.bgm) return std::nullopt;
  std::string code = request.bgm->document_code;
  if (column) {
    const auto bgm = used_segments(*column, "BGM");
    if (!bgm.empty() && !admits_code(column_codes(*column, nr_of(*column, bgm.front()), "1001"), code)) {
      return std::nullopt;
    }
  }
  return code;
}

// The process dates the answer confirms; a date in another format than the answer writes is not
// taken over, one in another zone is taken as the same instant in +00, and one that is no date is
// the request's fault.
void plan_dates(const UtilmdTransaction& transaction, EchoPlaces& places, GivenValues given, EchoVorgang& vorgang,
                std::uint64_t message_index, AnswerPlan& plan) {
  std::optional<std::string>& faulty_date = plan.faulty_date;
  for (const std::string_view qualifier : std::array<std::string_view, 2>{"92", "93"}) {
    if (given_qualifier(given.process_dates, qualifier) || !places.takes_date(qualifier)) continue;
    const auto given_date = [&](const auto& candidate) {
      return candidate.qualifier == qualifier && candidate.value && !candidate.value->empty();
    };
    // A request that writes its process date out of order, among its references' dates, still gives it.
    const edi_energy::messages::segments::Dtm* dtm = nullptr;
    for (const auto* dates : {&transaction.dtms, &transaction.reference_dtms}) {
      const auto found = std::ranges::find_if(*dates, given_date);
      if (found != dates->end() && dtm == nullptr) dtm = &*found;
    }
    if (dtm == nullptr) continue;
    const std::string format = dtm->format.value_or("303");
    plan.request_dates.push_back(RequestDate{plan.vorgaenge.size(), std::string(qualifier), *dtm->value, format});
    if (format != "303" && !(format == "102" && dtm->value->size() == 8)) continue;
    if (auto why = why_no_date(format, *dtm->value)) {
      if (!faulty_date) {
        faulty_date = fmt::format("received: message {}, Vorgang {}: the answer must confirm DTM+{} {}, which is no "
                                  "date: {}",
                                  message_index, support::debug_quote(vorgang.vorgangsnummer), qualifier,
                                  support::debug_quote(*dtm->value), *why);
      }
      continue;
    }
    std::optional<std::string> in_utc =
        format == "303" && !dtm->value->ends_with("+00") ? dtm_in_utc(*dtm->value) : std::nullopt;
    vorgang.echoes.push_back(echo_of("DTM", std::string(qualifier), in_utc.value_or(*dtm->value), true));
  }
}

void plan_references(const UtilmdTransaction& transaction, EchoPlaces& places, GivenValues given,
                     EchoVorgang& vorgang) {
  // The requester matches its answers on the Vorgangsnummer of its request; the request's own TN
  // names another message and Z13 its Prüfidentifikator, which the answer replaces with its own.
  if (!given_qualifier(given.references, "TN") && places.takes_reference("TN")) {
    vorgang.echoes.push_back(echo_of("RFF", "TN", vorgang.vorgangsnummer, true));
  }
  for (const auto& rff : transaction.rffs) {
    if (rff.qualifier == "Z13" || rff.qualifier == "TN" || !rff.reference) continue;
    if (given_qualifier(given.references, rff.qualifier)) continue;
    if (!places.takes_reference(rff.qualifier)) continue;
    vorgang.echoes.push_back(echo_of("RFF", rff.qualifier, *rff.reference, false));
  }
}

// A Lokation the request names only in a reference (an SG6, SG8 or SG12 RFF) is the ID of its
// kind wherever the answer refers to one; it stands in SG5 only where the column cannot do without
// it, as completion's sample would.
void plan_named_lokationen(const UtilmdTransaction& transaction, EchoPlaces& places, EchoVorgang& vorgang) {
  const auto name = [&](std::string_view reference, const std::string& id) {
    const auto kinds = lokation_kinds(reference, id);
    if (kinds.empty() || std::ranges::any_of(vorgang.lokationen, [&](const auto& named) { return named.second == id; })) {
      return;
    }
    const auto placed = std::ranges::find_if(kinds, [&](std::string_view kind) { return places.takes_location(kind); });
    vorgang.lokationen.emplace_back(placed != kinds.end() ? *placed : kinds.front(), id);
  };
  const auto named_in = [&](const std::vector<edi_energy::messages::segments::Rff>& rffs) {
    for (const auto& rff : rffs) {
      if (rff.reference) name(rff.qualifier, *rff.reference);
    }
  };
  named_in(transaction.rffs);
  for (const auto& sequence : transaction.sequences) named_in(sequence.rffs);
  for (const auto& party : transaction.parties) named_in(party.rffs);
}

// No more of one qualifier than the column has places for: the rest could stand nowhere.
void cap_to_room(EchoPlaces& places, EchoVorgang& vorgang) {
  std::map<std::pair<std::string, std::string>, std::size_t> taken;
  for (Echo& echo : vorgang.echoes) {
    if (echo.tag != "LOC" && echo.tag != "RFF") continue;
    const auto room = places.room(echo.tag, echo.qualifier);
    if (room && taken[{echo.tag, echo.qualifier}]++ >= *room) echo.kept = false;
  }
}

}  // namespace

AnswerPlan plan_answer(const edi_energy::messages::utilmd::UtilmdMessage& request,
                       const std::optional<ColumnRef>& column, GivenValues given, std::uint64_t message_index) {
  AnswerPlan plan;
  plan.document_code = document_code_of(request, column);
  EchoPlaces places(column);
  const bool takes_grund = !column || column_takes_transaktionsgrund(*column);
  // A request repeats the same few codes in every Vorgang.
  enum class Place : std::uint8_t { grund, ergaenzung, befristung };
  std::map<std::pair<Place, std::string>, bool, std::less<>> named;
  const auto names = [&](Place place, const std::string& code) {
    if (!column) return true;
    const auto [known, fresh] = named.try_emplace({place, code}, false);
    if (fresh) {
      known->second = place == Place::grund        ? column_names_grund(*column, code)
                      : place == Place::ergaenzung ? column_names_ergaenzung(*column, code)
                                                   : column_names_befristung(*column, code);
    }
    return known->second;
  };
  const std::optional<std::string> completions_ergaenzung =
      column && takes_grund ? column_ergaenzung(*column) : std::nullopt;
  for (const UtilmdTransaction& transaction : request.transactions) {
    if (!transaction.ide.id) continue;
    EchoVorgang& vorgang = plan.vorgaenge.emplace_back();
    vorgang.vorgangsnummer = *transaction.ide.id;
    for (const auto* dates : {&transaction.dtms, &transaction.reference_dtms}) {
      for (const auto& dtm : *dates) {
        if (!dtm.value || dtm.value->empty()) continue;
        vorgang.dates.emplace_back(dtm.qualifier, *dtm.value);
        if (dtm.format.value_or("303") != "303" || dtm.value->ends_with("+00")) continue;
        if (auto in_utc = dtm_in_utc(*dtm.value)) vorgang.dates.emplace_back(dtm.qualifier, std::move(*in_utc));
      }
    }
    for (const auto& loc : transaction.locs) {
      if (!edi_energy::lokationstyp::from_qualifier_code(loc.qualifier) || !loc.id) continue;
      vorgang.lokationen.emplace_back(loc.qualifier, *loc.id);
      if (!places.takes_location(loc.qualifier)) continue;
      vorgang.echoes.push_back(echo_of("LOC", loc.qualifier, *loc.id, false));
    }
    vorgang.located = vorgang.lokationen.size();
    plan_named_lokationen(transaction, places, vorgang);
    plan_dates(transaction, places, given, vorgang, message_index, plan);
    // A code the column never names is left out before the first build, not after it.
    if (const auto& grund = transaction.transaktionsgrund;
        grund && takes_grund && !grund->grund.empty() && names(Place::grund, grund->grund)) {
      Echo echo = echo_of("STS", "7", grund->grund, true);
      if (grund->ergaenzung && names(Place::ergaenzung, *grund->ergaenzung)) {
        echo.ergaenzung = grund->ergaenzung;
      } else if (grund->ergaenzung) {
        // The one completion would write, so that it need not come back for it.
        echo.ergaenzung = completions_ergaenzung;
        echo.completions_ergaenzung = true;
      }
      // A befristete Anmeldung is confirmed as befristet, whatever Ergänzung stands beside it.
      if (grund->befristung && !grund->befristung->empty() && names(Place::befristung, *grund->befristung)) {
        echo.befristung = grund->befristung;
      }
      vorgang.echoes.push_back(std::move(echo));
    }
    plan_references(transaction, places, given, vorgang);
    cap_to_room(places, vorgang);
  }
  return plan;
}

py::Status give_lokationen(AnswerPlan& plan, const StringPairs& references, const std::optional<ColumnRef>& column,
                           const LokationNeeds* needs) {
  std::vector<std::vector<std::string>> in_sg5(plan.vorgaenge.size());
  std::vector<NamedByRequest> named;
  named.reserve(plan.vorgaenge.size());
  for (std::size_t v = 0; v < plan.vorgaenge.size(); ++v) {
    const EchoVorgang& vorgang = plan.vorgaenge[v];
    for (const Echo& echo : vorgang.echoes) {
      if (echo.kept && echo.tag == "LOC") in_sg5[v].push_back(echo.qualifier);
    }
    named.push_back(NamedByRequest{vorgang.vorgangsnummer, vorgang.lokationen, in_sg5[v]});
  }
  EchoPlaces places(column);
  auto placed = place_given_lokationen(references, named, places, column, needs);
  if (!placed) return py::propagate(placed);
  plan.given_lokationen = std::move(placed->of_reference);
  for (std::size_t v = 0; v < plan.vorgaenge.size(); ++v) {
    EchoVorgang& vorgang = plan.vorgaenge[v];
    vorgang.given = std::move(placed->of_vorgang[v]);
    if (vorgang.given.empty()) continue;
    std::vector<std::pair<std::string, std::string>> lokationen;
    // One the Vorgang names itself, or given before, stands once.
    std::unordered_set<std::string_view> named_ids;
    for (const auto& named : vorgang.lokationen) named_ids.insert(named.second);
    for (const std::size_t at : vorgang.given) {
      const GivenLokation& given = *plan.given_lokationen[at];
      const std::string& id = references[at].second;
      if (!named_ids.insert(id).second) continue;
      lokationen.emplace_back(given.location.empty() ? std::string(given.kind) : given.location, id);
      if (given.location.empty()) continue;
      Echo echo = echo_of("LOC", given.location, id, false);
      echo.given = true;
      vorgang.echoes.push_back(std::move(echo));
    }
    vorgang.given_named = lokationen.size();
    vorgang.lokationen.insert(vorgang.lokationen.begin() + static_cast<std::ptrdiff_t>(vorgang.located),
                              lokationen.begin(), lokationen.end());
  }
  return {};
}

bool given_elsewhere(const AnswerPlan& plan, const EchoVorgang& vorgang, std::size_t at) {
  return at < plan.given_lokationen.size() && plan.given_lokationen[at] && !std::ranges::binary_search(vorgang.given, at);
}

bool names_unwritten_lokation(const EchoVorgang& vorgang, std::string_view qualifier) {
  return std::ranges::any_of(vorgang.lokationen, [&](const auto& named) {
    return named.first == qualifier && std::ranges::none_of(vorgang.echoes, [&](const Echo& echo) {
             return echo.kept && echo.tag == "LOC" && echo.value == named.second;
           });
  });
}

bool confirms_date(const EchoVorgang& vorgang, std::string_view qualifier) {
  return std::ranges::any_of(vorgang.echoes, [&](const Echo& echo) {
    return echo.kept && echo.tag == "DTM" && echo.qualifier == qualifier;
  });
}

EchoAt echo_at(const VorgangCut& cut, const AnswerPlan& plan, std::size_t segment) {
  if (segment >= cut.segments.size()) return {};
  const CutSegment& head = cut.segments[segment];
  EchoAt at{.vorgang = head.vorgang, .echo = std::nullopt};
  if (head.vorgang == 0 || head.vorgang > plan.vorgaenge.size()) return at;
  const auto& echoes = plan.vorgaenge[head.vorgang - 1].echoes;
  // A Vorgang holds one date of a qualifier and one Transaktionsgrund; Lokationen and references
  // are told by their values.
  const bool by_value = head.tag() == "LOC" || head.tag() == "RFF";
  for (std::size_t index = 0; index < echoes.size(); ++index) {
    const Echo& echo = echoes[index];
    if (echo.kept && echo.tag == head.tag() && echo.qualifier == head.qualifier() && (!by_value || echo.value == head.value)) {
      at.echo = index;
      break;
    }
  }
  return at;
}

}  // namespace quorvane_native::edifact::answer

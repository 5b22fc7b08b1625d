#include "quorvane_native/edifact/answer/lokation_refusal.hpp"

#include <fmt/format.h>

#include <algorithm>
#include <array>
#include <charconv>
#include <map>
#include <optional>
#include <set>
#include <system_error>
#include <utility>

#include "edi_energy/lokation_reference.hpp"
#include "quorvane_native/edifact/column_places.hpp"
#include "quorvane_native/edifact/date_argument.hpp"
#include "quorvane_native/edifact/answer/echo.hpp"
#include "quorvane_native/edifact/answer/given_lokationen.hpp"
#include "quorvane_native/edifact/answer/vorgaenge_alike.hpp"
#include "quorvane_native/edifact/vorgang_cut.hpp"
#include "rubo4e/identifiers/resource_id_kind.hpp"
#include "rubo4e/identifiers/malo_id.hpp"
#include "support/debug_quote.hpp"

namespace quorvane_native::edifact::answer {

namespace {

using support::debug_quote;
using support::python_quote;

using Name = edi_energy::lokation_reference::Named;
using edi_energy::lokation_reference::lokation_named;

// The data elements of a segment text (its terminator left off), each a list of its components,
// release characters resolved.
std::vector<std::vector<std::string>> elements_of(std::string_view text) {
  std::vector<std::vector<std::string>> elements(1, std::vector<std::string>(1));
  for (std::size_t at = 0; at < text.size() && text[at] != '\''; ++at) {
    const char c = text[at];
    if (c == '?' && at + 1 < text.size()) {
      elements.back().back() += text[++at];
    } else if (c == '+') {
      elements.emplace_back(1);
    } else if (c == ':') {
      elements.back().emplace_back();
    } else {
      elements.back().back() += c;
    }
  }
  return elements;
}

std::string_view component(const std::vector<std::vector<std::string>>& elements, std::size_t element,
                           std::size_t at) {
  if (element >= elements.size() || at >= elements[element].size()) return {};
  return elements[element][at];
}

std::string pairs(const std::vector<std::pair<std::string, std::string>>& found) {
  std::string text;
  for (const auto& [first, second] : found) {
    if (!text.empty()) text += ", ";
    text += fmt::format("({}, {})", python_quote(first), second);
  }
  return fmt::format("[{}]", text);
}

bool holds(std::span<const std::pair<std::string, std::string>> pairs, std::string_view first,
           std::string_view second) {
  return std::ranges::any_of(pairs, [&](const auto& pair) { return pair.first == first && pair.second == second; });
}

std::string_view form_wanted(const LokationWant& want) {
  return want.form.empty() ? lokation_named(want.qualifier).form : want.form;
}

// A Vorgang of the build_utilmd route: what the request and the caller say of it, never
// completion's sample; the Lokationen wanted stand last in `locations`.
struct RouteVorgang {
  UtilmdTransaction fields;
  std::size_t wanted = 0;  // of `locations`, the last so many, each an ID the caller puts in
  std::vector<std::string_view> forms;  // theirs
  std::vector<std::string_view> dates_left_out;  // the answer's segments of dates `dates` does not take
  StringPairs refused;  // the dates and references left out as build_utilmd refuses them
};

RouteVorgang route_vorgang(const LokationRoute& route) {
  const EchoVorgang& vorgang = *route.vorgang;
  const CallerArguments* caller = route.plan->caller;
  const auto given_dates =
      caller != nullptr ? caller->process_dates : std::span<const std::pair<std::string, std::string>>();
  RouteVorgang made;
  made.fields.vorgangsnummer = vorgang.vorgangsnummer;
  UtilmdTransaction& fields = made.fields;
  const auto sts = std::ranges::find_if(vorgang.echoes, [](const Echo& echo) { return echo.kept && echo.tag == "STS"; });
  if (sts != vorgang.echoes.end()) {
    fields.transaktionsgrund = sts->value;
    // Never completion's: build_utilmd chooses the same where none is given.
    if (!sts->completions_ergaenzung) fields.transaktionsgrund_ergaenzung = sts->ergaenzung;
  }
  bool own_dates = true;  // the Vorgang's own dates stand right after its IDE
  for (const std::string_view text : route.segments) {
    if (text.starts_with("IDE+")) continue;
    const bool date = text.starts_with("DTM+");
    own_dates = own_dates && date;
    const auto elements = elements_of(text);
    const std::string_view qualifier = component(elements, 1, 0);
    const std::string_view value = component(elements, 1, 1);
    // The caller's dates, and the request's the answer confirms or carries.
    if (date && own_dates && !value.empty() &&
        (holds(vorgang.dates, qualifier, value) || holds(given_dates, qualifier, value))) {
      const StringPairs date{{std::string(qualifier), std::string(value)}};
      if (require_vorgang_dates("dates", date)) {
        fields.dates.emplace_back(qualifier, value);
      } else {
        made.dates_left_out.push_back(text);
      }
    } else if (sts == vorgang.echoes.end() && text.starts_with("STS+7+") && !fields.transaktionsgrund &&
               !component(elements, 3, 0).empty()) {
      fields.transaktionsgrund = std::string(component(elements, 3, 0));
      if (!component(elements, 4, 0).empty()) fields.transaktionsgrund_ergaenzung = std::string(component(elements, 4, 0));
    } else if (text.starts_with("RFF+TN:") && fields.references.empty()) {
      fields.references.emplace_back("TN", component(elements, 1, 1));
    }
  }
  if (caller != nullptr) {
    std::set<std::string_view> given_ids;  // of the LOCs the caller's references put in
    for (const Echo& echo : vorgang.echoes) {
      if (echo.given) given_ids.insert(echo.value);
    }
    std::set<std::pair<std::string, std::string>> listed(fields.references.begin(), fields.references.end());
    for (std::size_t at = 0; at < caller->references.size(); ++at) {
      const auto& [qualifier, value] = caller->references[at];
      // A Lokation's ID the caller names stands among the locations; one given another Vorgang not here.
      if (given_elsewhere(*route.plan, vorgang, at) || given_ids.contains(value)) continue;
      if (listed.emplace(qualifier, value).second) fields.references.emplace_back(qualifier, value);
    }
    fields.free_texts.assign(caller->free_texts.begin(), caller->free_texts.end());
    fields.antwort_code = caller->antwort_code;
    fields.antwort_ebd = caller->antwort_ebd;
  }
  std::set<std::string> qualifiers;
  for (const auto& [qualifier, value] : fields.references) qualifiers.insert(qualifier);
  for (const Echo& echo : vorgang.echoes) {
    if (echo.kept && echo.tag == "LOC") fields.locations.emplace_back(echo.qualifier, echo.value);
    // The request's own references; the caller's of a qualifier replace them.
    if (echo.kept && echo.tag == "RFF" && !echo.replaceable && qualifiers.insert(echo.qualifier).second) {
      fields.references.emplace_back(echo.qualifier, echo.value);
    }
  }
  // A Lokation the request names only in a reference is the Vorgang's own as much as one in its LOCs.
  EchoPlaces places(route.column != nullptr ? std::optional<ColumnRef>(*route.column) : std::nullopt);
  std::set<std::pair<std::string, std::string>> locations(fields.locations.begin(), fields.locations.end());
  for (std::size_t at = vorgang.located + vorgang.given_named; at < vorgang.lokationen.size(); ++at) {
    const auto& [kind, id] = vorgang.lokationen[at];
    if (places.takes_location(kind) && locations.emplace(kind, id).second) fields.locations.emplace_back(kind, id);
  }
  for (const LokationWant& want : route.wants) {
    fields.locations.emplace_back(want.qualifier, std::string());
    made.forms.push_back(form_wanted(want));
  }
  made.wanted = route.wants.size();
  return made;
}

std::string quoted_pairs(std::span<const std::pair<std::string, std::string>> given, std::size_t wanted = 0) {
  std::vector<std::pair<std::string, std::string>> shown;
  for (std::size_t at = 0; at < given.size(); ++at) {
    shown.emplace_back(given[at].first, at + wanted < given.size() ? python_quote(given[at].second) : "...");
  }
  return pairs(shown);
}

// The UtilmdTransaction as a call, each wanted Lokation's ID a `...`.
std::string transaction_text(const RouteVorgang& made) {
  const UtilmdTransaction& fields = made.fields;
  std::string text = fmt::format("UtilmdTransaction({}", python_quote(fields.vorgangsnummer));
  const auto optional = [&](std::string_view name, const std::optional<std::string>& value) {
    if (value) text += fmt::format(", {}={}", name, python_quote(*value));
  };
  optional("transaktionsgrund", fields.transaktionsgrund);
  if (fields.transaktionsgrund) optional("transaktionsgrund_ergaenzung", fields.transaktionsgrund_ergaenzung);
  text += fmt::format(", dates={}, references={}, locations={}", quoted_pairs(fields.dates),
                      quoted_pairs(fields.references), quoted_pairs(fields.locations, made.wanted));
  if (!fields.free_texts.empty()) text += fmt::format(", free_texts={}", quoted_pairs(fields.free_texts));
  optional("antwort_code", fields.antwort_code);
  optional("antwort_ebd", fields.antwort_ebd);
  return text + ")";
}

// An ID of the form for a trial build, the k-th of its form: none the caller would be told to use.
std::string trial_id(std::string_view form, std::size_t k) {
  namespace ids = rubo4e::identifiers;
  using Kind = ids::ascii_ids::ResourceIdKind;
  const std::string digits = fmt::format("{:08d}", k % 100000000);
  if (form == "Zählpunktbezeichnung") return "DE00321067657129900000" + fmt::format("{:011d}", k % 100000000000);
  if (form == "Netzlokations-ID") return ids::ascii_ids::resource_id_from_base(Kind::Nelo, "E7" + digits).value_or("");
  if (form == "SR-ID") return ids::ascii_ids::resource_id_from_base(Kind::Sr, "C7" + digits).value_or("");
  if (form == "TR-ID") return ids::ascii_ids::resource_id_from_base(Kind::Tr, "D7" + digits).value_or("");
  return ids::malo_id::from_base("71" + digits).value_or("");
}

// Where build_utilmd's refusal names a value of a Vorgang's list ("transactions[2].dates[1]: …"),
// that value and the refusal's reason.
struct NamedValue {
  std::size_t vorgang = 0;
  std::string_view list;
  std::size_t at = 0;
  std::string_view reason;
};

std::optional<NamedValue> named_value(std::string_view refusal) {
  NamedValue named;
  const auto number = [&](std::string_view& text, std::size_t& to) {
    const auto [end, fault] = std::from_chars(text.data(), text.data() + text.size(), to);
    if (fault != std::errc() || end == text.data()) return false;
    text.remove_prefix(static_cast<std::size_t>(end - text.data()));
    return true;
  };
  std::string_view text = refusal;
  if (!text.starts_with("transactions[")) return std::nullopt;
  text.remove_prefix(13);
  if (!number(text, named.vorgang) || !text.starts_with("].")) return std::nullopt;
  text.remove_prefix(2);
  const std::size_t open = text.find('[');
  if (open == std::string_view::npos) return std::nullopt;
  named.list = text.substr(0, open);
  text.remove_prefix(open + 1);
  if (!number(text, named.at) || !text.starts_with("]: ")) return std::nullopt;
  named.reason = text.substr(3);
  return named;
}

StringPairs* list_named(UtilmdTransaction& fields, std::string_view list) {
  if (list == "dates") return &fields.dates;
  if (list == "references") return &fields.references;
  if (list == "free_texts") return &fields.free_texts;
  if (list == "locations") return &fields.locations;
  return nullptr;
}

// What build_utilmd judges of a Vorgang of the route: all but its number, its RFF+TN and its
// Lokationen's IDs, so that Vorgänge alike but for those are built once.
std::string shape_of(const RouteVorgang& made) {
  RouteVorgang shape = made;
  shape.fields.vorgangsnummer.clear();
  for (auto& [qualifier, value] : shape.fields.references) {
    if (qualifier == "TN") value.clear();
  }
  for (auto& location : shape.fields.locations) location.second.clear();
  return transaction_text(shape);
}

// What the build_utilmd route leaves out of the route's Vorgänge, each value named once with the
// Vorgänge it is left out of, so that a value the same in every Vorgang is not named in each.
class LeftOut {
 public:
  // `why` follows the Vorgänge; values left out of the same Vorgänge for the same reason are named together.
  void add(std::string value, std::size_t vorgang, std::string why = {}) {
    const auto [known, fresh] = index_.try_emplace({value, why}, entries_.size());
    if (fresh) entries_.push_back({.value = std::move(value), .why = std::move(why), .vorgaenge = {}});
    std::vector<std::size_t>& vorgaenge = entries_[known->second].vorgaenge;
    const auto at = std::ranges::lower_bound(vorgaenge, vorgang);
    if (at == vorgaenge.end() || *at != vorgang) vorgaenge.insert(at, vorgang);
  }

  bool empty() const { return entries_.empty(); }

  // "CCI+Z19++X, CAV+Z74:::Z09 in every Vorgang; NAD+Z09+++Schmidt:Anna::::Z01 of Vorgang "VG1"".
  std::string text(std::span<const LokationRoute> routes) const {
    std::vector<std::pair<const Entry*, std::string>> groups;  // the first entry of each, its values
    std::map<std::pair<std::string_view, std::vector<std::size_t>>, std::size_t> grouped;
    for (const Entry& entry : entries_) {
      const auto [known, fresh] = grouped.try_emplace({entry.why, entry.vorgaenge}, groups.size());
      if (fresh) {
        groups.emplace_back(&entry, entry.value);
      } else {
        groups[known->second].second += fmt::format(", {}", entry.value);
      }
    }
    std::string text;
    for (const auto& [entry, values] : groups) {
      std::string where = "in every Vorgang";
      if (entry->vorgaenge.size() < routes.size() || routes.size() == 1) {
        where = entry->vorgaenge.size() == 1 ? "of Vorgang" : "of Vorgänge";
        for (std::size_t k = 0; k < entry->vorgaenge.size(); ++k) {
          const std::string& number = routes[entry->vorgaenge[k]].vorgang->vorgangsnummer;
          where += fmt::format("{} {}", k == 0 ? "" : ",", debug_quote(number));
        }
      }
      text += fmt::format("{}{} {}{}", text.empty() ? "" : "; ", values, where, entry->why);
    }
    return text;
  }

 private:
  struct Entry {
    std::string value;
    std::string why;
    std::vector<std::size_t> vorgaenge;  // of the routes, in order
  };
  std::map<std::pair<std::string, std::string>, std::size_t> index_;  // of `entries_`
  std::vector<Entry> entries_;
};

// The message build_utilmd writes of the route's Vorgänge, each wanted Lokation given, and the
// Vorgang of it each of theirs is built as; none where it refuses them. A value of the request's or
// the caller's it refuses is left out and named in `left_out`.
struct Built {
  std::string message;
  std::vector<std::size_t> as;  // per Vorgang of the route, from 1
};

std::optional<Built> builds(std::vector<RouteVorgang>& vorgaenge, const CallerArguments& caller, LeftOut& left_out) {
  if (!caller.utilmd_trial) return Built{};
  // One Vorgang of each shape, and the Vorgänge alike to each; a value left out goes from all of
  // them, so they stay alike.
  std::vector<std::vector<std::size_t>> alike;
  Built built;
  {
    std::map<std::string, std::size_t> shapes;
    for (std::size_t at = 0; at < vorgaenge.size(); ++at) {
      const auto [known, fresh] = shapes.try_emplace(shape_of(vorgaenge[at]), alike.size());
      if (fresh) alike.emplace_back();
      alike[known->second].push_back(at);
      built.as.push_back(known->second + 1);
    }
  }
  for (;;) {
    std::vector<UtilmdTransaction> trial;
    std::map<std::string_view, std::size_t> count;
    for (const auto& members : alike) {
      const RouteVorgang& made = vorgaenge[members.front()];
      UtilmdTransaction& fields = trial.emplace_back(made.fields);
      const std::size_t first = fields.locations.size() - made.wanted;
      for (std::size_t k = 0; k < made.wanted; ++k) {
        fields.locations[first + k].second = trial_id(made.forms[k], count[made.forms[k]]++);
      }
    }
    auto message = caller.utilmd_trial(std::move(trial));
    if (message) {
      built.message = std::move(*message);
      return built;
    }
    const auto named = named_value(message.error());
    if (!named || named->vorgang >= alike.size()) return std::nullopt;
    const auto& members = alike[named->vorgang];
    RouteVorgang& made = vorgaenge[members.front()];
    const StringPairs* list = list_named(made.fields, named->list);
    const bool wanted = named->list == "locations" && named->at + made.wanted >= made.fields.locations.size();
    if (list == nullptr || named->at >= list->size() || wanted) return std::nullopt;
    const auto& [qualifier, value] = (*list)[named->at];
    const std::string refused = fmt::format("{} ({}, {})", named->list, debug_quote(qualifier), debug_quote(value));
    const std::string why = fmt::format(", which build_utilmd refuses there — {}", named->reason);
    for (const std::size_t at : members) left_out.add(refused, at, why);
    for (const std::size_t at : members) {
      StringPairs* own = list_named(vorgaenge[at].fields, named->list);
      vorgaenge[at].refused.push_back((*own)[named->at]);
      own->erase(own->begin() + static_cast<std::ptrdiff_t>(named->at));
    }
  }
}

// What the answer says of each Vorgang that the route's message does not, no argument of a
// UtilmdTransaction carrying it, as LeftOut names it.
std::string unsaid(std::span<const LokationRoute> routes, const std::vector<RouteVorgang>& vorgaenge,
                   const Built& built) {
  const auto cut = cut_vorgaenge(built.message);
  if (!cut) return {};
  std::map<std::size_t, std::set<std::string>> said;  // of each Vorgang built, its segments masked
  LeftOut lacking;
  for (std::size_t at = 0; at < routes.size(); ++at) {
    const std::size_t as = built.as[at];
    if (as > cut->vorgaenge()) return {};
    auto [known, fresh] = said.try_emplace(as);
    if (fresh) {
      const auto [first, last] = cut->range(as);
      for (std::size_t k = first; k < last; ++k) {
        std::string masked;
        append_masked(masked, cut->segments[k].text);
        known->second.insert(std::move(masked));
      }
    }
    const EchoVorgang& vorgang = *routes[at].vorgang;
    const auto own = [&](std::string_view id) {
      return std::ranges::any_of(vorgang.lokationen, [&](const auto& named) { return named.second == id; }) ||
             std::ranges::any_of(vorgang.echoes, [&](const Echo& echo) { return echo.value == id; });
    };
    for (const std::string_view text : routes[at].segments) {
      if (text.starts_with("IDE+") || text.starts_with("RFF+TN:")) continue;
      if (std::ranges::find(vorgaenge[at].dates_left_out, text) != vorgaenge[at].dates_left_out.end()) continue;
      const auto elements = elements_of(text);
      if (holds(vorgaenge[at].refused, component(elements, 1, 0), component(elements, 1, 1))) continue;
      // Completion's sample ID where a Lokation is wanted is none of the request's.
      if (std::ranges::any_of(elements, [&](const auto& element) {
            return std::ranges::any_of(element, [&](const std::string& value) {
              return edi_energy::lokation_reference::lokation_shaped(value) && !own(value);
            });
          })) {
        continue;
      }
      std::string masked;
      append_masked(masked, text);
      if (known->second.contains(masked)) continue;
      // The answer's STS+7 holds the Ergänzung completion or the answer put in place of the request's; of
      // the request's, only the befristet part is what a UtilmdTransaction cannot say.
      if (text.starts_with("STS+7+")) {
        const auto sts =
            std::ranges::find_if(vorgang.echoes, [](const Echo& echo) { return echo.kept && echo.tag == "STS"; });
        if (sts != vorgang.echoes.end() && sts->befristung) {
          lacking.add(fmt::format("the befristet part {} of STS+7", *sts->befristung), at);
        }
        continue;
      }
      lacking.add(std::string(text.substr(0, text.size() - 1)), at);
    }
  }
  return lacking.text(routes);
}

// The build_answer call that names each wanted Lokation in `references`, Vorgang by Vorgang, and
// its references with an ID of each wanted one's form; none where a Lokation has no reference that
// names it.
struct AnswerCall {
  std::string text;
  StringPairs trial;
};

std::optional<AnswerCall> answer_call(std::span<const LokationRoute> routes) {
  const LokationRoute& first = routes.front();
  const auto used = [&](std::string_view qualifier) {
    return first.column != nullptr && uses_qualifier(*first.column, "RFF", qualifier);
  };
  std::vector<std::pair<std::string, std::string>> references;
  AnswerCall call;
  const CallerArguments* caller = first.plan->caller;
  if (caller != nullptr) {
    // The same reference given twice stands once, and is named once; but of several Vorgänge, IDs of
    // a Lokation that differ are given one for each Vorgang in turn, which one fewer would not be.
    std::map<std::string_view, std::string_view> first_id;
    std::set<std::string_view> one_each;
    for (const auto& [qualifier, value] : caller->references) {
      namespace lokation = edi_energy::lokation_reference;
      if (lokation::shape_named(qualifier) == lokation::Shape::none) continue;
      if (first_id.try_emplace(qualifier, value).first->second != value) one_each.insert(qualifier);
    }
    std::set<std::pair<std::string_view, std::string_view>> named;
    for (const auto& [qualifier, value] : caller->references) {
      call.trial.emplace_back(qualifier, value);
      if (named.emplace(qualifier, value).second || (routes.size() > 1 && one_each.contains(qualifier))) {
        references.emplace_back(qualifier, python_quote(value));
      }
    }
  }
  std::map<std::string_view, std::size_t> count;
  for (const LokationRoute& route : routes) {
    for (const LokationWant& want : route.wants) {
      const std::string_view form = form_wanted(want);
      const auto reference = edi_energy::lokation_reference::reference_naming(want.qualifier, form, used);
      if (!reference) return std::nullopt;
      references.emplace_back(*reference, "...");
      call.trial.emplace_back(*reference, trial_id(form, count[form]++));
    }
  }
  call.text = fmt::format("build_answer(received, {}{}, references={})", first.answer_pid,
                          caller != nullptr ? std::string_view(caller->others) : std::string_view(), pairs(references));
  return call;
}

// Whether a refusal of build_answer names one of the first `given` references.
bool names_given_reference(std::string_view refusal, std::size_t given) {
  if (!refusal.starts_with("references[")) return false;
  refusal.remove_prefix(11);
  std::size_t at = 0;
  const auto [end, fault] = std::from_chars(refusal.data(), refusal.data() + refusal.size(), at);
  return fault == std::errc() && end != refusal.data() && *end == ']' && at < given;
}

}  // namespace

std::string lokation_qualifier(const ColumnRef& column, edi_energy::profile::structure::NodeIndex node) {
  auto codes = column_codes(column, nr_of(column, node), "3227").codes;
  return codes.empty() ? std::string() : std::move(codes.front());
}

std::vector<LokationWant> once_each(std::vector<LokationWant> wants) {
  std::vector<LokationWant> once;
  for (LokationWant& want : wants) {
    if (std::ranges::none_of(once, [&](const LokationWant& seen) {
          return seen.qualifier == want.qualifier && form_wanted(seen) == form_wanted(want);
        })) {
      once.push_back(std::move(want));
    }
  }
  return once;
}

std::string lokation_refusal(std::span<const LokationRoute> routes) {
  const LokationRoute& first = routes.front();
  if (LokationNeeds* needs = first.plan->needs; needs != nullptr) {
    needs->assign(routes.size(), {});
    for (std::size_t at = 0; at < routes.size(); ++at) {
      for (const LokationWant& want : routes[at].wants) (*needs)[at].emplace_back(want.qualifier, form_wanted(want));
    }
    return {};
  }
  std::string named;
  std::vector<std::pair<std::string_view, std::string_view>> seen;
  for (const LokationRoute& route : routes) {
    for (const LokationWant& want : route.wants) {
      const std::pair kind{std::string_view(want.qualifier), form_wanted(want)};
      if (std::ranges::find(seen, kind) != seen.end()) continue;
      seen.push_back(kind);
      named += fmt::format("{}a {} (LOC+{}): {}", named.empty() ? "" : "; ",
                           lokation_named(want.qualifier, kind.second).name, want.qualifier, want.why);
    }
  }
  // One Vorgang's Lokationen are named as they are; several Vorgänge' each with its Vorgang.
  std::string lacking;
  std::string numbers;
  std::size_t wanting = 0;
  const LokationWant* first_want = nullptr;
  for (const LokationRoute& route : routes) {
    if (route.wants.empty()) continue;
    if (first_want == nullptr) first_want = &route.wants.front();
    ++wanting;
    numbers += fmt::format("{}{}", numbers.empty() ? "" : ", ", debug_quote(route.vorgang->vorgangsnummer));
    for (const LokationWant& want : route.wants) {
      lacking += fmt::format("{}the {}'s {}", lacking.empty() ? "" : ", ",
                             lokation_named(want.qualifier, form_wanted(want)).name, form_wanted(want));
      if (routes.size() > 1) lacking += fmt::format(" of Vorgang {}", debug_quote(route.vorgang->vorgangsnummer));
    }
  }
  const std::string in_turn = fmt::format("in place of each ... in turn {}", lacking);
  const CallerArguments* caller = first.plan->caller;
  const auto answer = answer_call(routes);
  // A reference of the caller's that the advised call refuses is the caller's to mend first.
  if (answer && caller != nullptr && caller->answer_refusal) {
    if (auto refusal = caller->answer_refusal(answer->trial);
        refusal && names_given_reference(*refusal, caller->references.size())) {
      return std::move(*refusal);
    }
  }
  // Each date left out named once, with its Vorgänge.
  LeftOut left_out;
  std::vector<RouteVorgang> vorgaenge;
  for (std::size_t at = 0; at < routes.size(); ++at) {
    vorgaenge.push_back(route_vorgang(routes[at]));
    for (const std::string_view text : vorgaenge.back().dates_left_out) {
      const auto elements = elements_of(text);
      left_out.add(fmt::format("DTM+{} {}", component(elements, 1, 0), debug_quote(component(elements, 1, 1))), at);
    }
  }
  LeftOut refused;
  const std::optional<Built> built = caller != nullptr ? builds(vorgaenge, *caller, refused) : Built{};
  std::string transactions;
  for (const RouteVorgang& made : vorgaenge) {
    transactions += fmt::format("{}{}", transactions.empty() ? "" : ", ", transaction_text(made));
  }
  const std::string utilmd_call =
      fmt::format("build_utilmd({}, the request's recipient, its sender{}, transactions=[{}])", first.answer_pid,
                  caller != nullptr ? std::string_view(caller->utilmd_others) : std::string_view(), transactions);
  std::string in_turn_utilmd = in_turn;
  if (!left_out.empty()) {
    in_turn_utilmd += fmt::format(" (its dates leave out {}, which they do not take: completion writes its own there)",
                                  left_out.text(routes));
  }
  if (!refused.empty()) in_turn_utilmd += fmt::format(" (it leaves out {})", refused.text(routes));
  if (built && !built->message.empty()) {
    if (const std::string lacking = unsaid(routes, vorgaenge, *built); !lacking.empty()) {
      in_turn_utilmd += fmt::format(" (it leaves out what the request says in {}, which a UtilmdTransaction cannot "
                                    "say{})",
                                    lacking, answer ? ": the build_answer call keeps it" : "");
    }
  }
  std::string advice;
  if (answer && built) {
    advice = fmt::format("build_answer carries the request's Lokationen and those `references` names; build such an "
                         "answer with {}, {}; or with {}, {}",
                         answer->text, in_turn, utilmd_call, in_turn_utilmd);
  } else if (answer) {
    advice = fmt::format("build_answer carries the request's Lokationen and those `references` names; build such an "
                         "answer with {}, {}",
                         answer->text, in_turn);
  } else {
    advice = fmt::format("build_answer carries only the request's own Lokationen and those `references` names, "
                         "which names no {}; build such an answer with {}, {}",
                         lokation_named(first_want->qualifier, form_wanted(*first_want)).name, utilmd_call,
                         in_turn_utilmd);
  }
  return fmt::format("received: message {}, {} {}: the answer must carry a Lokation the request does not name — "
                     "{}. {}",
                     first.message_index, wanting > 1 ? "Vorgänge" : "Vorgang", numbers, named, advice);
}

}  // namespace quorvane_native::edifact::answer

#include "quorvane_native/edifact/answer/lokation_refusal.hpp"

#include <fmt/format.h>

#include <algorithm>
#include <array>
#include <utility>

#include "edi_energy/lokation_reference.hpp"
#include "quorvane_native/edifact/column_places.hpp"
#include "quorvane_native/edifact/date_argument.hpp"
#include "quorvane_native/edifact/answer/given_lokationen.hpp"
#include "support/debug_quote.hpp"

namespace quorvane_native::edifact::answer {

namespace {

using support::debug_quote;

using Name = edi_energy::lokation_reference::Named;
constexpr auto lokation_name = edi_energy::lokation_reference::lokation_named;

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
    text += fmt::format("({}, {})", debug_quote(first), second);
  }
  return fmt::format("[{}]", text);
}

bool holds(std::span<const std::pair<std::string, std::string>> pairs, std::string_view first,
           std::string_view second) {
  return std::ranges::any_of(pairs, [&](const auto& pair) { return pair.first == first && pair.second == second; });
}

// The keyword arguments of the Vorgang's UtilmdTransaction: what the request and the caller say
// of it, never completion's sample; `left_out` tells of a date its `dates` do not take.
std::string transaction(const LokationRoute& route, std::span<const LokationWant> wants, std::string& left_out) {
  const EchoVorgang& vorgang = *route.vorgang;
  const auto given_dates = route.caller != nullptr ? route.caller->process_dates
                                                  : std::span<const std::pair<std::string, std::string>>();
  std::string grund;
  const auto sts = std::ranges::find_if(vorgang.echoes, [](const Echo& echo) { return echo.kept && echo.tag == "STS"; });
  if (sts != vorgang.echoes.end()) {
    grund = fmt::format(", transaktionsgrund={}", debug_quote(sts->value));
    if (sts->ergaenzung) grund += fmt::format(", transaktionsgrund_ergaenzung={}", debug_quote(*sts->ergaenzung));
  }
  std::vector<std::pair<std::string, std::string>> dates;
  std::vector<std::pair<std::string, std::string>> references;
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
        dates.emplace_back(qualifier, debug_quote(value));
      } else {
        left_out += fmt::format("{}DTM+{} {}", left_out.empty() ? "" : ", ", qualifier, debug_quote(value));
      }
    } else if (sts == vorgang.echoes.end() && text.starts_with("STS+7+") && grund.empty() &&
               !component(elements, 3, 0).empty()) {
      grund = fmt::format(", transaktionsgrund={}", debug_quote(component(elements, 3, 0)));
      if (!component(elements, 4, 0).empty()) {
        grund += fmt::format(", transaktionsgrund_ergaenzung={}", debug_quote(component(elements, 4, 0)));
      }
    } else if (text.starts_with("RFF+TN:") && references.empty()) {
      references.emplace_back("TN", debug_quote(component(elements, 1, 1)));
    }
  }
  std::string antwort;
  if (route.caller != nullptr) {
    for (const auto& [qualifier, value] : route.caller->references) {
      // A Lokation's ID the caller names stands among the locations.
      if (std::ranges::none_of(vorgang.echoes, [&](const Echo& echo) { return echo.given && echo.value == value; })) {
        references.emplace_back(qualifier, debug_quote(value));
      }
    }
    if (route.caller->antwort_code) antwort += fmt::format(", antwort_code={}", debug_quote(*route.caller->antwort_code));
    if (route.caller->antwort_ebd) antwort += fmt::format(", antwort_ebd={}", debug_quote(*route.caller->antwort_ebd));
  }
  std::vector<std::pair<std::string, std::string>> locations;
  for (const Echo& echo : vorgang.echoes) {
    if (echo.kept && echo.tag == "LOC") locations.emplace_back(echo.qualifier, debug_quote(echo.value));
  }
  for (const LokationWant& want : wants) locations.emplace_back(want.qualifier, "...");
  return fmt::format("UtilmdTransaction({}{}, dates={}, references={}, locations={}{})",
                     debug_quote(vorgang.vorgangsnummer), grund, pairs(dates), pairs(references), pairs(locations),
                     antwort);
}

// The build_answer call that names each wanted Lokation in `references`, Vorgang by Vorgang; none
// where a Lokation has no reference that names it.
std::optional<std::string> answer_call(std::span<const LokationRoute> routes) {
  const LokationRoute& first = routes.front();
  const auto used = [&](std::string_view qualifier) {
    return first.column != nullptr && uses_qualifier(*first.column, "RFF", qualifier);
  };
  std::vector<std::pair<std::string, std::string>> references;
  if (first.caller != nullptr) {
    for (const auto& [qualifier, value] : first.caller->references) references.emplace_back(qualifier, debug_quote(value));
  }
  for (const LokationRoute& route : routes) {
    for (const LokationWant& want : route.wants) {
      const std::string_view form = want.form.empty() ? lokation_name(want.qualifier).form : want.form;
      const auto reference = edi_energy::lokation_reference::reference_naming(want.qualifier, form, used);
      if (!reference) return std::nullopt;
      references.emplace_back(*reference, "...");
    }
  }
  return fmt::format("build_answer(received, {}{}, references={})", first.answer_pid,
                     first.caller != nullptr ? std::string_view(first.caller->others) : std::string_view(),
                     pairs(references));
}

std::string_view form_wanted(const LokationWant& want) {
  return want.form.empty() ? lokation_name(want.qualifier).form : want.form;
}

}  // namespace

std::string lokation_qualifier(const ColumnRef& column, edi_energy::profile::structure::NodeIndex node) {
  auto codes = column_codes(column, nr_of(column, node), "3227").codes;
  return codes.empty() ? std::string() : std::move(codes.front());
}

void want_alike(LokationWants& wants, const AnswerPlan& plan, const ColumnRef& column) {
  const auto used = [&](std::string_view qualifier) { return uses_qualifier(column, "RFF", qualifier); };
  std::vector<LokationWant> wanted;
  for (auto& [vorgang, own] : wants) {
    std::vector<LokationWant> once;
    for (LokationWant& want : own) {
      if (std::ranges::none_of(once, [&](const LokationWant& seen) { return seen.qualifier == want.qualifier; })) {
        once.push_back(std::move(want));
      }
    }
    own = std::move(once);
    for (const LokationWant& want : own) {
      if (std::ranges::none_of(wanted, [&](const LokationWant& seen) { return seen.qualifier == want.qualifier; })) {
        wanted.push_back(want);
      }
    }
  }
  for (const LokationWant& want : wanted) {
    const auto reference = edi_energy::lokation_reference::reference_naming(want.qualifier, form_wanted(want), used);
    if (!reference) continue;
    for (std::size_t vorgang = 1; vorgang <= plan.vorgaenge.size(); ++vorgang) {
      if (names_referenced(plan.vorgaenge[vorgang - 1].lokationen, *reference)) continue;
      auto& own = wants[vorgang];
      if (std::ranges::none_of(own, [&](const LokationWant& seen) { return seen.qualifier == want.qualifier; })) {
        own.push_back(want);
      }
    }
  }
}

std::string lokation_refusal(std::span<const LokationRoute> routes) {
  const LokationRoute& first = routes.front();
  std::string named;
  std::vector<std::string_view> seen;
  for (const LokationRoute& route : routes) {
    for (const LokationWant& want : route.wants) {
      if (std::ranges::find(seen, want.qualifier) != seen.end()) continue;
      seen.push_back(want.qualifier);
      named += fmt::format("{}a {} (LOC+{}): {}", named.empty() ? "" : "; ", lokation_name(want.qualifier).name,
                           want.qualifier, want.why);
    }
  }
  // One Vorgang's Lokationen are named as they are; several Vorgänge' each with its Vorgang.
  std::string lacking;
  std::string numbers;
  for (const LokationRoute& route : routes) {
    numbers += fmt::format("{}{}", numbers.empty() ? "" : ", ", debug_quote(route.vorgang->vorgangsnummer));
    for (const LokationWant& want : route.wants) {
      lacking += fmt::format("{}the {}'s {}", lacking.empty() ? "" : ", ", lokation_name(want.qualifier).name,
                             form_wanted(want));
      if (routes.size() > 1) lacking += fmt::format(" of Vorgang {}", debug_quote(route.vorgang->vorgangsnummer));
    }
  }
  const std::string in_turn = fmt::format("in place of each ... in turn {}", lacking);
  std::string left_out;
  std::string transactions;
  for (const LokationRoute& route : routes) {
    transactions += fmt::format("{}{}", transactions.empty() ? "" : ", ", transaction(route, route.wants, left_out));
  }
  const std::string utilmd_call = fmt::format(
      "build_utilmd({}, the request's recipient, its sender, transactions=[{}])", first.answer_pid, transactions);
  const std::string in_turn_utilmd =
      left_out.empty() ? in_turn
                       : fmt::format("{} (its dates leave out {}, which they do not take: completion writes its own "
                                     "there)",
                                     in_turn, left_out);
  const auto answer = answer_call(routes);
  const std::string advice =
      answer ? fmt::format("build_answer carries the request's Lokationen and those `references` names; build such "
                           "an answer with {}, {}; or with {}, {}",
                           *answer, in_turn, utilmd_call, in_turn_utilmd)
             : fmt::format("build_answer carries only the request's own Lokationen and those `references` names, "
                           "which names no {}; build such an answer with {}, {}",
                           lokation_name(first.wants.front().qualifier).name, utilmd_call, in_turn_utilmd);
  return fmt::format("received: message {}, {} {}: the answer must carry a Lokation the request does not name — "
                     "{}. {}",
                     first.message_index, routes.size() > 1 ? "Vorgänge" : "Vorgang", numbers, named, advice);
}

}  // namespace quorvane_native::edifact::answer

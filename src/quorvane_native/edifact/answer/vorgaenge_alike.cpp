#include "quorvane_native/edifact/answer/vorgaenge_alike.hpp"

#include <fmt/format.h>

#include <map>
#include <set>
#include <string>

#include "edi_energy/lokation_reference.hpp"

namespace quorvane_native::edifact::answer {

using edi_energy::lokation_reference::shape_of;

void append_masked(std::string& shape, std::string_view text) {
  std::size_t start = 0;
  for (std::size_t at = 0; at <= text.size(); ++at) {
    const bool end = at == text.size() || text[at] == '+' || text[at] == ':' || text[at] == '\'';
    if (at < text.size() && text[at] == '?') {
      ++at;
      continue;
    }
    if (!end) continue;
    const std::string_view component = text.substr(start, at - start);
    const auto id = shape_of(component);
    if (id != edi_energy::lokation_reference::Shape::none) {
      shape += fmt::format("\x01{}", static_cast<int>(id));
    } else {
      shape += component;
    }
    if (at < text.size()) shape += text[at];
    start = at + 1;
  }
}

namespace {

std::string shape_of_vorgang(const EchoVorgang& vorgang, const VorgangCut& request, std::size_t v) {
  std::string shape;
  for (const Echo& echo : vorgang.echoes) {
    // The Vorgangsnummer the answer refers to and the Lokation IDs tell no Vorgang's shape.
    const bool told = echo.tag == "STS" ||
                      (echo.tag == "RFF" && !echo.replaceable && !edi_energy::lokation_reference::lokation_shaped(echo.value));
    shape += fmt::format("{}+{}:{}:{}:{}:{}|", echo.tag, echo.qualifier, echo.kept, told ? echo.value : "",
                         echo.ergaenzung.value_or(""), echo.befristung.value_or(""));
  }
  for (const auto& [kind, id] : vorgang.lokationen) {
    shape += fmt::format("{}:{}|", kind, static_cast<int>(shape_of(id)));
  }
  if (v <= request.vorgaenge()) {
    const auto [first, last] = request.range(v);
    for (std::size_t at = first + 1; at < last; ++at) {
      const CutSegment& segment = request.segments[at];
      if (segment.key == "RFF+TN") continue;
      append_masked(shape, segment.text);
    }
  }
  return shape;
}

}  // namespace

std::vector<std::size_t> first_of_shape(const AnswerPlan& plan, const VorgangCut& request) {
  // The request's cut holds the Vorgänge in the plan's order where it holds them all.
  const VorgangCut none;
  const VorgangCut& cut = request.vorgaenge() == plan.vorgaenge.size() ? request : none;
  std::map<std::string, std::size_t, std::less<>> first;
  std::set<std::string_view> numbers;
  std::vector<std::size_t> leader;
  leader.reserve(plan.vorgaenge.size());
  for (std::size_t v = 0; v < plan.vorgaenge.size(); ++v) {
    leader.push_back(first.try_emplace(shape_of_vorgang(plan.vorgaenge[v], cut, v + 1), v).first->second);
    numbers.insert(plan.vorgaenge[v].vorgangsnummer);
  }
  // The answer finds a Vorgang's request by its number: where one stands twice, each is its own.
  if (numbers.size() < plan.vorgaenge.size()) {
    for (std::size_t v = 0; v < leader.size(); ++v) leader[v] = v;
  }
  return leader;
}

AnswerPlan one_of_each_shape(const AnswerPlan& plan, const std::vector<std::size_t>& leader,
                             std::vector<std::size_t>& standing_for) {
  AnswerPlan trial = plan;
  trial.vorgaenge.clear();
  standing_for.assign(leader.size(), 0);
  for (std::size_t v = 0; v < leader.size(); ++v) {
    if (leader[v] != v) continue;
    standing_for[v] = trial.vorgaenge.size();
    trial.vorgaenge.push_back(plan.vorgaenge[v]);
  }
  for (std::size_t v = 0; v < leader.size(); ++v) standing_for[v] = standing_for[leader[v]];
  std::erase_if(trial.request_dates, [&](RequestDate& date) {
    if (leader[date.vorgang - 1] != date.vorgang - 1) return true;
    date.vorgang = standing_for[date.vorgang - 1] + 1;
    return false;
  });
  return trial;
}

}  // namespace quorvane_native::edifact::answer

#include "quorvane_native/edifact/answer/vorgaenge_alike.hpp"

#include <fmt/format.h>

#include <algorithm>
#include <array>
#include <map>
#include <string>

#include "edi_energy/lokation_reference.hpp"

namespace quorvane_native::edifact::answer {

using edi_energy::lokation_reference::shape_of;

namespace {

namespace structure = edi_energy::profile::structure;

// Data elements that hold a name, an address, an ID or a free text. No condition of a column reads
// such a value, only whether it is there, so Vorgänge that differ in them alone need alike.
constexpr std::array<std::string_view, 13> free_values{"1154", "3036", "3039", "3042", "3124", "3148", "3164",
                                                       "3228", "3229", "3251", "3412", "4440", "7008"};

// The data element at `element` (from 1) and `component` (from 0) of a segment of `definition`.
std::string_view data_element(const edi_energy::profile::model::SegmentNode& definition, std::size_t element,
                              std::size_t component) {
  if (element == 0 || element > definition.elements.size()) return {};
  const auto& at = definition.elements[element - 1];
  if (at.components.empty()) return component == 0 ? std::string_view(at.id) : std::string_view();
  return component < at.components.size() ? std::string_view(at.components[component].id) : std::string_view();
}

// Appends segment text `text` with each Lokation ID in it put as its shape and, where `definition`
// is the segment's, each free value put as whether it is there.
void append_shaped(std::string& shape, std::string_view text,
                   const edi_energy::profile::model::SegmentNode* definition) {
  std::size_t start = 0;
  std::size_t element = 0;
  std::size_t component = 0;
  for (std::size_t at = 0; at <= text.size(); ++at) {
    if (at < text.size() && text[at] == '?') {
      ++at;
      continue;
    }
    const bool end = at == text.size() || text[at] == '+' || text[at] == ':' || text[at] == '\'';
    if (!end) continue;
    const std::string_view value = text.substr(start, at - start);
    if (definition != nullptr &&
        std::ranges::find(free_values, data_element(*definition, element, component)) != free_values.end()) {
      if (!value.empty()) shape += '\x02';
    } else if (const auto id = shape_of(value); id != edi_energy::lokation_reference::Shape::none) {
      shape += fmt::format("\x01{}", static_cast<int>(id));
    } else {
      shape += value;
    }
    if (at < text.size()) {
      shape += text[at];
      component = text[at] == ':' ? component + 1 : 0;
      element += text[at] == '+' ? 1 : 0;
    }
    start = at + 1;
  }
}

std::string shape_of_vorgang(const EchoVorgang& vorgang, const RequestShapes& request, std::size_t v) {
  std::string shape;
  for (const Echo& echo : vorgang.echoes) {
    // The Vorgangsnummer the answer refers to and the Lokation IDs tell no Vorgang's shape; of a
    // reference only whether it is there does.
    std::string_view told;
    if (echo.tag == "STS") {
      told = echo.value;
    } else if (echo.tag == "RFF" && !echo.replaceable && !echo.value.empty() &&
               !edi_energy::lokation_reference::lokation_shaped(echo.value)) {
      told = "\x02";
    }
    shape += fmt::format("{}+{}:{}:{}:{}:{}|", echo.tag, echo.qualifier, echo.kept, told,
                         echo.ergaenzung.value_or(""), echo.befristung.value_or(""));
  }
  for (const auto& [kind, id] : vorgang.lokationen) {
    shape += fmt::format("{}:{}|", kind, static_cast<int>(shape_of(id)));
  }
  if (request.cut != nullptr && v <= request.cut->vorgaenge()) {
    const VorgangCut& cut = *request.cut;
    const bool placed = request.column != nullptr && request.places.size() == cut.segments.size();
    const auto [first, last] = cut.range(v);
    for (std::size_t at = first + 1; at < last; ++at) {
      const CutSegment& segment = cut.segments[at];
      if (segment.key == "RFF+TN") continue;
      const edi_energy::profile::model::SegmentNode* definition = nullptr;
      if (placed && request.places[at]) {
        const structure::Structure& mig = request.column->profile->structure();
        if (const auto* node = mig.nodes[*request.places[at]].segment()) definition = &mig.segment_defs[node->def];
      }
      append_shaped(shape, segment.text, definition);
    }
  }
  return shape;
}

}  // namespace

void append_masked(std::string& shape, std::string_view text) { append_shaped(shape, text, nullptr); }

std::vector<std::size_t> first_of_shape(const AnswerPlan& plan, const RequestShapes& request) {
  // The request's cut holds the Vorgänge in the plan's order where it holds them all.
  const RequestShapes none{};
  const bool whole = request.cut != nullptr && request.cut->vorgaenge() == plan.vorgaenge.size();
  const RequestShapes& read = whole ? request : none;
  std::map<std::string_view, std::size_t, std::less<>> numbers;
  for (const EchoVorgang& vorgang : plan.vorgaenge) ++numbers[vorgang.vorgangsnummer];
  std::map<std::string, std::size_t, std::less<>> first;
  std::vector<std::size_t> leader;
  leader.reserve(plan.vorgaenge.size());
  for (std::size_t v = 0; v < plan.vorgaenge.size(); ++v) {
    // The answer finds a Vorgang's request by its number: one that stands twice is tried itself.
    if (numbers[plan.vorgaenge[v].vorgangsnummer] > 1) {
      leader.push_back(v);
      continue;
    }
    leader.push_back(first.try_emplace(shape_of_vorgang(plan.vorgaenge[v], read, v + 1), v).first->second);
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

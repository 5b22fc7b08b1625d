#include "quorvane_native/edifact/answer/given_lokationen.hpp"

#include <fmt/format.h>

#include <algorithm>
#include <map>
#include <unordered_set>

#include "edi_energy/lokation_reference.hpp"
#include "quorvane_native/edifact/column_places.hpp"
#include "support/debug_quote.hpp"

namespace quorvane_native::edifact::answer {

namespace {

namespace lokation = edi_energy::lokation_reference;
using support::debug_quote;

// No more in one Vorgang than the column has room for, the request's own counted first.
std::optional<py::Failure> beyond_room(std::span<const std::pair<std::string, std::string>> references,
                                       const GivenPlaces& placed, std::span<const NamedByRequest> vorgaenge,
                                       EchoPlaces& places) {
  for (std::size_t v = 0; v < vorgaenge.size(); ++v) {
    if (placed.of_vorgang[v].empty()) continue;
    std::map<std::pair<std::string_view, std::string_view>, std::size_t> held;
    for (const std::string& own : vorgaenge[v].in_sg5) ++held[{"LOC", own}];
    std::unordered_set<std::string_view> named;
    for (const auto& lokation : vorgaenge[v].lokationen) named.insert(lokation.second);
    std::unordered_set<std::string_view> counted;
    for (const std::size_t at : placed.of_vorgang[v]) {
      const GivenLokation& given = *placed.of_reference[at];
      // The same ID given twice stands once.
      if (!counted.insert(references[at].second).second) continue;
      // One the request's Vorgang names itself stands there once.
      const bool own = named.contains(references[at].second);
      for (const auto& [tag, qualifier] : {std::pair<std::string_view, std::string_view>{"LOC", own ? std::string_view() : std::string_view(given.location)},
                                           {"RFF", given.in_sg6 ? std::string_view(references[at].first) : ""}}) {
        if (qualifier.empty()) continue;
        const std::size_t count = ++held[{tag, qualifier}];
        const auto room = places.room(tag, qualifier);
        if (!room || count <= *room) continue;
        return py::value_error(fmt::format("references[{}]: Vorgang {} would hold {} {}+{} of a {}, and the answer's "
                                           "column has room for {} in a Vorgang",
                                           at, debug_quote(vorgaenge[v].vorgangsnummer), count, tag, qualifier,
                                           lokation::lokation_named(given.kind, given.form).name, *room));
      }
    }
  }
  return std::nullopt;
}

}  // namespace

bool names_referenced(std::span<const std::pair<std::string, std::string>> lokationen, std::string_view reference) {
  const lokation::Shape shape = lokation::shape_named(reference);
  const auto kinds = lokation::referenced(reference, shape);
  return std::ranges::any_of(lokationen, [&](const auto& named) {
    return std::ranges::find(kinds, named.first) != kinds.end() && lokation::shape_of(named.second) == shape;
  });
}

py::Expected<GivenPlaces> place_given_lokationen(std::span<const std::pair<std::string, std::string>> references,
                                                 std::span<const NamedByRequest> vorgaenge, EchoPlaces& places,
                                                 const std::optional<ColumnRef>& column, const LokationNeeds* needs) {
  GivenPlaces placed{.of_reference = std::vector<std::optional<GivenLokation>>(references.size()),
                     .of_vorgang = std::vector<std::vector<std::size_t>>(vorgaenge.size())};
  const auto used = [&](std::string_view qualifier) { return !column || uses_qualifier(*column, "RFF", qualifier); };
  // The Lokationen of one kind the caller names, by their first reference.
  std::vector<std::vector<std::size_t>> kinds;
  for (std::size_t at = 0; at < references.size(); ++at) {
    const auto& [qualifier, value] = references[at];
    const lokation::Shape shape = lokation::shape_named(qualifier);
    if (shape == lokation::Shape::none) continue;
    const auto referenced = lokation::referenced(qualifier, shape);
    GivenLokation given;
    const auto location = std::ranges::find_if(referenced, [&](std::string_view kind) { return places.takes_location(kind); });
    given.kind = location != referenced.end() ? *location : referenced.front();
    given.form = lokation::form_of(shape);
    if (location != referenced.end()) given.location = *location;
    const auto named = lokation::lokation_named(given.kind, given.form);
    if (auto why = lokation::why_not(shape, value)) {
      // Gas writes either kind as its Meldepunkt.
      return py::value_error(fmt::format("references[{}]: {} under {} names a {}{}, and is not a {}: {}", at,
                                         debug_quote(value), qualifier, named.name,
                                         given.kind == "172" ? " as Meldepunkt" : "", given.form, *why));
    }
    given.in_sg6 = places.takes_reference(qualifier);
    const auto naming = lokation::reference_naming(given.kind, lokation::form_of(shape), used);
    if (given.location.empty() && !given.in_sg6 && !(naming && used(*naming))) {
      return py::value_error(fmt::format("references[{}]: the answer's column has no place for a {}'s {}: no LOC of "
                                         "its kind and no reference to one",
                                         at, named.name, lokation::form_of(shape)));
    }
    placed.of_reference[at] = std::move(given);
    const auto same = std::ranges::find_if(kinds, [&](const auto& indices) {
      const auto& first = *placed.of_reference[indices.front()];
      return first.kind == placed.of_reference[at]->kind && lokation::shape_named(references[indices.front()].first) == shape;
    });
    if (same != kinds.end()) {
      same->push_back(at);
    } else {
      kinds.push_back({at});
    }
  }
  for (const auto& indices : kinds) {
    const std::size_t first = indices.front();
    const GivenLokation& given = *placed.of_reference[first];
    if (vorgaenge.size() == 1) {
      placed.of_vorgang.front().insert(placed.of_vorgang.front().end(), indices.begin(), indices.end());
      continue;
    }
    const lokation::Shape shape = lokation::shape_named(references[first].first);
    const std::string_view form = lokation::form_of(shape);
    const auto names_none = [&](std::size_t v) {
      return !names_referenced(vorgaenge[v].lokationen, references[first].first);
    };
    const std::pair<std::string, std::string_view> kind(given.kind, form);
    std::vector<std::size_t> takers;
    if (needs != nullptr && needs->size() == vorgaenge.size()) {
      for (std::size_t v = 0; v < vorgaenge.size(); ++v) {
        if (names_none(v) && std::ranges::find((*needs)[v], kind) != (*needs)[v].end()) {
          takers.push_back(v);
        }
      }
    }
    const bool needed = !takers.empty();
    if (!needed) {
      for (std::size_t v = 0; v < vorgaenge.size(); ++v) {
        if (names_none(v)) takers.push_back(v);
      }
    }
    const auto named = lokation::lokation_named(given.kind, given.form);
    if (takers.empty()) {
      return py::value_error(fmt::format("references[{}]: {} under {} names a {}, and each of the {} Vorgänge names "
                                         "its own, beside which the answer takes none",
                                         first, debug_quote(references[first].second), references[first].first,
                                         named.name, vorgaenge.size()));
    }
    if (indices.size() == 1) {
      for (const std::size_t v : takers) placed.of_vorgang[v].push_back(first);
    } else if (indices.size() == takers.size()) {
      for (std::size_t k = 0; k < indices.size(); ++k) placed.of_vorgang[takers[k]].push_back(indices[k]);
    } else {
      const std::string_view which = needed ? "needs one" : "names none";
      // Where one Vorgang takes them, one ID for all and one for each are the same.
      const std::string give =
          takers.size() == 1 ? std::string("give 1 ID")
                             : fmt::format("give one ID (it stands in each Vorgang that {}) or {}, one for each of "
                                           "them in Vorgang order",
                                           which, takers.size());
      return py::value_error(fmt::format("references: {} IDs of a {} ({}) given for {} Vorgänge, {} of which {}: {}",
                                         indices.size(), named.name, form, vorgaenge.size(), takers.size(),
                                         takers.size() == 1 ? which : (needed ? "need one" : "name none"), give));
    }
  }
  for (auto& given : placed.of_vorgang) std::ranges::sort(given);
  if (auto refused = beyond_room(references, placed, vorgaenge, places)) return std::move(*refused);
  return placed;
}

}  // namespace quorvane_native::edifact::answer

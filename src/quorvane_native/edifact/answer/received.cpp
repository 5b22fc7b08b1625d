#include "quorvane_native/edifact/answer/received.hpp"

#include <fmt/format.h>

#include <algorithm>
#include <ranges>

#include "quorvane_native/edifact/vorgang_cut.hpp"
#include "quorvane_native/edifact/answer/echo.hpp"
#include "support/debug_quote.hpp"

namespace quorvane_native::edifact::answer {

namespace {

using edi_energy::profile::structure::NodeIndex;

bool holds(const StringPairs& pairs, std::string_view first, std::string_view second) {
  return std::ranges::any_of(pairs, [&](const auto& pair) { return pair.first == first && pair.second == second; });
}

py::Failure refused(const Carried& carried, const CarriedVorgang& vorgang, std::string_view what,
                    const ColumnVerdict& verdict, const Rejection& rejection) {
  return py::value_error(fmt::format("received: message {}, Vorgang {}: the answer must carry {}, which the column "
                                     "of {} does not admit — {}",
                                     carried.message_index, support::debug_quote(vorgang.vorgangsnummer), what,
                                     verdict.column, rejection.text));
}

// The carried value a rejected segment of Vorgang `vorgang` holds, if it is one.
std::optional<std::string> carried_value(const Carried& carried, const CarriedVorgang& vorgang,
                                         const CutSegment& segment, const Rejection& rejection) {
  const std::string_view tag = segment.tag();
  // IDE's qualifier is the answer's own.
  if (tag == "IDE") {
    return rejection.value == vorgang.vorgangsnummer ? std::optional(vorgang.vorgangsnummer) : std::nullopt;
  }
  if (tag == "LOC" && holds(vorgang.locations, segment.qualifier(), segment.value)) return segment.value;
  if (tag == "RFF" && holds(vorgang.references, segment.qualifier(), segment.value)) {
    // A reference the caller gives as well is the caller's to leave out.
    if (carried.given_references != nullptr && holds(*carried.given_references, segment.qualifier(), segment.value)) {
      return std::nullopt;
    }
    return segment.value;
  }
  return std::nullopt;
}

// For a count the column refuses ("…-MAX") of the SG5 Lokationen or SG6 references: the segment
// node it counts, from the rule id "AHB-{pid}-{SGn}-{nr}-MAX" or "AHB-{pid}-{nr}-{tag}-MAX".
std::optional<NodeIndex> counted_node(const ColumnRef& column, std::string_view key) {
  const std::string_view rule = key.substr(0, key.find('|'));
  if (!rule.ends_with("-MAX")) return std::nullopt;
  std::vector<std::string_view> parts;
  for (const auto part : std::views::split(rule, '-')) parts.emplace_back(part.begin(), part.end());
  if (parts.size() != 5) return std::nullopt;
  const auto& index = column.profile->structure().nr_index;
  for (const std::string_view nr : {parts[2], parts[3]}) {
    if (const auto found = index.find(nr); found != index.end()) return found->second;
  }
  return std::nullopt;
}

std::optional<py::Failure> count_fault(const Carried& carried, const ColumnVerdict& verdict, const ColumnRef& column,
                                       const Rejection& rejection) {
  const auto node = counted_node(column, rejection.key);
  if (!node) return std::nullopt;
  const bool locations = in_vorgang_group(column, *node, "SG5");
  // The caller's references stand in every Vorgang beside the carried ones.
  const bool references = in_vorgang_group(column, *node, "SG6") &&
                          (carried.given_references == nullptr || carried.given_references->empty());
  if (!locations && !references) return std::nullopt;
  const auto count = [&](const CarriedVorgang& vorgang) {
    return locations ? vorgang.locations.size() : vorgang.references.size();
  };
  const auto most = std::ranges::max_element(carried.vorgaenge, {}, count);
  if (most == carried.vorgaenge.end() || count(*most) == 0) return std::nullopt;
  return refused(carried, *most, fmt::format("{} {} segments", count(*most), locations ? "LOC" : "RFF"), verdict,
                 rejection);
}

}  // namespace

std::optional<py::Failure> received_fault(const Carried& carried, const ColumnVerdict& verdict,
                                          const ColumnRef& column, std::string_view answer) {
  if (verdict.rejections.empty()) return std::nullopt;
  const VorgangCut cut = cut_vorgaenge(answer).value_or(VorgangCut{});
  for (const Rejection& rejection : verdict.rejections) {
    if (!rejection.segment) {
      if (auto fault = count_fault(carried, verdict, column, rejection)) return fault;
      continue;
    }
    const std::size_t at = *rejection.segment;
    if (at >= cut.segments.size()) continue;
    const CutSegment& segment = cut.segments[at];
    if (segment.vorgang == 0 || segment.vorgang > carried.vorgaenge.size()) continue;
    const CarriedVorgang& vorgang = carried.vorgaenge[segment.vorgang - 1];
    if (auto value = carried_value(carried, vorgang, segment, rejection)) {
      return refused(carried, vorgang, support::debug_quote(*value), verdict, rejection);
    }
  }
  return std::nullopt;
}

}  // namespace quorvane_native::edifact::answer

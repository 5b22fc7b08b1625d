#include "quorvane_native/edifact/answer/late_dates.hpp"

#include <map>
#include <string>
#include <string_view>
#include <utility>

#include "edi_energy/messages/segments/field.hpp"
#include "quorvane_native/edifact/answer/echo.hpp"
#include "quorvane_native/edifact/vorgang_cut.hpp"

namespace quorvane_native::edifact::answer {

namespace {

using ::edifact::model::Segment;

// Whether any DTM of a Vorgang stands in a group as the cut counts it: only then may one be late,
// and the MIG need not be asked otherwise.
bool dates_after_groups(std::span<const Segment> segments) {
  bool in_vorgang = false;
  bool in_group = false;
  for (const Segment& segment : segments) {
    const std::string_view tag = segment.tag();
    if (tag == "IDE") in_vorgang = true;
    if (closes_groups(tag)) in_group = false;
    if (in_vorgang && is_group_head(tag)) in_group = true;
    if (in_group && tag == "DTM") return true;
  }
  return false;
}

}  // namespace

std::vector<LateDate> late_vorgang_dates(std::span<const Segment> segments, const Places& places,
                                         const ColumnRef& column) {
  std::vector<LateDate> late;
  if (places.size() != segments.size()) return late;
  const auto& nodes = column.profile->structure().nodes;
  std::map<std::string, std::optional<NodeIndex>, std::less<>> date_places;
  bool in_vorgang = false;
  bool in_group = false;
  std::optional<NodeIndex> group;  // the MIG group of the current group's head; none where it has no place
  const auto inside_group = [&](std::optional<NodeIndex> place) {
    for (auto node = place; node && group; node = nodes[*node].parent) {
      if (*node == *group) return true;
    }
    return false;
  };
  for (std::size_t at = 0; at < segments.size(); ++at) {
    const std::string_view tag = segments[at].tag();
    if (tag == "IDE") in_vorgang = true;
    if (closes_groups(tag)) in_group = false;
    if (in_vorgang && is_group_head(tag)) {
      in_group = true;
      group = places[at] ? nodes[*places[at]].parent : std::nullopt;
      continue;
    }
    if (!in_group || tag != "DTM" || inside_group(places[at])) continue;
    const std::string_view qualifier = edi_energy::messages::segments::leading_text(segments[at]);
    auto known = date_places.find(qualifier);
    if (known == date_places.end()) {
      known = date_places.emplace(std::string(qualifier), vorgang_date_node(column, qualifier)).first;
    }
    if (known->second) late.push_back(LateDate{at, *known->second});
  }
  return late;
}

RequestRead read_request(const edi_energy::messages::utilmd::UtilmdMessage& request,
                         std::span<const Segment> segments, const StringPairs& given_dates, const ColumnRef& column) {
  RequestRead read;
  read.fills = fills_places(request, given_dates, column);
  if (!read.fills && !dates_after_groups(segments)) return read;
  read.places = places_of(segments, column);
  const std::vector<LateDate> late = late_vorgang_dates(segments, read.places, column);
  if (late.empty()) return read;
  std::vector<bool> moving(segments.size(), false);
  for (const LateDate& date : late) {
    moving[date.segment] = true;
    read.places[date.segment] = date.place;
  }
  // The dates written right after the IDE stay first, so that where the request gives one
  // qualifier twice the reader keeps the one it wrote in place.
  std::vector<std::size_t> order;
  order.reserve(segments.size());
  auto next_late = late.begin();
  for (std::size_t at = 0; at < segments.size(); ++at) {
    if (moving[at]) continue;
    order.push_back(at);
    if (segments[at].tag() != "IDE") continue;
    while (at + 1 < segments.size() && segments[at + 1].tag() == "DTM" && !moving[at + 1]) order.push_back(++at);
    std::size_t end = at + 1;
    while (end < segments.size() && segments[end].tag() != "IDE" && segments[end].tag() != "UNT") ++end;
    for (; next_late != late.end() && next_late->segment < end; ++next_late) order.push_back(next_late->segment);
  }
  edi_energy::messages::utilmd::UtilmdMessage reread = request;
  Places places(order.size());
  std::vector<Segment> in_order;
  in_order.reserve(order.size());
  for (std::size_t k = 0; k < order.size(); ++k) {
    in_order.push_back(segments[order[k]]);
    places[k] = read.places[order[k]];
  }
  reread.core.segments = std::move(in_order);
  reread.transactions = edi_energy::messages::utilmd::parse_transactions(reread.core.segments);
  read.fills = fills_places(reread, given_dates, column);
  read.places = std::move(places);
  read.reread = std::move(reread);
  return read;
}

}  // namespace quorvane_native::edifact::answer

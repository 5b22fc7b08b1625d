#include "quorvane_native/edifact/answer/group_order.hpp"

#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "quorvane_native/edifact/vorgang_cut.hpp"

namespace quorvane_native::edifact::answer {

namespace {

using edi_energy::profile::structure::NodeIndex;
using edi_energy::profile::structure::QualifierTexts;
using edi_energy::profile::structure::Structure;

// As the answer's cut has them: an SG8 or SG12 group runs from its head to the next head, LOC,
// IDE or UNT.
bool ends_group(std::string_view tag) { return is_group_head(tag) || closes_groups(tag); }

// The groups right below a Vorgang's.
std::vector<NodeIndex> vorgang_groups(const Structure& structure) {
  std::vector<NodeIndex> groups;
  const auto& nodes = structure.nodes;
  for (NodeIndex node = 0; node < nodes.size(); ++node) {
    const auto parent = nodes[node].parent;
    if (nodes[node].group() != nullptr && !nodes[node].children.empty() && parent &&
        nodes[*parent].group() != nullptr && nodes[*parent].group()->group == structure.vorgang_group) {
      groups.push_back(node);
    }
  }
  return groups;
}

// Where a head's group goes: the trigger of the Vorgang's group that the head fits best; none
// where none takes its codes. A head whose code no group lists, or that leaves one empty, has no
// place of its own: the reader took it wherever it stood until the count there was full, and
// moved ahead it would take every group of its tag, the places of the request's own groups behind
// it too.
struct Fitted {
  std::optional<NodeIndex> trigger;
  bool foreign = false;  // a group takes it only with a code the group does not list
};

Fitted fitted_for(const Structure& structure, const std::vector<NodeIndex>& groups,
                  const ::edifact::model::Segment& head) {
  QualifierTexts texts(head);
  Fitted fitted;
  Structure::Fit best_fit = Structure::Fit::None;
  for (const NodeIndex group : groups) {
    const Structure::Fit fit = structure.fit(group, texts);
    if (fit > best_fit) {
      best_fit = fit;
      if (fit > Structure::Fit::Foreign) fitted.trigger = structure.nodes[group].children.front();
    }
  }
  fitted.foreign = best_fit == Structure::Fit::Foreign;
  return fitted;
}

// The segment's tag and components, as a key.
std::string text_of(const ::edifact::model::Segment& segment) {
  std::string text(segment.tag());
  for (const auto& element : segment.elements()) {
    text += '+';
    for (const auto& component : element.components()) {
      text += component.text;
      text += ':';
    }
  }
  return text;
}

}  // namespace

std::vector<std::size_t> group_order(std::span<const ::edifact::model::Segment> segments,
                                     const edi_energy::profile::structure::Resolution& resolution,
                                     const Structure& structure) {
  const std::size_t count = segments.size();
  const auto tag = [&](std::size_t at) { return segments[at].tag(); };
  const auto unplaced_head = [&](std::size_t at) { return is_group_head(tag(at)) && !resolution.placements[at]; };
  std::size_t first_ide = 0;
  while (first_ide < count && tag(first_ide) != "IDE") ++first_ide;
  bool any = false;
  for (std::size_t at = first_ide; at < count && !any; ++at) any = unplaced_head(at);
  if (!any) return {};
  const std::vector<NodeIndex> groups = vorgang_groups(structure);
  std::vector<std::size_t> order;
  order.reserve(count);
  for (std::size_t at = 0; at < first_ide; ++at) order.push_back(at);
  struct Unit {
    std::size_t first = 0;
    std::size_t last = 0;
    std::optional<NodeIndex> place;  // of a placed head
    std::optional<NodeIndex> goes_to;  // the trigger an unplaced head's group goes by
    bool foreign = false;  // a group whose head's codes no group lists
  };
  // A request repeats a head many times: each text is fitted once.
  std::map<std::string, Fitted, std::less<>> fitted;
  const auto fitted_at = [&](std::size_t at) -> const Fitted& {
    auto [known, fresh] = fitted.try_emplace(text_of(segments[at]));
    if (fresh) known->second = fitted_for(structure, groups, segments[at]);
    return known->second;
  };
  for (std::size_t at = first_ide; at < count;) {
    // One Vorgang, or what follows the last one.
    std::size_t end = at + 1;
    while (end < count && tag(end) != "IDE" && tag(end) != "UNT") ++end;
    if (tag(at) == "UNT") end = count;
    std::vector<Unit> units;
    for (std::size_t first = at; first < end;) {
      std::size_t last = first + 1;
      if (is_group_head(tag(first))) {
        while (last < end && !ends_group(tag(last))) ++last;
      }
      Unit unit{first, last, std::nullopt, std::nullopt, false};
      if (resolution.placements[first]) {
        if (is_group_head(tag(first))) {
          // The reader places a head of a code no group lists at the first place of its tag with
          // room, which may be a place of the request's own groups behind it: such a group is
          // read nowhere, with what it holds.
          const NodeIndex node = resolution.placements[first]->node;
          QualifierTexts texts(segments[first]);
          unit.foreign = structure.fit(node, texts) == Structure::Fit::Foreign && fitted_at(first).foreign;
          if (!unit.foreign) unit.place = node;
        }
      } else if (is_group_head(tag(first))) {
        const Fitted& head = fitted_at(first);
        unit.goes_to = head.trigger;
        unit.foreign = head.foreign;
      }
      units.push_back(unit);
      first = last;
    }
    // Each moving group stands before the first group that stays and that the MIG puts later.
    std::vector<std::vector<std::size_t>> before(units.size() + 1);
    std::map<NodeIndex, std::size_t> first_later;  // per place moved to
    for (std::size_t k = 0; k < units.size(); ++k) {
      if (!units[k].goes_to) continue;
      auto [known, fresh] = first_later.try_emplace(*units[k].goes_to, units.size());
      if (fresh) {
        for (std::size_t other = 0; other < units.size(); ++other) {
          if (units[other].place && *units[other].place > *units[k].goes_to) {
            known->second = other;
            break;
          }
        }
      }
      before[known->second].push_back(k);
    }
    const auto add = [&](const Unit& unit) {
      for (std::size_t segment = unit.first; segment < unit.last; ++segment) order.push_back(segment);
    };
    for (std::size_t k = 0; k <= units.size(); ++k) {
      for (const std::size_t moving : before[k]) add(units[moving]);
      if (k < units.size() && !units[k].goes_to && !units[k].foreign) add(units[k]);
    }
    at = end;
  }
  if (order.size() < count) return order;
  for (std::size_t at = 0; at < count; ++at) {
    if (order[at] != at) return order;
  }
  return {};
}

}  // namespace quorvane_native::edifact::answer

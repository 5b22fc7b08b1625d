#include "quorvane_native/edifact/answer/past_count.hpp"

#include <map>
#include <optional>
#include <utility>

namespace quorvane_native::edifact::answer {

namespace {

using State = Choice::State;

// How many times a unit may stand at `place` in one instance of what holds it: a group's head
// repeats as its group does. 0 for any number.
std::size_t count_of(const ColumnRef& column, NodeIndex place) {
  const auto& nodes = column.profile->structure().nodes;
  const auto& node = nodes[place];
  if (node.parent) {
    const auto& holder = nodes[*node.parent];
    if (holder.group() != nullptr && !holder.children.empty() && holder.children.front() == place) {
      return holder.max;
    }
  }
  return node.max;
}

// Whether a unit may go past its count: the reader placed it nowhere, and it replaces nothing of
// completion's.
bool may_go(const Choice& choice) { return choice.unplaced && !choice.fallback && choice.place; }

// Of choices [first, last), the units of each place that holds one that may go, per unit they
// stand in, in order, with the count of the place.
struct AtPlace {
  std::size_t count = 0;
  std::vector<std::size_t> units;
};
std::vector<AtPlace> counted_places(const std::vector<Choice>& choices, std::size_t first, std::size_t last,
                                      const ColumnRef& column) {
  using Key = std::pair<std::optional<std::size_t>, NodeIndex>;
  std::map<Key, std::vector<std::size_t>> by_place;
  for (std::size_t at = first; at < last; ++at) {
    if (may_go(choices[at])) by_place.try_emplace(Key(choices[at].parent, *choices[at].place));
  }
  if (by_place.empty()) return {};
  for (std::size_t at = first; at < last; ++at) {
    if (!choices[at].place) continue;
    const auto found = by_place.find(Key(choices[at].parent, *choices[at].place));
    if (found != by_place.end()) found->second.push_back(at);
  }
  std::vector<AtPlace> found;
  for (auto& [key, units] : by_place) {
    const std::size_t count = count_of(column, key.second);
    if (count != 0) found.push_back(AtPlace{count, std::move(units)});
  }
  return found;
}

// The units past their count to try next in a Vorgang: at each place, as many of the earliest not
// yet tried as units went from it.
std::vector<std::size_t> next_tries(std::vector<Choice>& choices, std::size_t first, std::size_t last,
                                    const ColumnRef& column, std::vector<bool>& tried) {
  std::vector<std::size_t> trying;
  for (const AtPlace& place : counted_places(choices, first, last, column)) {
    std::size_t standing = 0;
    for (const std::size_t at : place.units) {
      const Choice& choice = choices[at];
      standing += choice.state == State::carried || (choice.state == State::reverted && choice.fallback) ? 1 : 0;
    }
    for (auto at = place.units.begin(); at != place.units.end() && standing < place.count; ++at) {
      if (choices[*at].state != State::past_count || tried[*at]) continue;
      tried[*at] = true;
      trying.push_back(*at);
      ++standing;
    }
  }
  return trying;
}

}  // namespace

void leave_past_counts(std::vector<Choice>& choices, std::size_t first, std::size_t last, const ColumnRef& column) {
  for (const AtPlace& place : counted_places(choices, first, last, column)) {
    std::size_t standing = 0;
    for (const std::size_t at : place.units) {
      if (standing < place.count || !may_go(choices[at])) {
        ++standing;
      } else {
        choices[at].state = State::past_count;
      }
    }
  }
}

void fill_past_counts(std::vector<Choice>& choices, const std::vector<std::size_t>& first_choice,
                      const ColumnRef& column, const JudgeOpen& faulted) {
  const std::size_t count = first_choice.size() - 2;
  std::vector<bool> tried(choices.size(), false);
  std::vector<std::vector<std::vector<std::size_t>>> pending(count + 1);
  const auto set = [&](const std::vector<std::size_t>& units, State state) {
    for (const std::size_t at : units) choices[at].state = state;
  };
  for (;;) {
    std::vector<bool> open(count + 1, false);
    std::vector<std::vector<std::size_t>> trying(count + 1);
    bool any = false;
    for (std::size_t vorgang = 1; vorgang <= count; ++vorgang) {
      if (pending[vorgang].empty()) {
        auto next = next_tries(choices, first_choice[vorgang], first_choice[vorgang + 1], column, tried);
        if (!next.empty()) pending[vorgang].push_back(std::move(next));
      }
      if (pending[vorgang].empty()) continue;
      trying[vorgang] = std::move(pending[vorgang].back());
      pending[vorgang].pop_back();
      set(trying[vorgang], State::carried);
      open[vorgang] = any = true;
    }
    if (!any) return;
    const std::vector<bool> at_fault = faulted(open);
    for (std::size_t vorgang = 1; vorgang <= count; ++vorgang) {
      const std::vector<std::size_t>& tried_now = trying[vorgang];
      if (!open[vorgang] || !at_fault[vorgang]) continue;
      set(tried_now, State::past_count);
      const std::size_t half = tried_now.size() / 2;
      if (half > 0) {
        pending[vorgang].emplace_back(tried_now.begin() + static_cast<std::ptrdiff_t>(half), tried_now.end());
        pending[vorgang].emplace_back(tried_now.begin(), tried_now.begin() + static_cast<std::ptrdiff_t>(half));
      }
    }
  }
}

}  // namespace quorvane_native::edifact::answer

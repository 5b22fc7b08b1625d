#include "quorvane_native/edifact/answer/past_count.hpp"

#include <algorithm>
#include <map>
#include <optional>
#include <utility>

#include "edi_energy/profile/structure.hpp"

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

// Whether a unit may go past the MIG's count: the reader placed it nowhere, and it replaces
// nothing of completion's.
bool may_go(const Choice& choice) { return choice.unplaced && !choice.fallback && choice.place; }

bool stands(const Choice& choice) {
  return choice.state == State::carried || (choice.state == State::reverted && choice.fallback);
}

// Of choices [first, last), the units of each place that holds one `marked`, per unit they stand
// in, in order.
template <class Marked>
std::vector<std::vector<std::size_t>> at_places(const std::vector<Choice>& choices, std::size_t first,
                                                std::size_t last, Marked marked) {
  using Key = std::pair<std::optional<std::size_t>, NodeIndex>;
  std::map<Key, std::vector<std::size_t>> by_place;
  for (std::size_t at = first; at < last; ++at) {
    if (choices[at].place && marked(choices[at])) by_place.try_emplace(Key(choices[at].parent, *choices[at].place));
  }
  std::vector<std::vector<std::size_t>> found;
  if (by_place.empty()) return found;
  for (std::size_t at = first; at < last; ++at) {
    if (!choices[at].place) continue;
    const auto place = by_place.find(Key(choices[at].parent, *choices[at].place));
    if (place != by_place.end()) place->second.push_back(at);
  }
  for (auto& [key, units] : by_place) found.push_back(std::move(units));
  return found;
}

// The units past their count to try next in a Vorgang: at each place, as many of the earliest not
// yet tried as it has room for.
std::vector<std::size_t> next_tries(std::vector<Choice>& choices, std::size_t first, std::size_t last,
                                    std::vector<bool>& tried) {
  std::vector<std::size_t> trying;
  const auto past = [](const Choice& choice) { return choice.state == State::past_count; };
  for (const auto& units : at_places(choices, first, last, past)) {
    std::size_t count = 0;
    std::size_t standing = 0;
    for (const std::size_t at : units) {
      if (past(choices[at])) count = std::max(count, choices[at].count);
      if (stands(choices[at])) ++standing;
    }
    for (auto at = units.begin(); at != units.end() && standing < count; ++at) {
      if (!past(choices[*at]) || tried[*at]) continue;
      tried[*at] = true;
      trying.push_back(*at);
      ++standing;
    }
  }
  return trying;
}

}  // namespace

void leave_past_counts(std::vector<Choice>& choices, std::size_t first, std::size_t last, const ColumnRef& column) {
  for (const auto& units : at_places(choices, first, last, may_go)) {
    const std::size_t count = count_of(column, *choices[units.front()].place);
    if (count == 0) continue;
    std::size_t standing = 0;
    for (const std::size_t at : units) {
      if (standing < count || !may_go(choices[at])) {
        ++standing;
      } else {
        choices[at].state = State::past_count;
        choices[at].count = count;
      }
    }
  }
}

void fill_past_counts(std::vector<Choice>& choices, const std::vector<std::size_t>& first_choice,
                      const JudgeOpen& faulted) {
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
        auto next = next_tries(choices, first_choice[vorgang], first_choice[vorgang + 1], tried);
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

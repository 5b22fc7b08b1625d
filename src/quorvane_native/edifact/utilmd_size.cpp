#include "quorvane_native/edifact/utilmd_size.hpp"

#include <algorithm>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "edi_energy/message_type.hpp"
#include "quorvane_native/edifact/build_pipeline.hpp"
#include "quorvane_native/edifact/column_verdict.hpp"
#include "quorvane_native/edifact/reader_limits.hpp"
#include "quorvane_native/edifact/sample_lokationen.hpp"
#include "quorvane_native/edifact/vorgang_layout.hpp"

namespace quorvane_native::edifact {

namespace {

// Fewer Vorgänge would each need a thousand segments of completion's to reach the limit.
constexpr std::size_t fewest_vorgaenge = 10;
// The kinds of Vorgang completed alone, most frequent first: a bulk message mostly repeats a few.
constexpr std::size_t completed_kinds = 8;

// A Vorgang's segments after its IDE with each Lokation's ID masked but for its length: the
// Vorgänge of a bulk message each name their own Lokation, and completion writes the same beside
// any ID of one Lokationstyp and length.
std::string kind_of(std::string_view content) {
  std::string kind(content);
  bool lokation = false;
  std::size_t element = 0;
  std::size_t component = 0;
  for (std::size_t at = 0, start = 0; at < kind.size(); ++at) {
    if (at == start) {
      lokation = kind.compare(at, 4, "LOC+") == 0;
      element = 0;
      component = 0;
    }
    const bool id = lokation && element == 2 && component == 0;
    const char c = kind[at];
    if (c == '?' && at + 1 < kind.size()) {
      if (id) kind[at] = kind[at + 1] = '#';
      ++at;
    } else if (c == '\'') {
      start = at + 1;
    } else if (c == '+') {
      ++element;
      component = 0;
    } else if (c == ':') {
      ++component;
    } else if (id) {
      kind[at] = '#';
    }
  }
  return kind;
}

}  // namespace

py::Status utilmd_would_fit(std::string_view built, const std::vector<std::vector<std::string>>& given,
                            const edi_energy::release::Release& release, std::uint32_t pruefidentifikator,
                            py::Args args) {
  const auto layout = layout_of(built);
  if (!layout || layout->vorgaenge.size() < fewest_vorgaenge) return {};
  MessageSize own = layout->frame();
  // The Vorgänge alike but for their Vorgangsnummer and Lokation IDs: how many, and the first of them.
  std::unordered_map<std::string, std::pair<std::size_t, std::size_t>> kinds;
  for (std::size_t k = 0; k < layout->vorgaenge.size(); ++k) {
    const Stretch& vorgang = layout->vorgaenge[k];
    ++kinds.try_emplace(kind_of(built.substr(vorgang.content, vorgang.end - vorgang.content)), 0, k)
          .first->second.first;
    own += vorgang.size();
  }
  std::vector<std::pair<std::size_t, std::size_t>> frequent;
  for (const auto& entry : kinds) frequent.push_back(entry.second);
  const auto most = frequent.begin() + static_cast<std::ptrdiff_t>(std::min(completed_kinds, frequent.size()));
  std::partial_sort(frequent.begin(), most, frequent.end(), [](const auto& a, const auto& b) {
    return a.first != b.first ? a.first > b.first : a.second < b.second;
  });
  frequent.erase(most, frequent.end());
  // Each kind's first Vorgang completed alone, and whether its column accepts it so.
  std::vector<std::pair<std::string, bool>> alone(frequent.size());
  {
    // No verdict of the caller's hears of these completions.
    ColumnVerdict unheard;
    const VerdictScope scope(unheard);
    for (std::size_t kind = 0; kind < frequent.size(); ++kind) {
      auto completed = completed_alone(built, *layout, layout->vorgaenge[frequent[kind].second], release,
                                       pruefidentifikator);
      if (completed) alone[kind] = {std::move(*completed), unheard.rejections.empty()};
    }
  }
  const auto estimate = [&] {
    MessageSize estimate = own;
    bool frame_completed = false;
    for (std::size_t kind = 0; kind < frequent.size(); ++kind) {
      const auto sizes = sizes_alone(alone[kind].first);
      if (!sizes) continue;
      if (!frame_completed) estimate += added(sizes->frame, layout->frame());
      frame_completed = true;
      estimate += added(sizes->vorgang, layout->vorgaenge[frequent[kind].second].size(), frequent[kind].first);
    }
    return estimate;
  };
  const MessageSize completed = estimate();
  auto fits = fits_reader(completed.segments, completed.bytes, args);
  if (fits) return fits;
  // Too large as completed: the build leaves out completion's sample Lokationen the column does
  // without, so each kind counts as the build makes its first Vorgang; but only from a message the
  // column accepts, which one holding a kind refused alone is not.
  const auto column = column_of(edi_energy::message_type::MessageType::Utilmd, release, pruefidentifikator);
  const bool accepted = std::ranges::all_of(alone, [](const auto& kind) { return kind.second; });
  if (!column || !accepted || given.size() != layout->vorgaenge.size()) return fits;
  for (std::size_t kind = 0; kind < frequent.size(); ++kind) {
    std::string& message = alone[kind].first;
    message = without_sample_lokationen(std::move(message), {given[frequent[kind].second]}, *column,
                                        pruefidentifikator, true);
  }
  const MessageSize written = estimate();
  return fits_reader(written.segments, written.bytes, args);
}

}  // namespace quorvane_native::edifact

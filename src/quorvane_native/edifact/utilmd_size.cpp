#include "quorvane_native/edifact/utilmd_size.hpp"

#include <algorithm>
#include <unordered_map>
#include <utility>
#include <vector>

#include "quorvane_native/edifact/reader_limits.hpp"
#include "quorvane_native/edifact/vorgang_layout.hpp"

namespace quorvane_native::edifact {

namespace {

// Fewer Vorgänge would each need a thousand segments of completion's to reach the limit.
constexpr std::size_t fewest_vorgaenge = 10;
// The kinds of Vorgang completed alone, most frequent first: a bulk message mostly repeats a few.
constexpr std::size_t completed_kinds = 8;

}  // namespace

py::Status utilmd_would_fit(std::string_view built, const edi_energy::release::Release& release,
                            std::uint32_t pruefidentifikator, py::Args args) {
  const auto layout = layout_of(built);
  if (!layout || layout->vorgaenge.size() < fewest_vorgaenge) return {};
  MessageSize estimate = layout->frame();
  // The Vorgänge alike but for their Vorgangsnummer: how many, and the first of them.
  std::unordered_map<std::string_view, std::pair<std::size_t, std::size_t>> kinds;
  for (std::size_t k = 0; k < layout->vorgaenge.size(); ++k) {
    const Part& vorgang = layout->vorgaenge[k];
    ++kinds.try_emplace(built.substr(vorgang.content, vorgang.end - vorgang.content), 0, k).first->second.first;
    estimate += vorgang.size();
  }
  std::vector<std::pair<std::size_t, std::size_t>> frequent;
  for (const auto& entry : kinds) frequent.push_back(entry.second);
  const auto most = frequent.begin() + static_cast<std::ptrdiff_t>(std::min(completed_kinds, frequent.size()));
  std::partial_sort(frequent.begin(), most, frequent.end(), [](const auto& a, const auto& b) {
    return a.first != b.first ? a.first > b.first : a.second < b.second;
  });
  bool frame_completed = false;
  for (auto kind = frequent.begin(); kind != most; ++kind) {
    const Part& vorgang = layout->vorgaenge[kind->second];
    const auto alone = completed_alone(built, *layout, vorgang, release, pruefidentifikator);
    if (!alone) continue;
    if (!frame_completed) estimate += added(alone->frame, layout->frame());
    frame_completed = true;
    estimate += added(alone->vorgang, vorgang.size(), kind->first);
  }
  return fits_reader(estimate.segments, estimate.bytes, args);
}

}  // namespace quorvane_native::edifact

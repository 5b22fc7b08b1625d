#include "quorvane_native/edifact/utilmd_size.hpp"

#include <algorithm>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "edi_energy/message_type.hpp"
#include "quorvane_native/edifact/build_pipeline.hpp"
#include "quorvane_native/edifact/column_verdict.hpp"
#include "quorvane_native/edifact/reader_limits.hpp"

namespace quorvane_native::edifact {

namespace {

// Fewer Vorgänge would each need a thousand segments of completion's to reach the limit.
constexpr std::size_t fewest_vorgaenge = 10;
// The kinds of Vorgang completed alone, most frequent first: a bulk message mostly repeats a few.
constexpr std::size_t completed_kinds = 8;

struct Size {
  std::size_t segments = 0;
  std::size_t bytes = 0;

  Size& operator+=(Size more) {
    segments += more.segments;
    bytes += more.bytes;
    return *this;
  }
};

// What completion added to `own`, `times` over.
Size added(Size completed, Size own, std::size_t times = 1) {
  return {times * (completed.segments - std::min(completed.segments, own.segments)),
          times * (completed.bytes - std::min(completed.bytes, own.bytes))};
}

// A stretch of the message: bytes [start, end) and the segments in them.
struct Part {
  std::size_t start = 0;
  std::size_t end = 0;
  std::size_t segments = 0;
  std::size_t content = 0;  // a Vorgang's first byte after its IDE

  Size size() const { return {segments, end - start}; }
};

// What comes before the first Vorgang, each Vorgang, and the trailer; as the builders write a
// message, without UNA and with the default service characters.
struct Layout {
  Part head;
  std::vector<Part> vorgaenge;
  Part trailer;

  // Head and trailer.
  Size frame() const { return {head.segments + trailer.segments, head.end + trailer.size().bytes}; }
};

std::optional<Layout> layout_of(std::string_view message) {
  Layout layout;
  Part* part = &layout.head;
  std::size_t start = 0;
  for (std::size_t at = 0; at < message.size(); ++at) {
    if (message[at] == '?') {
      ++at;
      continue;
    }
    if (message[at] != '\'') continue;
    const std::string_view tag = message.substr(start, 3);
    if (tag == "IDE") {
      part = &layout.vorgaenge.emplace_back(Part{.start = start, .end = 0, .segments = 0, .content = at + 1});
    } else if (tag == "UNT") {
      part = &layout.trailer;
      part->start = start;
    }
    ++part->segments;
    part->end = at + 1;
    start = at + 1;
  }
  if (layout.trailer.segments != 1 || layout.trailer.end != message.size() || layout.vorgaenge.empty()) {
    return std::nullopt;
  }
  layout.head.end = layout.vorgaenge.front().start;
  for (std::size_t k = 0; k + 1 < layout.vorgaenge.size(); ++k) layout.vorgaenge[k].end = layout.vorgaenge[k + 1].start;
  layout.vorgaenge.back().end = layout.trailer.start;
  return layout;
}

// What completion writes for the message of `built`'s head and trailer around the one Vorgang.
struct Alone {
  Size frame;
  Size vorgang;
};

std::optional<Alone> completed_alone(std::string_view built, const Layout& layout, const Part& vorgang,
                                     const edi_energy::release::Release& release, std::uint32_t pruefidentifikator) {
  std::string message(built.substr(0, layout.head.end));
  message += built.substr(vorgang.start, vorgang.end - vorgang.start);
  message += built.substr(layout.trailer.start);
  // Only its size is wanted: no verdict of the caller's hears of it.
  ColumnVerdict unheard;
  const VerdictScope scope(unheard);
  const auto completed = complete_to_column(std::move(message), edi_energy::message_type::MessageType::Utilmd, release,
                                            pruefidentifikator, {}, std::nullopt);
  if (!completed) return std::nullopt;
  const auto parts = layout_of(*completed);
  if (!parts || parts->vorgaenge.size() != 1) return std::nullopt;
  return Alone{parts->frame(), parts->vorgaenge.front().size()};
}

}  // namespace

py::Status utilmd_would_fit(std::string_view built, const edi_energy::release::Release& release,
                            std::uint32_t pruefidentifikator, py::Args args) {
  const auto layout = layout_of(built);
  if (!layout || layout->vorgaenge.size() < fewest_vorgaenge) return {};
  Size estimate = layout->frame();
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

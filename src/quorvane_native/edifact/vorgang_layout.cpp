#include "quorvane_native/edifact/vorgang_layout.hpp"

#include <algorithm>
#include <string>
#include <utility>

#include "edi_energy/message_type.hpp"
#include "quorvane_native/edifact/build_pipeline.hpp"

namespace quorvane_native::edifact {

MessageSize added(MessageSize completed, MessageSize own, std::size_t times) {
  return {times * (completed.segments - std::min(completed.segments, own.segments)),
          times * (completed.bytes - std::min(completed.bytes, own.bytes))};
}

std::optional<Layout> layout_of(std::string_view message) {
  Layout layout;
  Stretch* stretch = &layout.head;
  std::size_t start = 0;
  for (std::size_t at = 0; at < message.size(); ++at) {
    if (message[at] == '?') {
      ++at;
      continue;
    }
    if (message[at] != '\'') continue;
    const std::string_view tag = message.substr(start, 3);
    if (tag == "IDE") {
      stretch = &layout.vorgaenge.emplace_back(Stretch{.start = start, .end = 0, .segments = 0, .content = at + 1});
    } else if (tag == "UNT") {
      stretch = &layout.trailer;
      stretch->start = start;
    }
    ++stretch->segments;
    stretch->end = at + 1;
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

std::optional<std::string> completed_alone(std::string_view built, const Layout& layout, const Stretch& vorgang,
                                           const edi_energy::release::Release& release,
                                           std::uint32_t pruefidentifikator) {
  std::string message(built.substr(0, layout.head.end));
  message += built.substr(vorgang.start, vorgang.end - vorgang.start);
  message += built.substr(layout.trailer.start);
  auto completed = complete_to_column(std::move(message), edi_energy::message_type::MessageType::Utilmd, release,
                                      pruefidentifikator, {}, std::nullopt);
  if (!completed) return std::nullopt;
  return std::move(*completed);
}

std::optional<Alone> sizes_alone(std::string_view message) {
  const auto layout = layout_of(message);
  if (!layout || layout->vorgaenge.size() != 1) return std::nullopt;
  return Alone{layout->frame(), layout->vorgaenge.front().size()};
}

}  // namespace quorvane_native::edifact

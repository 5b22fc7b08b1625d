#include "quorvane_native/edifact/vorgang_layout.hpp"

#include <algorithm>
#include <string>
#include <utility>

#include "edi_energy/message_type.hpp"
#include "quorvane_native/edifact/build_pipeline.hpp"
#include "quorvane_native/edifact/vorgang_cut.hpp"

namespace quorvane_native::edifact {

MessageSize added(MessageSize completed, MessageSize own, std::size_t times) {
  return {times * (completed.segments - std::min(completed.segments, own.segments)),
          times * (completed.bytes - std::min(completed.bytes, own.bytes))};
}

std::optional<Layout> layout_of(std::string_view message) {
  const auto cut = cut_vorgaenge(message);
  if (!cut || cut->vorgaenge() == 0) return std::nullopt;
  const auto offset = [&](std::size_t at) {
    return static_cast<std::size_t>(cut->segments[at].text.data() - message.data());
  };
  const std::size_t unt = cut->segments.size() - 1;
  Layout layout;
  layout.head = Stretch{.start = 0, .end = offset(cut->ides.front()), .segments = cut->ides.front(), .content = 0};
  for (std::size_t vorgang = 1; vorgang <= cut->vorgaenge(); ++vorgang) {
    const auto [first, last] = cut->range(vorgang);
    layout.vorgaenge.push_back(Stretch{.start = offset(first),
                                       .end = offset(last),
                                       .segments = last - first,
                                       .content = offset(first) + cut->segments[first].text.size()});
  }
  layout.trailer = Stretch{.start = offset(unt), .end = message.size(), .segments = 1, .content = 0};
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

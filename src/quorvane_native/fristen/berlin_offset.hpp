// Showing deadline results in Berlin time: the deadline rules show a due time that they moved
// (to a window end, to Sunday or weekday noon) at UTC, while the Python functions promise the
// Berlin offset of the due day for those.
#pragma once

#include <expected>
#include <optional>

#include "zelk/fristen/error.hpp"
#include "zelk/fristen/instant.hpp"

namespace quorvane_native::fristen {

// The same moment at the Berlin offset then in force; local mean time (an offset with seconds)
// cannot be shown in RFC 3339 and is an error.
std::expected<zelk_fristen::Instant, zelk_fristen::FristError> shown_in_berlin(const zelk_fristen::Instant& instant);

namespace berlin_offset_detail {
std::expected<zelk_fristen::Instant, zelk_fristen::FristError> receipt_for_rule(const zelk_fristen::Instant& received);
std::expected<zelk_fristen::Instant, zelk_fristen::FristError> due_for_caller(
    const zelk_fristen::Instant& received, const std::expected<zelk_fristen::Instant, zelk_fristen::FristError>& due);
}  // namespace berlin_offset_detail

// Applies `rule` (receipt to due time), which keeps the offset of receipt unless it moves the due
// time, which it shows at UTC. The receipt is handed over at its Berlin offset (never zero), so a
// due time at UTC can only be a moved one: that one comes back at the Berlin offset, any other at
// the offset of `received`.
template <class Rule>
std::expected<zelk_fristen::Instant, zelk_fristen::FristError> apply_keeping_offset(
    const zelk_fristen::Instant& received, Rule rule) {
  const auto handed_over = berlin_offset_detail::receipt_for_rule(received);
  if (!handed_over) return handed_over;
  return berlin_offset_detail::due_for_caller(received, rule(*handed_over));
}

}  // namespace quorvane_native::fristen

#include "quorvane_native/fristen/berlin_offset.hpp"

#include "zelk/fristen/berlin_zone.hpp"

namespace quorvane_native::fristen {

using zelk_fristen::FristError;
using zelk_fristen::Instant;

std::expected<Instant, FristError> shown_in_berlin(const Instant& instant) {
  const std::int32_t offset = zelk_fristen::berlin_offset_at(instant.utc_seconds());
  const std::optional<Instant> shown = instant.at_offset(offset);
  if (!shown) return std::unexpected(zelk_fristen::out_of_range_error);
  if (offset % 60 != 0) {
    return std::unexpected(FristError{.kind = FristError::Kind::unrepresentable_offset,
                                      .date = shown->local_date(),
                                      .clock = shown->local_clock(),
                                      .offset_seconds = offset});
  }
  return *shown;
}

std::expected<Instant, FristError> shown_for_caller(const std::expected<zelk_fristen::DueTime, FristError>& due) {
  if (!due) return std::unexpected(due.error());
  if (due->moved) return shown_in_berlin(due->at);
  return due->at;
}

}  // namespace quorvane_native::fristen

#include "zelk/fristen/berlin_time.hpp"

#include <optional>

#include "zelk/fristen/berlin_zone.hpp"

namespace zelk_fristen {

std::expected<Instant, FristError> resolve_berlin(std::chrono::year_month_day date, ClockTime clock) {
  // A wall-clock time belongs to offset o when o is in force at the moment it denotes under o;
  // trying every offset the zone has used finds both readings of a repeated hour and none in a gap.
  std::optional<Instant> earliest;
  for (const std::int32_t offset : berlin_offsets_in_use()) {
    const std::optional<Instant> candidate = Instant::from_local(date, clock, offset);
    if (!candidate) return std::unexpected(out_of_range_error);
    if (berlin_offset_at(candidate->utc_seconds()) != offset) continue;
    if (!earliest || *candidate < *earliest) earliest = candidate;
  }
  if (!earliest) {
    return std::unexpected(FristError{.kind = FristError::Kind::skipped_local_time, .date = date, .clock = clock});
  }
  return *earliest;
}

std::expected<Instant, FristError> berlin_at(std::chrono::year_month_day date, ClockTime clock) {
  auto resolved = resolve_berlin(date, clock);
  if (resolved && resolved->offset_seconds() % 60 != 0) {
    return std::unexpected(FristError{.kind = FristError::Kind::unrepresentable_offset,
                                      .date = date,
                                      .clock = clock,
                                      .offset_seconds = resolved->offset_seconds()});
  }
  return resolved;
}

std::expected<Instant, FristError> noon_berlin(std::chrono::year_month_day date) {
  const auto noon = resolve_berlin(date, ClockTime::noon());
  if (!noon) return noon;
  if (const auto at_utc = noon->at_offset(0)) return *at_utc;
  return std::unexpected(out_of_range_error);
}

std::expected<std::chrono::year_month_day, FristError> berlin_day(const Instant& instant) {
  const auto in_berlin = instant.at_offset(berlin_offset_at(instant.utc_seconds()));
  if (!in_berlin) return std::unexpected(out_of_range_error);
  return in_berlin->local_date();
}

}  // namespace zelk_fristen

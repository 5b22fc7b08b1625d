// The Europe/Berlin zone as UTC offsets: a table of offset changes generated at build time from
// the system tzdata, then the EU rule (summer time from the last Sunday of March 01:00 UTC to the
// last Sunday of October 01:00 UTC) after the table's last change.
#pragma once

#include <chrono>
#include <cstdint>
#include <span>

namespace zelk_fristen {

struct ZoneTransition {
  // From this UTC second on, `offset_seconds` is in force.
  std::int64_t utc_second;
  std::int32_t offset_seconds;
};

// The offset in force before the first change (local mean time).
std::int32_t berlin_initial_offset_seconds();
std::span<const ZoneTransition> berlin_transitions();

// The offset in force at a UTC second.
std::int32_t berlin_offset_at(std::chrono::sys_seconds utc_second);

// Every offset that Berlin has ever used, for resolving a wall-clock time.
std::span<const std::int32_t> berlin_offsets_in_use();

}  // namespace zelk_fristen

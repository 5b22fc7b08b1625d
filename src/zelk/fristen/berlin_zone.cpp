#include "zelk/fristen/berlin_zone.hpp"

#include <algorithm>
#include <array>
#include <iterator>

#include "zelk/fristen/berlin_zone_data.hpp"

namespace zelk_fristen {
namespace {

using std::chrono::sys_seconds;

constexpr std::int32_t winter_offset_seconds = 3600;
constexpr std::int32_t summer_offset_seconds = 7200;

static_assert(std::ranges::is_sorted(generated::berlin_transitions, {}, &ZoneTransition::utc_second),
              "the generated zone table must be in ascending order");

struct OffsetSet {
  std::array<std::int32_t, generated::berlin_transitions.size() + 3> values{};
  std::size_t count = 0;

  constexpr void add(std::int32_t offset) {
    if (std::find(values.begin(), values.begin() + count, offset) == values.begin() + count) values[count++] = offset;
  }
};

constexpr OffsetSet offsets_in_use = [] {
  OffsetSet offsets;
  offsets.add(generated::berlin_initial_offset_seconds);
  for (const ZoneTransition& transition : generated::berlin_transitions) offsets.add(transition.offset_seconds);
  offsets.add(winter_offset_seconds);
  offsets.add(summer_offset_seconds);
  return offsets;
}();

// 01:00 UTC on the last Sunday of `month` in `year`.
sys_seconds last_sunday_one_utc(std::chrono::year year, std::chrono::month month) {
  const std::chrono::sys_days last_sunday{year / month / std::chrono::Sunday[std::chrono::last]};
  return sys_seconds{last_sunday} + std::chrono::hours{1};
}

std::int32_t eu_rule_offset_at(sys_seconds utc_second) {
  const std::chrono::year year = std::chrono::year_month_day{std::chrono::floor<std::chrono::days>(utc_second)}.year();
  const bool summer = utc_second >= last_sunday_one_utc(year, std::chrono::March) &&
                      utc_second < last_sunday_one_utc(year, std::chrono::October);
  return summer ? summer_offset_seconds : winter_offset_seconds;
}

}  // namespace

std::int32_t berlin_initial_offset_seconds() { return generated::berlin_initial_offset_seconds; }

std::span<const ZoneTransition> berlin_transitions() { return generated::berlin_transitions; }

std::span<const std::int32_t> berlin_offsets_in_use() {
  return std::span(offsets_in_use.values.data(), offsets_in_use.count);
}

std::int32_t berlin_offset_at(sys_seconds utc_second) {
  const std::int64_t second = utc_second.time_since_epoch().count();
  const auto& table = generated::berlin_transitions;
  if (second >= table.back().utc_second) return eu_rule_offset_at(utc_second);
  const auto after = std::ranges::upper_bound(table, second, {}, &ZoneTransition::utc_second);
  if (after == table.begin()) return generated::berlin_initial_offset_seconds;
  return std::prev(after)->offset_seconds;
}

}  // namespace zelk_fristen

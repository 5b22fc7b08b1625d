#include "zelk/fristen/deadlines.hpp"

#include <algorithm>
#include <chrono>

#include "support/internal_fault.hpp"
#include "zelk/fristen/berlin_time.hpp"
#include "zelk/fristen/calendar.hpp"
#include "zelk/fristen/civil_date.hpp"

namespace zelk_fristen {
namespace {

using std::chrono::minutes;
using std::chrono::year_month_day;

constexpr std::chrono::seconds six_hours = std::chrono::hours{6};
constexpr std::chrono::seconds fifteen_minutes = minutes{15};
constexpr std::chrono::seconds forty_five_minutes = minutes{45};
constexpr std::chrono::seconds twenty_six_hours = std::chrono::hours{26};

std::expected<Instant, FristError> checked(std::optional<Instant> instant) {
  if (!instant) return std::unexpected(out_of_range_error);
  return *instant;
}

bool is_saturday(year_month_day date) {
  return std::chrono::weekday{std::chrono::sys_days{date}} == std::chrono::Saturday;
}

// A Formatumstellung window in Berlin wall-clock terms: start included, end excluded.
struct FormatumstellungWindow {
  std::chrono::month_day start_day;
  ClockTime start_clock;
  std::chrono::month_day end_day;
};

constexpr std::array<FormatumstellungWindow, 2> formatumstellung_windows{{
    {std::chrono::March / 31, *ClockTime::from_hms(18, 0), std::chrono::April / 2},
    {std::chrono::September / 30, *ClockTime::from_hms(18, 0), std::chrono::October / 2},
}};

std::expected<std::chrono::seconds, FristError> contrl_window(const Instant& received, ContrlAnlass anlass) {
  switch (anlass) {
    case ContrlAnlass::regelfall:
      return six_hours;
    case ContrlAnlass::strom_utilmd_orders: {
      const auto day = berlin_day(received);
      if (!day) return std::unexpected(day.error());
      return is_saturday(*day) ? six_hours : fifteen_minutes;
    }
    case ContrlAnlass::gas_alocat:
      return forty_five_minutes;
  }
  throw support::InternalFault("ContrlAnlass outside its enumeration");
}

std::expected<Instant, FristError> at_utc_when_moved(const std::expected<DueTime, FristError>& due) {
  if (!due) return std::unexpected(due.error());
  if (due->moved) return checked(due->at.at_offset(0));
  return due->at;
}

// The n-th Werktag after the Berlin day of receipt (that day itself for n = 0).
std::expected<year_month_day, FristError> werktag_after_receipt(const Instant& received, std::uint32_t n) {
  const auto day = berlin_day(received);
  if (!day) return day;
  return nth_werktag_after(*day, n);
}

}  // namespace

std::optional<ContrlAnlass> contrl_anlass_from_name(std::string_view name) {
  const auto found = std::ranges::find(contrl_anlass_names, name);
  if (found == contrl_anlass_names.end()) return std::nullopt;
  return static_cast<ContrlAnlass>(found - contrl_anlass_names.begin());
}

std::expected<DueTime, FristError> contrl_due(const Instant& received, ContrlAnlass anlass) {
  const auto window = contrl_window(received, anlass);
  if (!window) return std::unexpected(window.error());
  const auto due = checked(received.plus(*window));
  if (!due) return std::unexpected(due.error());
  // A Berlin day beyond the years is 31 December before them or 1 January after them: in no window.
  const auto due_day = berlin_day(*due);
  if (!due_day) return DueTime{*due};
  const std::chrono::month_day due_month_day = due_day->month() / due_day->day();
  for (const FormatumstellungWindow& window_dates : formatumstellung_windows) {
    // A due time inside a window falls on a Berlin day from its start day up to the day before
    // its end; other days need no zone resolution.
    if (due_month_day < window_dates.start_day || !(due_month_day < window_dates.end_day)) continue;
    const auto start = resolve_berlin(due_day->year() / window_dates.start_day, window_dates.start_clock);
    if (!start) return std::unexpected(start.error());
    const auto end = resolve_berlin(due_day->year() / window_dates.end_day, ClockTime{});
    if (!end) return std::unexpected(end.error());
    if (*start <= *due && *due < *end) return DueTime{*end, true};
  }
  return DueTime{*due};
}

std::expected<DueTime, FristError> aperak_strom_due(const Instant& received) {
  const auto day = berlin_day(received);
  if (!day) return std::unexpected(day.error());
  if (!is_saturday(*day)) {
    const auto due = checked(received.plus(forty_five_minutes));
    if (!due) return std::unexpected(due.error());
    return DueTime{*due};
  }
  const auto sunday = day_after(*day);
  if (!sunday) return std::unexpected(out_of_range_error);
  const auto noon = resolve_berlin(*sunday, ClockTime::noon());
  if (noon) return DueTime{*noon, true};
  if (noon.error().kind != FristError::Kind::skipped_local_time) return std::unexpected(noon.error());
  const auto fallback = checked(received.plus(twenty_six_hours));
  if (!fallback) return std::unexpected(fallback.error());
  return DueTime{*fallback};
}

std::expected<Instant, FristError> contrl_due_at(const Instant& received, ContrlAnlass anlass) {
  return at_utc_when_moved(contrl_due(received, anlass));
}

std::expected<Instant, FristError> aperak_strom_due_at(const Instant& received) {
  return at_utc_when_moved(aperak_strom_due(received));
}

std::expected<Instant, FristError> aperak_gas_folgeprozess_due_at(const Instant& received) {
  const auto day = werktag_after_receipt(received, 1);
  if (!day) return std::unexpected(day.error());
  return noon_berlin(*day);
}

std::expected<Instant, FristError> aperak_gas_initialprozess_due_at(const Instant& received) {
  return deadline_at_werktage(received, 3);
}

std::expected<Instant, FristError> nth_werktag_at(const Instant& received, std::uint32_t n, ClockTime clock) {
  const auto day = werktag_after_receipt(received, std::max<std::uint32_t>(n, 1));
  if (!day) return std::unexpected(day.error());
  return berlin_at(*day, clock);
}

std::expected<Instant, FristError> deadline_at_werktage(const Instant& received, std::uint32_t n) {
  const auto day = werktag_after_receipt(received, n);
  if (!day) return std::unexpected(day.error());
  return berlin_at(*day, ClockTime::end_of_day());
}

}  // namespace zelk_fristen

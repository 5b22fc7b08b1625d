#include "quorvane_native/fristen/deadline_functions.hpp"

#include <chrono>
#include <cstdint>
#include <string>
#include <utility>

#include <fmt/format.h>

#include "quorvane_native/fristen/berlin_offset.hpp"
#include "quorvane_native/fristen/results.hpp"
#include "quorvane_native/fristen/time_text.hpp"
#include "quorvane_native/py/convert.hpp"
#include "quorvane_native/py/result.hpp"
#include "support/debug_quote.hpp"
#include "zelk/fristen/berlin_time.hpp"
#include "zelk/fristen/calendar.hpp"
#include "zelk/fristen/civil_date.hpp"
#include "zelk/fristen/deadlines.hpp"

namespace quorvane_native::fristen {
namespace {

using zelk_fristen::ClockTime;
using zelk_fristen::FristError;
using zelk_fristen::Instant;

py::Expected<std::chrono::year_month_day> date_argument(py::Arg arg) {
  auto text = py::to_str(arg);
  if (!text) return py::propagate(text);
  return parse_date(*text);
}

// An instant argument with the text it was read from, which an unwritable result names.
struct InstantArgument {
  std::string text;
  Instant instant;

  Given given(std::string_view argument) const { return Given{argument, text}; }
};

py::Expected<InstantArgument> instant_argument(py::Arg arg) {
  auto text = py::to_str(arg);
  if (!text) return py::propagate(text);
  auto instant = parse_dt(*text);
  if (!instant) return py::propagate(instant);
  return InstantArgument{std::move(*text), *instant};
}

// A function of one receipt instant and nothing else.
template <auto rule>
py::Result due_for_receipt(py::Args args) {
  auto received = instant_argument(args[0]);
  if (!received) return py::propagate(received);
  return instant_result(rule(received->instant), received->given("received"));
}

// A receipt and a Werktag count, both converted before the receipt text is read.
template <auto rule>
py::Result due_after_werktage(py::Args args) {
  auto received_text = py::to_str(args[0]);
  if (!received_text) return py::propagate(received_text);
  auto werktage = py::to_u32(args[1]);
  if (!werktage) return py::propagate(werktage);
  auto received = parse_dt(*received_text);
  if (!received) return py::propagate(received);
  return instant_result(rule(*received, *werktage), Given{"received", *received_text});
}

struct DayBounds {
  Instant start;
  Instant end;
};

// Local midnight on `date` and on the next day, at UTC. The day's text names it in the error.
py::Expected<DayBounds> berlin_day_bounds_of(std::chrono::year_month_day date, std::string_view date_text) {
  const Given given{"date", date_text};
  const auto next_day = zelk_fristen::day_after(date);
  if (!next_day) return py::value_error(fmt::format("{} has no next day", date_text));
  const auto start = zelk_fristen::resolve_berlin(date, ClockTime{});
  if (!start) return frist_failure(start.error(), given);
  const auto end = zelk_fristen::resolve_berlin(*next_day, ClockTime{});
  if (!end) return frist_failure(end.error(), given);
  const auto start_utc = start->at_offset(0);
  const auto end_utc = end->at_offset(0);
  if (!start_utc || !end_utc) return frist_failure(zelk_fristen::out_of_range_error, given);
  return DayBounds{*start_utc, *end_utc};
}

}  // namespace

py::Result is_werktag(py::Args args) {
  auto date = date_argument(args[0]);
  if (!date) return py::propagate(date);
  return py::boolean(zelk_fristen::is_werktag(*date));
}

py::Result add_werktage(py::Args args) {
  auto date_text = py::to_str(args[0]);
  if (!date_text) return py::propagate(date_text);
  auto count = py::to_u32(args[1]);
  if (!count) return py::propagate(count);
  auto date = parse_date(*date_text);
  if (!date) return py::propagate(date);
  return date_result(zelk_fristen::nth_werktag_after(*date, *count), Given{"date", *date_text});
}

py::Result next_werktag(py::Args args) {
  auto date_text = py::to_str(args[0]);
  if (!date_text) return py::propagate(date_text);
  auto date = parse_date(*date_text);
  if (!date) return py::propagate(date);
  return date_result(zelk_fristen::first_werktag_from(*date), Given{"date", *date_text});
}

py::Result deadline_at_werktage(py::Args args) { return due_after_werktage<zelk_fristen::deadline_at_werktage>(args); }

py::Result end_of_werktag_after(py::Args args) { return due_after_werktage<zelk_fristen::end_of_werktag_after>(args); }

py::Result next_werktag_at(py::Args args) {
  auto received_text = py::to_str(args[0]);
  if (!received_text) return py::propagate(received_text);
  auto at_text = py::to_str(args[1]);
  if (!at_text) return py::propagate(at_text);
  auto received = parse_dt(*received_text);
  if (!received) return py::propagate(received);
  auto at = parse_clock(*at_text);
  if (!at) return py::propagate(at);
  return instant_result(zelk_fristen::nth_werktag_at(*received, 1, *at), Given{"received", *received_text});
}

py::Result add_hours(py::Args args) {
  auto received_text = py::to_str(args[0]);
  if (!received_text) return py::propagate(received_text);
  auto hours = py::to_u32(args[1]);
  if (!hours) return py::propagate(hours);
  auto received = parse_dt(*received_text);
  if (!received) return py::propagate(received);
  const Given given{"received", *received_text};
  const std::optional<Instant> sum = received->plus(std::chrono::hours{*hours});
  if (!sum) return frist_failure(zelk_fristen::out_of_range_error, given);
  return instant_result(*sum, given);
}

py::Result contrl_due_at(py::Args args) {
  auto received_text = py::to_str(args[0]);
  if (!received_text) return py::propagate(received_text);
  auto anlass_text = py::to_str(args[1]);
  if (!anlass_text) return py::propagate(anlass_text);
  auto received = parse_dt(*received_text);
  if (!received) return py::propagate(received);
  const auto anlass = zelk_fristen::contrl_anlass_from_name(*anlass_text);
  if (!anlass) {
    return py::value_error(
        fmt::format("unknown CONTRL Anlass {} — expected \"regelfall\", \"strom_utilmd_orders\" or \"gas_alocat\"",
                    support::debug_quote(*anlass_text)));
  }
  return instant_result(shown_for_caller(zelk_fristen::contrl_due(*received, *anlass)),
                        Given{"received", *received_text});
}

py::Result aperak_strom_due_at(py::Args args) {
  auto received = instant_argument(args[0]);
  if (!received) return py::propagate(received);
  return instant_result(shown_for_caller(zelk_fristen::aperak_strom_due(received->instant)),
                        received->given("received"));
}

py::Result aperak_gas_folgeprozess_due_at(py::Args args) {
  auto received = instant_argument(args[0]);
  if (!received) return py::propagate(received);
  const auto due = zelk_fristen::aperak_gas_folgeprozess_due_at(received->instant);
  if (!due) return frist_failure(due.error(), received->given("received"));
  return instant_result(shown_in_berlin(*due), received->given("received"));
}

py::Result aperak_gas_initialprozess_due_at(py::Args args) {
  return due_for_receipt<zelk_fristen::aperak_gas_initialprozess_due_at>(args);
}

py::Result berlin_day_bounds(py::Args args) {
  auto date_text = py::to_str(args[0]);
  if (!date_text) return py::propagate(date_text);
  auto date = parse_date(*date_text);
  if (!date) return py::propagate(date);
  auto bounds = berlin_day_bounds_of(*date, *date_text);
  if (!bounds) return py::propagate(bounds);
  const Given given{"date", *date_text};
  return py::tuple(instant_result(bounds->start, given), instant_result(bounds->end, given));
}

py::Result format_303(py::Args args) {
  auto instant = instant_argument(args[0]);
  if (!instant) return py::propagate(instant);
  auto text = fristen::format_303(instant->instant, instant->given("instant"));
  if (!text) return py::propagate(text);
  return py::str(*text);
}

py::Result berlin_instant(py::Args args) {
  auto date_text = py::to_str(args[0]);
  if (!date_text) return py::propagate(date_text);
  auto at_text = py::to_str(args[1]);
  if (!at_text) return py::propagate(at_text);
  auto date = parse_date(*date_text);
  if (!date) return py::propagate(date);
  auto at = parse_clock(*at_text);
  if (!at) return py::propagate(at);
  return instant_result(zelk_fristen::berlin_at(*date, *at), Given{"date", *date_text});
}

py::Result berlin_mtu_count(py::Args args) {
  auto date_text = py::to_str(args[0]);
  if (!date_text) return py::propagate(date_text);
  auto mtu_minutes = py::to_u32(args[1]);
  if (!mtu_minutes) return py::propagate(mtu_minutes);
  // Refused before the date is read: no date makes a unit of zero minutes meaningful.
  if (*mtu_minutes == 0) return py::value_error("mtu_minutes must be positive");
  auto date = parse_date(*date_text);
  if (!date) return py::propagate(date);
  auto bounds = berlin_day_bounds_of(*date, *date_text);
  if (!bounds) return py::propagate(bounds);
  const std::int64_t day_minutes = (bounds->end.utc_seconds() - bounds->start.utc_seconds()).count() / 60;
  if (day_minutes % *mtu_minutes != 0) {
    return py::value_error(fmt::format("{}-minute units do not tile the {}-hour Europe/Berlin day on {}", *mtu_minutes,
                                       day_minutes / 60, *date_text));
  }
  return py::integer_of(day_minutes / *mtu_minutes);
}

}  // namespace quorvane_native::fristen

#include "quorvane_native/fristen/time_text.hpp"

#include <fmt/format.h>

#include "quorvane_native/fristen/clock_text.hpp"
#include "support/time_text/iso8601_date.hpp"
#include "support/time_text/rfc3339.hpp"
#include "support/debug_quote.hpp"
#include "support/internal_fault.hpp"

namespace quorvane_native::fristen {
namespace {

using namespace support::time_text;

bool year_is_writable(std::chrono::year year) {
  const int value = static_cast<int>(year);
  return value >= 0 && value <= 9999;
}

// The formatter's own wording, naming the component it could not write.
py::Failure unwritable(std::string_view component) {
  return py::runtime_error(fmt::format("The {} component cannot be formatted into the requested format.", component));
}

py::Failure year_out_of_range(const Given& given, std::chrono::year year) {
  return py::value_error(fmt::format("{} {} is out of range: the result falls in the year {}, and only the years "
                                     "0000 to 9999 can be written",
                                     given.argument, support::debug_quote(given.text), static_cast<int>(year)));
}

// Berlin's local mean time before 1893-04-01: an offset with seconds, which RFC 3339 cannot write.
py::Failure local_mean_time(const Given& given, std::int32_t offset_seconds) {
  const std::int32_t magnitude = offset_seconds < 0 ? -offset_seconds : offset_seconds;
  return py::value_error(fmt::format(
      "{} {} is out of range: the result falls before 1893-04-01, when Berlin kept local mean time "
      "({}{:02}:{:02}:{:02}), an offset that RFC 3339 cannot write",
      given.argument, support::debug_quote(given.text), offset_seconds < 0 ? '-' : '+', magnitude / 3600,
      magnitude / 60 % 60, magnitude % 60));
}

}  // namespace

py::Expected<std::chrono::year_month_day> parse_date(std::string_view text) {
  const auto date = parse_iso8601_date(text);
  if (!date) {
    return py::value_error(
        fmt::format("invalid ISO 8601 date {}: {}", support::debug_quote(text), reason(date.error())));
  }
  return *date;
}

py::Expected<zelk_fristen::ClockTime> parse_clock(std::string_view text) {
  const auto clock = parse_clock_text(text);
  if (!clock) {
    return py::value_error(
        fmt::format("clock time must be \"HH:MM[:SS]\", got {}: {}", support::debug_quote(text), clock.error()));
  }
  return *clock;
}

py::Expected<zelk_fristen::Instant> parse_dt(std::string_view text) {
  const auto parsed = parse_rfc3339(text);
  if (!parsed) {
    return py::value_error(
        fmt::format("invalid RFC 3339 datetime {}: {}", support::debug_quote(text), reason(parsed.error())));
  }
  const auto clock =
      zelk_fristen::ClockTime::from_hms(parsed->hour, parsed->minute, parsed->second, parsed->nanosecond);
  const auto instant =
      clock ? zelk_fristen::Instant::from_local(parsed->date, *clock, parsed->offset_minutes * 60) : std::nullopt;
  // Years 0 to 9999 with an offset below a day always make an instant.
  if (!instant) throw support::InternalFault("a parsed RFC 3339 date-time has no instant");
  return *instant;
}

py::Expected<std::string> fmt_date(std::chrono::year_month_day date) {
  if (!year_is_writable(date.year())) return unwritable("year");
  std::string text;
  text.reserve(10);
  append_digits(text, static_cast<unsigned>(static_cast<int>(date.year())), 4);
  text += '-';
  append_digits(text, static_cast<unsigned>(date.month()), 2);
  text += '-';
  append_digits(text, static_cast<unsigned>(date.day()), 2);
  return text;
}

py::Expected<std::string> fmt_date(std::chrono::year_month_day date, const Given& given) {
  if (!year_is_writable(date.year())) return year_out_of_range(given, date.year());
  return fmt_date(date);
}

py::Expected<std::string> fmt_dt(const zelk_fristen::Instant& instant, const Given& given) {
  const std::chrono::year_month_day date = instant.local_date();
  if (!year_is_writable(date.year())) return year_out_of_range(given, date.year());
  if (instant.offset_seconds() % 60 != 0) return local_mean_time(given, instant.offset_seconds());
  const zelk_fristen::ClockTime clock = instant.local_clock();
  return format_rfc3339(Rfc3339DateTime{
      .date = date,
      .hour = static_cast<std::uint8_t>(clock.hour()),
      .minute = static_cast<std::uint8_t>(clock.minute()),
      .second = static_cast<std::uint8_t>(clock.second()),
      .nanosecond = clock.nanosecond(),
      .offset_minutes = instant.offset_seconds() / 60,
  });
}

py::Expected<std::string> format_303(const zelk_fristen::Instant& instant, const Given& given) {
  using namespace std::chrono;
  // Read straight from the UTC second: the instant's own span of local dates need not hold it.
  const sys_seconds utc = instant.utc_seconds();
  const sys_days day = floor<days>(utc);
  const year_month_day date{day};
  if (!year_is_writable(date.year())) return year_out_of_range(given, date.year());
  const hh_mm_ss<seconds> clock{utc - day};
  std::string text;
  text.reserve(15);
  append_digits(text, static_cast<unsigned>(static_cast<int>(date.year())), 4);
  append_digits(text, static_cast<unsigned>(date.month()), 2);
  append_digits(text, static_cast<unsigned>(date.day()), 2);
  append_digits(text, static_cast<unsigned>(clock.hours().count()), 2);
  append_digits(text, static_cast<unsigned>(clock.minutes().count()), 2);
  text += "+00";
  return text;
}

}  // namespace quorvane_native::fristen

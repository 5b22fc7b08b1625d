// The text forms of dates, clock times and instants for every Python function of the module:
// what they accept, how they are written back, and the exception (type and message) when they
// cannot be. Callers pass the error on unchanged.
#pragma once

#include <chrono>
#include <string>
#include <string_view>

#include "quorvane_native/py/errors.hpp"
#include "zelk/fristen/clock_time.hpp"
#include "zelk/fristen/instant.hpp"

namespace quorvane_native::fristen {

// An ISO 8601 date (calendar, ordinal or week form); a time of day after it is checked, then
// ignored. ValueError "invalid ISO 8601 date {:?}: {}".
py::Expected<std::chrono::year_month_day> parse_date(std::string_view text);

// "HH:MM[:SS]". ValueError 'clock time must be "HH:MM[:SS]", got {:?}: {}'.
py::Expected<zelk_fristen::ClockTime> parse_clock(std::string_view text);

// An RFC 3339 instant, kept in its own offset. ValueError "invalid RFC 3339 datetime {:?}: {}".
py::Expected<zelk_fristen::Instant> parse_dt(std::string_view text);

// The argument a result was computed from, as the caller gave it: a result that has no text form
// is the argument's fault, and the ValueError names it.
struct Given {
  std::string_view argument;
  std::string_view text;
};

// "YYYY-MM-DD"; RuntimeError for a year outside 0 to 9999 (for dates read from four digits).
py::Expected<std::string> fmt_date(std::chrono::year_month_day date);

// "YYYY-MM-DD"; ValueError naming `given` for a year outside 0 to 9999.
py::Expected<std::string> fmt_date(std::chrono::year_month_day date, const Given& given);

// RFC 3339 in the instant's own offset; ValueError naming `given` for a year outside 0 to 9999
// or an offset with seconds (Berlin's local mean time before 1893-04-01).
py::Expected<std::string> fmt_dt(const zelk_fristen::Instant& instant, const Given& given);

// EDIFACT DE 2379 format 303: the instant at UTC as CCYYMMDDHHMM and "+00", seconds dropped;
// ValueError naming `given` when the UTC year lies outside 0 to 9999.
py::Expected<std::string> format_303(const zelk_fristen::Instant& instant, const Given& given);

}  // namespace quorvane_native::fristen

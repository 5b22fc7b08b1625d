// Format-303 time stamps and clock times. Day boundaries depend on German summer time, which
// starts and ends at 01:00 UTC on the last Sundays of March and October.
#include <algorithm>
#include <chrono>
#include <tuple>

#include <fmt/format.h>

#include "edi_energy/profile/formatbedingung/checks.hpp"
#include "edi_energy/profile/unicode_text.hpp"
#include "support/debug_quote.hpp"
#include "support/decimal.hpp"
#include "support/time_text/dtm_value.hpp"

namespace edi_energy::profile::formatbedingung {
namespace {

namespace ut = unicode_text;

std::string not_a_zeitpunkt(std::string_view value) {
  return fmt::format("is {}, not a CCYYMMDDHHMMZZZ Zeitpunkt", support::debug_quote(value));
}

unsigned last_sunday(int year, unsigned month) {
  using namespace std::chrono;
  for (unsigned day = 31;; --day) {
    const year_month_day date{std::chrono::year{year}, std::chrono::month{month}, std::chrono::day{day}};
    if (date.ok() && weekday{sys_days{date}} == Sunday) return day;
  }
}

// A field of a time stamp: digits behind an optional "+" (and "-" where `signed_field`).
std::optional<int> read_field(std::string_view field, bool signed_field) {
  bool negative = false;
  if (field.starts_with('+')) {
    field.remove_prefix(1);
  } else if (signed_field && field.starts_with('-')) {
    negative = true;
    field.remove_prefix(1);
  }
  const std::optional<unsigned> magnitude = support::parse_decimal<unsigned>(field);
  if (!magnitude) return std::nullopt;
  return negative ? -static_cast<int>(*magnitude) : static_cast<int>(*magnitude);
}

struct Stamp {
  int year;
  unsigned month, day, hour, minute;
};

std::optional<Stamp> read_stamp(std::string_view first_twelve) {
  const auto field = [&](std::size_t offset, std::size_t length, bool signed_field) {
    return read_field(first_twelve.substr(offset, length), signed_field);
  };
  const auto year = field(0, 4, true);
  const auto month = field(4, 2, false);
  const auto day = field(6, 2, false);
  const auto hour = field(8, 2, false);
  const auto minute = field(10, 2, false);
  if (!year || !month || !day || !hour || !minute) return std::nullopt;
  if (*month < 1 || *month > 12 || *hour > 23 || *minute > 59) return std::nullopt;
  const std::chrono::year_month_day date{std::chrono::year{*year}, std::chrono::month{static_cast<unsigned>(*month)},
                                         std::chrono::day{static_cast<unsigned>(*day)}};
  if (!date.ok()) return std::nullopt;
  return Stamp{*year, static_cast<unsigned>(*month), static_cast<unsigned>(*day), static_cast<unsigned>(*hour),
               static_cast<unsigned>(*minute)};
}

}  // namespace

bool is_mesz(int year, unsigned month, unsigned day, unsigned hour, unsigned minute) {
  const auto instant = std::tuple(month, day, hour, minute);
  const auto start = std::tuple(3u, last_sunday(year, 3), 1u, 0u);
  const auto end = std::tuple(10u, last_sunday(year, 10), 1u, 0u);
  return instant >= start && instant < end;
}

Verdict zzz_utc(std::string_view value) {
  if (value.ends_with("+00")) return Verdict::holds();
  return Verdict::violated(fmt::format(R"(is {}, which does not end on "+00")", support::debug_quote(value)));
}

Verdict dtm_303_field(std::string_view value, std::size_t offset, std::string_view expected, std::string_view label) {
  // The zone is not this check's concern; the twelve digits before it must name a real instant.
  if (value.size() != 15 || support::time_text::check_dtm_value("203", value.substr(0, 12)) !=
                                support::time_text::DtmValue::Fits) {
    return Verdict::violated(not_a_zeitpunkt(value));
  }
  const std::string_view found = value.substr(std::min(offset, value.size()), expected.size());
  if (found == expected) return Verdict::holds();
  return Verdict::violated(fmt::format("has {} {}, not {}", label, found, expected));
}

Verdict hhmm(std::string_view value, std::string_view bound, bool lower) {
  if (value.size() != 4 || !ut::all_ascii_digits(value)) {
    return Verdict::violated(fmt::format("is {}, not four digits HHMM", support::debug_quote(value)));
  }
  const bool breaks = lower ? value < bound : value > bound;
  if (!breaks) return Verdict::holds();
  return Verdict::violated(fmt::format("is {}, not {} {}", value, lower ? "\u2265" : "\u2264", bound));
}

Verdict day_boundary(std::string_view value, std::string_view mesz_hhmm, std::string_view mez_hhmm,
                     std::string_view day_label) {
  if (Verdict utc = zzz_utc(value); utc.kind != Verdict::Kind::Holds) return utc;
  // Twelve characters, which may be more than twelve bytes.
  std::size_t twelve_end = 0;
  std::size_t hhmm_start = 0;
  for (std::size_t count = 0; count < 12; ++count) {
    if (twelve_end >= value.size()) return Verdict::violated(not_a_zeitpunkt(value));
    if (count == 8) hhmm_start = twelve_end;
    twelve_end += ut::char_at(value, twelve_end).length;
  }
  const std::string_view first_twelve = value.substr(0, twelve_end);
  // Fields of multi-byte characters never read as numbers, so byte offsets are exact here.
  const std::optional<Stamp> stamp = ut::char_count(first_twelve) == first_twelve.size()
                                         ? read_stamp(first_twelve)
                                         : std::nullopt;
  if (!stamp) return Verdict::violated(not_a_zeitpunkt(value));
  const bool mesz = is_mesz(stamp->year, stamp->month, stamp->day, stamp->hour, stamp->minute);
  const std::string_view expected = mesz ? mesz_hhmm : mez_hhmm;
  const std::string_view found = value.substr(hhmm_start, twelve_end - hhmm_start);
  if (found == expected) return Verdict::holds();
  return Verdict::violated(fmt::format("has HHMM {}; in {} the Beginn-/Ende-Zeitpunkt {} is {}", found,
                                       mesz ? "MESZ" : "MEZ", day_label, expected));
}

}  // namespace edi_energy::profile::formatbedingung

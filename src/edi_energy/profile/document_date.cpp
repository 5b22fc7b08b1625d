#include "edi_energy/profile/document_date.hpp"

#include <cstddef>
#include <optional>
#include <variant>

#include <fmt/format.h>

namespace edi_energy::profile {
namespace {

namespace chrono = std::chrono;

constexpr int largest_year = 9999;
constexpr unsigned largest_day = 31;
constexpr unsigned largest_ordinal = 366;
constexpr unsigned largest_week = 53;
constexpr unsigned largest_weekday = 7;

constexpr std::string_view invalid_literal = "a character literal was not valid";
constexpr std::string_view trailing_characters = "unexpected trailing characters; the end of input was expected";

std::string unparsable(std::string_view component) {
  return fmt::format("the '{}' component could not be parsed", component);
}

std::string out_of_range(std::string_view component) { return fmt::format("{} was not in range", component); }

// Takes exactly `count` ASCII digits from the front of `rest`.
std::optional<unsigned> take_digits(std::string_view& rest, std::size_t count) {
  if (rest.size() < count) return std::nullopt;
  unsigned value = 0;
  for (std::size_t index = 0; index < count; ++index) {
    const char digit = rest[index];
    if (digit < '0' || digit > '9') return std::nullopt;
    value = value * 10 + static_cast<unsigned>(digit - '0');
  }
  rest.remove_prefix(count);
  return value;
}

bool take_literal(std::string_view& rest, char literal) {
  if (rest.empty() || rest.front() != literal) return false;
  rest.remove_prefix(1);
  return true;
}

// Four digits, or a sign and six digits.
std::optional<int> take_year(std::string_view& rest) {
  int sign = 0;
  if (take_literal(rest, '+')) sign = 1;
  else if (take_literal(rest, '-')) sign = -1;
  const auto digits = take_digits(rest, sign == 0 ? 4 : 6);
  if (!digits) return std::nullopt;
  const int year = (sign < 0 ? -1 : 1) * static_cast<int>(*digits);
  if (year < -largest_year || year > largest_year) return std::nullopt;
  return year;
}

struct CalendarForm {
  unsigned month;
  unsigned day;
};
struct OrdinalForm {
  unsigned ordinal;
};
struct WeekForm {
  unsigned week;
  unsigned weekday;
};
using DateForm = std::variant<CalendarForm, OrdinalForm, WeekForm>;

struct FormRead {
  DateForm form;
  std::string_view rest;
};

std::expected<FormRead, std::string> read_calendar(std::string_view rest, bool extended) {
  const auto month = take_digits(rest, 2);
  if (!month || *month < 1 || *month > 12) return std::unexpected(unparsable("month"));
  if (extended && !take_literal(rest, '-')) return std::unexpected(std::string(invalid_literal));
  const auto day = take_digits(rest, 2);
  if (!day || *day < 1 || *day > largest_day) return std::unexpected(unparsable("day"));
  return FormRead{CalendarForm{*month, *day}, rest};
}

// Nothing when the text is no ordinal at all, so that the other forms' reasons stand.
std::optional<FormRead> read_ordinal(std::string_view rest) {
  const auto ordinal = take_digits(rest, 3);
  if (!ordinal || *ordinal < 1) return std::nullopt;
  return FormRead{OrdinalForm{*ordinal}, rest};
}

struct WeekFault {
  bool week_designator_seen;
  std::string reason;
};

std::expected<FormRead, WeekFault> read_week(std::string_view rest, bool extended) {
  if (!take_literal(rest, 'W')) return std::unexpected(WeekFault{false, std::string(invalid_literal)});
  const auto week = take_digits(rest, 2);
  if (!week || *week < 1 || *week > largest_week) return std::unexpected(WeekFault{true, unparsable("week")});
  if (extended && !take_literal(rest, '-')) return std::unexpected(WeekFault{true, std::string(invalid_literal)});
  const auto weekday = take_digits(rest, 1);
  if (!weekday || *weekday < 1 || *weekday > largest_weekday) {
    return std::unexpected(WeekFault{true, unparsable("weekday")});
  }
  return FormRead{WeekForm{*week, *weekday}, rest};
}

// The calendar form is tried first; its reason stands unless a later form reads or, for the
// week form, fails after its "W".
std::expected<FormRead, std::string> read_form(std::string_view rest, bool extended) {
  auto calendar = read_calendar(rest, extended);
  if (calendar) return calendar;
  if (auto ordinal = read_ordinal(rest)) {
    if (std::get<OrdinalForm>(ordinal->form).ordinal > largest_ordinal) return std::unexpected(unparsable("ordinal"));
    return *ordinal;
  }
  auto week = read_week(rest, extended);
  if (week) return *week;
  if (week.error().week_designator_seen) return std::unexpected(std::move(week.error().reason));
  return calendar;
}

chrono::year_month_day monday_of_first_week(chrono::year year) {
  // Week 1 holds 4 January.
  const chrono::sys_days fourth{year / chrono::January / 4};
  return chrono::year_month_day{fourth - (chrono::weekday{fourth} - chrono::Monday)};
}

unsigned weeks_in(chrono::year year) {
  const chrono::sys_days start{monday_of_first_week(year)};
  const chrono::sys_days next_start{monday_of_first_week(year + chrono::years{1})};
  return static_cast<unsigned>((next_start - start).count() / 7);
}

std::expected<chrono::year_month_day, std::string> date_of(chrono::year year, const DateForm& form) {
  if (const auto* calendar = std::get_if<CalendarForm>(&form)) {
    const chrono::year_month_day date{year / chrono::month{calendar->month} / chrono::day{calendar->day}};
    if (!date.ok()) return std::unexpected(out_of_range("day"));
    return date;
  }
  if (const auto* ordinal = std::get_if<OrdinalForm>(&form)) {
    const unsigned days_in_year = year.is_leap() ? 366 : 365;
    if (ordinal->ordinal > days_in_year) return std::unexpected(out_of_range("ordinal"));
    const chrono::sys_days first{year / chrono::January / 1};
    return chrono::year_month_day{first + chrono::days{ordinal->ordinal - 1}};
  }
  const auto& week = std::get<WeekForm>(form);
  if (week.week > weeks_in(year)) return std::unexpected(out_of_range("week"));
  const chrono::sys_days monday{monday_of_first_week(year)};
  return chrono::year_month_day{monday + chrono::days{(week.week - 1) * 7 + (week.weekday - 1)}};
}

}  // namespace

std::expected<chrono::year_month_day, std::string> parse_document_date(std::string_view text) {
  std::string_view rest = text;
  const auto year = take_year(rest);
  if (!year) return std::unexpected(unparsable("year"));
  const bool extended = take_literal(rest, '-');
  auto form = read_form(rest, extended);
  if (!form) return std::unexpected(std::move(form.error()));
  if (!form->rest.empty()) return std::unexpected(std::string(trailing_characters));
  return date_of(chrono::year{*year}, form->form);
}

}  // namespace edi_energy::profile

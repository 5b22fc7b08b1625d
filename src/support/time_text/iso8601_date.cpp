#include "support/time_text/iso8601_date.hpp"

#include <optional>
#include <variant>

#include "support/time_text/text_reader.hpp"

namespace support::time_text {
namespace {

using Kind = ParseError::Kind;
using std::chrono::sys_days;
using std::chrono::year_month_day;

// Extended notation separates the parts ("2026-03-29T10:00"), basic does not ("20260329T1000");
// a value keeps the notation its date chose.
enum class Notation { undecided, basic, extended };

struct CalendarDate {
  int year;
  unsigned month;
  unsigned day;
};
struct OrdinalDate {
  int year;
  unsigned ordinal;
};
struct WeekDate {
  int year;
  unsigned week;
  unsigned weekday;  // 1 Monday to 7 Sunday
};
using DateFields = std::variant<CalendarDate, OrdinalDate, WeekDate>;

constexpr int max_year = 9999;

ParseError invalid(std::string_view component) { return ParseError{Kind::invalid_component, component}; }

constexpr ParseError missing_separator{ParseError::Kind::invalid_literal, {}};

std::optional<int> read_year(TextReader& reader) {
  const std::optional<char> sign = reader.peek();
  if (sign == '+' || sign == '-') {
    reader.any();
    const std::optional<unsigned> magnitude = reader.digits(6);
    if (!magnitude) return std::nullopt;
    const int value = static_cast<int>(*magnitude);
    return sign == '-' ? -value : value;
  }
  const std::optional<unsigned> value = reader.digits(4);
  if (!value) return std::nullopt;
  return static_cast<int>(*value);
}

std::optional<unsigned> read_in(TextReader& reader, std::size_t width, unsigned lowest, unsigned highest) {
  TextReader attempt = reader;
  const std::optional<unsigned> value = attempt.digits(width);
  if (!value || *value < lowest || *value > highest) return std::nullopt;
  reader = attempt;
  return value;
}

std::expected<CalendarDate, ParseError> read_calendar(TextReader& reader, int year, Notation notation) {
  const std::optional<unsigned> month = read_in(reader, 2, 1, 12);
  if (!month) return std::unexpected(invalid("month"));
  if (notation == Notation::extended && !reader.literal('-')) return std::unexpected(missing_separator);
  const std::optional<unsigned> day = read_in(reader, 2, 1, 31);
  if (!day) return std::unexpected(invalid("day"));
  return CalendarDate{year, *month, *day};
}

// The week form fails softly (nullopt) until its "W" is seen; after that its own error is the
// more telling one.
std::expected<std::optional<WeekDate>, ParseError> read_week(TextReader& reader, int year, Notation notation) {
  if (!reader.literal('W')) return std::nullopt;
  const std::optional<unsigned> week = read_in(reader, 2, 1, 53);
  if (!week) return std::unexpected(invalid("week"));
  if (notation == Notation::extended && !reader.literal('-')) return std::unexpected(missing_separator);
  const std::optional<unsigned> weekday = read_in(reader, 1, 1, 7);
  if (!weekday) return std::unexpected(invalid("weekday"));
  return WeekDate{year, *week, *weekday};
}

// Calendar form first, then ordinal, then week; the reader moves only past a form that matched.
std::expected<DateFields, ParseError> read_date(TextReader& reader, Notation& notation) {
  TextReader attempt = reader;
  const std::optional<int> year = read_year(attempt);
  if (!year || *year < -max_year || *year > max_year) return std::unexpected(invalid("year"));
  notation = attempt.literal('-') ? Notation::extended : Notation::basic;

  TextReader calendar_reader = attempt;
  auto calendar = read_calendar(calendar_reader, *year, notation);
  if (calendar) {
    reader = calendar_reader;
    return *calendar;
  }
  ParseError error = calendar.error();

  TextReader ordinal_reader = attempt;
  if (const std::optional<unsigned> ordinal = read_in(ordinal_reader, 3, 1, 366)) {
    reader = ordinal_reader;
    return OrdinalDate{*year, *ordinal};
  }

  TextReader week_reader = attempt;
  auto week = read_week(week_reader, *year, notation);
  if (!week) return std::unexpected(week.error());
  if (*week) {
    reader = week_reader;
    return **week;
  }
  return std::unexpected(error);
}

// Two digits within range, optionally followed by a decimal fraction, which ends the time.
enum class Part { missing, whole, fractional };

Part read_time_part(TextReader& reader, unsigned highest) {
  if (!read_in(reader, 2, 0, highest)) return Part::missing;
  TextReader attempt = reader;
  if (attempt.literal('.') || attempt.literal(',')) {
    if (!attempt.next_is_digit()) return Part::whole;
    while (attempt.next_is_digit()) attempt.any();
    reader = attempt;
    return Part::fractional;
  }
  return Part::whole;
}

// Hour, minute and second, each optional after the first; only the form matters to a date.
bool read_time(TextReader& reader, Notation& notation, bool after_date) {
  if (after_date && !reader.literal('T')) return false;
  Part part = read_time_part(reader, 23);
  if (part != Part::whole) return part == Part::fractional;

  const bool minute_colon = reader.literal(':');
  if (minute_colon) {
    if (notation == Notation::basic) return false;
    notation = Notation::extended;
  } else if (notation == Notation::extended) {
    return true;
  }
  part = read_time_part(reader, 59);
  if (part == Part::missing) return !minute_colon;
  if (notation == Notation::undecided) notation = Notation::basic;
  if (part == Part::fractional) return true;

  if (notation == Notation::extended && !reader.literal(':')) return true;
  part = read_time_part(reader, 60);
  return part != Part::missing || notation == Notation::basic;
}

bool read_offset(TextReader& reader, Notation notation) {
  if (reader.literal('Z')) return true;
  const std::optional<char> sign = reader.peek();
  if (sign != '+' && sign != '-') return false;
  reader.any();
  if (!read_in(reader, 2, 0, 23)) return false;
  if (notation != Notation::basic) {
    TextReader attempt = reader;
    if (attempt.literal(':')) {
      if (!read_in(attempt, 2, 0, 59)) return false;
      reader = attempt;
      return true;
    }
    if (notation == Notation::extended) return true;
  }
  read_in(reader, 2, 0, 59);
  return true;
}

bool is_leap(int year) { return std::chrono::year{year}.is_leap(); }

// ISO 8601 years have 53 weeks when they start on a Thursday, or on a Wednesday in a leap year.
unsigned weeks_in(int year) {
  const std::chrono::weekday first{sys_days{std::chrono::year{year} / std::chrono::January / 1}};
  if (first == std::chrono::Thursday || (first == std::chrono::Wednesday && is_leap(year))) return 53;
  return 52;
}

std::optional<year_month_day> within_years(sys_days day) {
  const year_month_day date{day};
  if (static_cast<int>(date.year()) < -max_year || static_cast<int>(date.year()) > max_year) return std::nullopt;
  return date;
}

std::expected<year_month_day, ParseError> to_date(const DateFields& fields) {
  using std::chrono::days;
  if (const auto* calendar = std::get_if<CalendarDate>(&fields)) {
    const year_month_day date{std::chrono::year{calendar->year}, std::chrono::month{calendar->month},
                              std::chrono::day{calendar->day}};
    if (!date.ok()) return std::unexpected(ParseError{Kind::component_range, "day"});
    return date;
  }
  if (const auto* ordinal = std::get_if<OrdinalDate>(&fields)) {
    if (ordinal->ordinal == 366 && !is_leap(ordinal->year)) {
      return std::unexpected(ParseError{Kind::component_range, "ordinal"});
    }
    const sys_days first{std::chrono::year{ordinal->year} / std::chrono::January / 1};
    return year_month_day{first + days{ordinal->ordinal - 1}};
  }
  const WeekDate& week = std::get<WeekDate>(fields);
  if (week.week > weeks_in(week.year)) return std::unexpected(ParseError{Kind::component_range, "week"});
  // Week 1 is the week that holds 4 January.
  const sys_days january_4{std::chrono::year{week.year} / std::chrono::January / 4};
  const sys_days week_1_monday = january_4 - (std::chrono::weekday{january_4} - std::chrono::Monday);
  const std::optional<year_month_day> date = within_years(week_1_monday + days{7 * (week.week - 1) + week.weekday - 1});
  if (!date) return std::unexpected(ParseError{Kind::component_range, "week"});
  return *date;
}

// A time of day, an offset or both, filling the whole text: a time without a date.
bool is_time_alone(std::string_view text) {
  TextReader reader(text);
  Notation notation = Notation::undecided;
  TextReader time_reader = reader;
  if (read_time(time_reader, notation, false)) reader = time_reader;
  TextReader offset_reader = reader;
  if (read_offset(offset_reader, notation)) reader = offset_reader;
  return !text.empty() && reader.at_end();
}

// "YYYY-MM-DD" naming an existing day, the form nearly every caller sends, read without the
// general grammar; anything else, or a day that does not exist, goes the long way.
std::optional<year_month_day> plain_calendar_date(std::string_view text) {
  if (text.size() != 10 || text[4] != '-' || text[7] != '-') return std::nullopt;
  const auto digits = [&](std::size_t from, std::size_t count) -> std::optional<unsigned> {
    unsigned value = 0;
    for (std::size_t i = from; i < from + count; ++i) {
      if (text[i] < '0' || text[i] > '9') return std::nullopt;
      value = value * 10 + static_cast<unsigned>(text[i] - '0');
    }
    return value;
  };
  const auto year_digits = digits(0, 4), month_digits = digits(5, 2), day_digits = digits(8, 2);
  if (!year_digits || !month_digits || !day_digits) return std::nullopt;
  const year_month_day date{std::chrono::year{static_cast<int>(*year_digits)}, std::chrono::month{*month_digits},
                            std::chrono::day{*day_digits}};
  if (!date.ok()) return std::nullopt;
  return date;
}

}  // namespace

std::expected<year_month_day, ParseError> parse_iso8601_date(std::string_view text) {
  if (const auto plain = plain_calendar_date(text)) return *plain;
  TextReader reader(text);
  Notation notation = Notation::undecided;
  const auto date = read_date(reader, notation);
  if (!date) {
    if (is_time_alone(text)) return std::unexpected(ParseError{Kind::insufficient_information, {}});
    return std::unexpected(date.error());
  }
  // The time of day and its offset only have to be well formed; a malformed one is left over.
  TextReader time_reader = reader;
  if (read_time(time_reader, notation, true)) {
    reader = time_reader;
    TextReader offset_reader = reader;
    if (read_offset(offset_reader, notation)) reader = offset_reader;
  }
  if (!reader.at_end()) return std::unexpected(ParseError{Kind::unexpected_trailing_characters, {}});
  return to_date(*date);
}

}  // namespace support::time_text

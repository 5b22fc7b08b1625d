#include "support/time_text/rfc3339.hpp"

#include <optional>

#include "support/time_text/text_reader.hpp"

namespace support::time_text {
namespace {

using Kind = ParseError::Kind;

std::unexpected<ParseError> fail(Kind kind, std::string_view component = {}) {
  return std::unexpected(ParseError{kind, component});
}

// A stand-in for a leap second must be the last second of a month in UTC.
bool is_leap_second_position(const Rfc3339DateTime& date_time) {
  using namespace std::chrono;
  const sys_seconds local =
      sys_days(date_time.date) + hours(date_time.hour) + minutes(date_time.minute) + seconds(date_time.second);
  const sys_seconds utc = local - minutes(date_time.offset_minutes);
  const sys_days utc_day = floor<days>(utc);
  const year_month_day utc_date(utc_day);
  return utc - utc_day == hours(23) + minutes(59) + seconds(59) &&
         utc_date.day() == year_month_day_last(utc_date.year(), month_day_last(utc_date.month())).day();
}

}  // namespace

std::expected<Rfc3339DateTime, ParseError> parse_rfc3339(std::string_view text) {
  TextReader reader(text);
  const std::optional<unsigned> year = reader.digits(4);
  if (!year) return fail(Kind::invalid_component, "year");
  if (!reader.literal('-')) return fail(Kind::invalid_literal);
  const std::optional<unsigned> month = reader.digits(2);
  if (!month) return fail(Kind::invalid_component, "month");
  if (!reader.literal('-')) return fail(Kind::invalid_literal);
  const std::optional<unsigned> day = reader.digits(2);
  if (!day) return fail(Kind::invalid_component, "day");
  if (!reader.any()) return fail(Kind::invalid_component, "separator");
  const std::optional<unsigned> hour = reader.digits(2);
  if (!hour) return fail(Kind::invalid_component, "hour");
  if (!reader.literal(':')) return fail(Kind::invalid_literal);
  const std::optional<unsigned> minute = reader.digits(2);
  if (!minute) return fail(Kind::invalid_component, "minute");
  if (!reader.literal(':')) return fail(Kind::invalid_literal);
  std::optional<unsigned> second = reader.digits(2);
  if (!second) return fail(Kind::invalid_component, "second");

  std::uint32_t nanosecond = 0;
  if (reader.literal('.')) {
    if (!reader.next_is_digit()) return fail(Kind::invalid_component, "subsecond");
    std::uint32_t place = 100'000'000;
    while (reader.next_is_digit()) {
      const char digit = *reader.any();
      nanosecond += static_cast<std::uint32_t>(digit - '0') * place;
      place /= 10;
    }
  }

  std::int32_t offset_minutes = 0;
  if (!reader.literal('Z') && !reader.literal('z')) {
    const std::optional<char> sign = reader.peek();
    if (sign != '+' && sign != '-') return fail(Kind::invalid_component, "offset hour");
    reader.any();
    const std::optional<unsigned> offset_hour = reader.digits(2);
    if (!offset_hour) return fail(Kind::invalid_component, "offset hour");
    if (!reader.literal(':')) return fail(Kind::invalid_literal);
    const std::optional<unsigned> offset_minute = reader.digits(2);
    if (!offset_minute) return fail(Kind::invalid_component, "offset minute");
    if (*offset_hour > 23) return fail(Kind::component_range, "offset hour");
    if (*offset_minute > 59) return fail(Kind::component_range, "offset minute");
    offset_minutes = static_cast<std::int32_t>(*offset_hour * 60 + *offset_minute);
    if (sign == '-') offset_minutes = -offset_minutes;
  }
  if (!reader.at_end()) return fail(Kind::unexpected_trailing_characters);

  const bool leap_second = *second == 60;
  if (leap_second) {
    second = 59;
    nanosecond = 999'999'999;
  }
  if (*month < 1 || *month > 12) return fail(Kind::component_range, "month");
  const std::chrono::year_month_day date{std::chrono::year(static_cast<int>(*year)), std::chrono::month(*month),
                                         std::chrono::day(*day)};
  if (!date.ok()) return fail(Kind::component_range, "day");
  if (*hour > 23) return fail(Kind::component_range, "hour");
  if (*minute > 59) return fail(Kind::component_range, "minute");
  if (*second > 59) return fail(Kind::component_range, "second");

  const Rfc3339DateTime date_time{
      .date = date,
      .hour = static_cast<std::uint8_t>(*hour),
      .minute = static_cast<std::uint8_t>(*minute),
      .second = static_cast<std::uint8_t>(*second),
      .nanosecond = nanosecond,
      .offset_minutes = offset_minutes,
  };
  if (leap_second && !is_leap_second_position(date_time)) return fail(Kind::component_range, "second");
  return date_time;
}

std::string format_rfc3339(const Rfc3339DateTime& date_time) {
  // Written digit by digit: every deadline result passes through here.
  std::string text;
  text.reserve(35);
  append_digits(text, static_cast<unsigned>(static_cast<int>(date_time.date.year())), 4);
  text += '-';
  append_digits(text, static_cast<unsigned>(date_time.date.month()), 2);
  text += '-';
  append_digits(text, static_cast<unsigned>(date_time.date.day()), 2);
  text += 'T';
  append_digits(text, date_time.hour, 2);
  text += ':';
  append_digits(text, date_time.minute, 2);
  text += ':';
  append_digits(text, date_time.second, 2);
  if (date_time.nanosecond != 0) {
    std::uint32_t fraction = date_time.nanosecond;
    int width = 9;
    while (fraction % 10 == 0) {
      fraction /= 10;
      --width;
    }
    text += '.';
    append_digits(text, fraction, width);
  }
  if (date_time.offset_minutes == 0) {
    text += 'Z';
  } else {
    const std::int32_t magnitude = date_time.offset_minutes < 0 ? -date_time.offset_minutes : date_time.offset_minutes;
    text += date_time.offset_minutes < 0 ? '-' : '+';
    append_digits(text, static_cast<unsigned>(magnitude / 60), 2);
    text += ':';
    append_digits(text, static_cast<unsigned>(magnitude % 60), 2);
  }
  return text;
}

void append_digits(std::string& text, unsigned value, int width) {
  char digits[10];
  for (int index = width - 1; index >= 0; --index) {
    digits[index] = static_cast<char>('0' + value % 10);
    value /= 10;
  }
  text.append(digits, static_cast<std::size_t>(width));
}

}  // namespace support::time_text

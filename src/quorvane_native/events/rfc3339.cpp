#include "quorvane_native/events/rfc3339.hpp"

#include <optional>

#include <fmt/format.h>

namespace quorvane_native::events {
namespace {

using Kind = Rfc3339Error::Kind;

class Reader {
 public:
  explicit Reader(std::string_view text) : text_(text) {}

  std::optional<unsigned> digits(std::size_t count) {
    if (text_.size() - at_ < count) return std::nullopt;
    unsigned value = 0;
    for (std::size_t index = 0; index < count; ++index) {
      const char c = text_[at_ + index];
      if (c < '0' || c > '9') return std::nullopt;
      value = value * 10 + static_cast<unsigned>(c - '0');
    }
    at_ += count;
    return value;
  }

  bool literal(char expected) {
    if (at_ == text_.size() || text_[at_] != expected) return false;
    ++at_;
    return true;
  }

  std::optional<char> any() {
    if (at_ == text_.size()) return std::nullopt;
    return text_[at_++];
  }

  std::optional<char> peek() const {
    if (at_ == text_.size()) return std::nullopt;
    return text_[at_];
  }

  bool at_end() const { return at_ == text_.size(); }

 private:
  std::string_view text_;
  std::size_t at_ = 0;
};

std::unexpected<Rfc3339Error> fail(Kind kind, std::string_view component = {}) {
  return std::unexpected(Rfc3339Error{kind, component});
}

bool is_digit(std::optional<char> c) { return c && *c >= '0' && *c <= '9'; }

// A stand-in for a leap second must be the last second of a month in UTC.
bool is_leap_second_position(const Rfc3339DateTime& date_time) {
  using namespace std::chrono;
  const sys_seconds local = sys_days(date_time.date) + hours(date_time.hour) +
                            minutes(date_time.minute) + seconds(date_time.second);
  const sys_seconds utc = local - minutes(date_time.offset_minutes);
  const sys_days utc_day = floor<days>(utc);
  const year_month_day utc_date(utc_day);
  return utc - utc_day == hours(23) + minutes(59) + seconds(59) &&
         utc_date.day() == year_month_day_last(utc_date.year(), month_day_last(utc_date.month())).day();
}

}  // namespace

std::string reason(const Rfc3339Error& error) {
  switch (error.kind) {
    case Kind::InvalidComponent:
      return fmt::format("the '{}' component could not be parsed", error.component);
    case Kind::InvalidLiteral:
      return "a character literal was not valid";
    case Kind::UnexpectedTrailingCharacters:
      return "unexpected trailing characters; the end of input was expected";
    case Kind::ComponentRange:
      return fmt::format("{} was not in range", error.component);
  }
  return {};
}

std::expected<Rfc3339DateTime, Rfc3339Error> parse_rfc3339(std::string_view text) {
  Reader reader(text);
  const std::optional<unsigned> year = reader.digits(4);
  if (!year) return fail(Kind::InvalidComponent, "year");
  if (!reader.literal('-')) return fail(Kind::InvalidLiteral);
  const std::optional<unsigned> month = reader.digits(2);
  if (!month) return fail(Kind::InvalidComponent, "month");
  if (!reader.literal('-')) return fail(Kind::InvalidLiteral);
  const std::optional<unsigned> day = reader.digits(2);
  if (!day) return fail(Kind::InvalidComponent, "day");
  if (!reader.any()) return fail(Kind::InvalidComponent, "separator");
  const std::optional<unsigned> hour = reader.digits(2);
  if (!hour) return fail(Kind::InvalidComponent, "hour");
  if (!reader.literal(':')) return fail(Kind::InvalidLiteral);
  const std::optional<unsigned> minute = reader.digits(2);
  if (!minute) return fail(Kind::InvalidComponent, "minute");
  if (!reader.literal(':')) return fail(Kind::InvalidLiteral);
  std::optional<unsigned> second = reader.digits(2);
  if (!second) return fail(Kind::InvalidComponent, "second");

  std::uint32_t nanosecond = 0;
  if (reader.literal('.')) {
    if (!is_digit(reader.peek())) return fail(Kind::InvalidComponent, "subsecond");
    std::uint32_t place = 100'000'000;
    while (is_digit(reader.peek())) {
      const char digit = *reader.any();
      nanosecond += static_cast<std::uint32_t>(digit - '0') * place;
      place /= 10;
    }
  }

  std::int32_t offset_minutes = 0;
  if (!reader.literal('Z') && !reader.literal('z')) {
    const std::optional<char> sign = reader.peek();
    if (sign != '+' && sign != '-') return fail(Kind::InvalidComponent, "offset hour");
    reader.any();
    const std::optional<unsigned> offset_hour = reader.digits(2);
    if (!offset_hour) return fail(Kind::InvalidComponent, "offset hour");
    if (!reader.literal(':')) return fail(Kind::InvalidLiteral);
    const std::optional<unsigned> offset_minute = reader.digits(2);
    if (!offset_minute) return fail(Kind::InvalidComponent, "offset minute");
    if (*offset_hour > 23) return fail(Kind::ComponentRange, "offset hour");
    if (*offset_minute > 59) return fail(Kind::ComponentRange, "offset minute");
    offset_minutes = static_cast<std::int32_t>(*offset_hour * 60 + *offset_minute);
    if (sign == '-') offset_minutes = -offset_minutes;
  }
  if (!reader.at_end()) return fail(Kind::UnexpectedTrailingCharacters);

  const bool leap_second = *second == 60;
  if (leap_second) {
    second = 59;
    nanosecond = 999'999'999;
  }
  if (*month < 1 || *month > 12) return fail(Kind::ComponentRange, "month");
  const std::chrono::year_month_day date{std::chrono::year(static_cast<int>(*year)),
                                         std::chrono::month(*month), std::chrono::day(*day)};
  if (!date.ok()) return fail(Kind::ComponentRange, "day");
  if (*hour > 23) return fail(Kind::ComponentRange, "hour");
  if (*minute > 59) return fail(Kind::ComponentRange, "minute");
  if (*second > 59) return fail(Kind::ComponentRange, "second");

  const Rfc3339DateTime date_time{
      .date = date,
      .hour = static_cast<std::uint8_t>(*hour),
      .minute = static_cast<std::uint8_t>(*minute),
      .second = static_cast<std::uint8_t>(*second),
      .nanosecond = nanosecond,
      .offset_minutes = offset_minutes,
  };
  if (leap_second && !is_leap_second_position(date_time)) return fail(Kind::ComponentRange, "second");
  return date_time;
}

std::string format_rfc3339(const Rfc3339DateTime& date_time) {
  std::string text = fmt::format(
      "{:04}-{:02}-{:02}T{:02}:{:02}:{:02}", static_cast<int>(date_time.date.year()),
      static_cast<unsigned>(date_time.date.month()), static_cast<unsigned>(date_time.date.day()),
      date_time.hour, date_time.minute, date_time.second);
  if (date_time.nanosecond != 0) {
    std::string fraction = fmt::format("{:09}", date_time.nanosecond);
    fraction.erase(fraction.find_last_not_of('0') + 1);
    text += '.';
    text += fraction;
  }
  if (date_time.offset_minutes == 0) {
    text += 'Z';
  } else {
    const std::int32_t magnitude =
        date_time.offset_minutes < 0 ? -date_time.offset_minutes : date_time.offset_minutes;
    text += fmt::format("{}{:02}:{:02}", date_time.offset_minutes < 0 ? '-' : '+',
                        magnitude / 60, magnitude % 60);
  }
  return text;
}

}  // namespace quorvane_native::events

#include "support/time_text/dtm_value.hpp"

#include <algorithm>
#include <array>
#include <chrono>

#include "support/time_text/text_reader.hpp"

namespace support::time_text {
namespace {

// Fields of a pattern: Y year (4 digits), M month, W week of the month, D day, h hour, m minute,
// s second, Z a signed two-digit zone, '-' an optional hyphen between the two ends of a period.
struct Format {
  std::string_view code;
  std::string_view pattern;
  std::string_view layout;
};

// Sorted by code for the binary search.
constexpr std::array<Format, 13> formats{{
    {"102", "YMD", "CCYYMMDD"},
    {"104", "MW-MW", "MMWWMMWW"},
    {"106", "MD", "MMDD"},
    {"203", "YMDhm", "CCYYMMDDHHMM"},
    {"204", "YMDhms", "CCYYMMDDHHMMSS"},
    {"303", "YMDhmZ", "CCYYMMDDHHMMZZZ"},
    {"304", "YMDhmsZ", "CCYYMMDDHHMMSSZZZ"},
    {"401", "hm", "HHMM"},
    {"501", "hm-hm", "HHMMHHMM"},
    {"602", "Y", "CCYY"},
    {"610", "YM", "CCYYMM"},
    {"718", "YMD-YMD", "CCYYMMDDCCYYMMDD"},
    {"719", "YMDhm-YMDhm", "CCYYMMDDHHMMCCYYMMDDHHMM"},
}};

static_assert(std::ranges::is_sorted(formats, {}, &Format::code));

// Z01 is a period, not a date: a two-digit count, its unit (days, weeks, months) and what it runs
// to (the end of a month, quarter, half year or year, the Termin of DTM+Z10, or rolling).
constexpr std::string_view period_code = "Z01";
constexpr std::string_view period_units = "TWM";
constexpr std::string_view period_ends = "MQHJTR";

bool is_period(std::string_view value) {
  TextReader reader(value);
  const auto one_of = [&reader](std::string_view letters) {
    const auto letter = reader.any();
    return letter && letters.find(*letter) != std::string_view::npos;
  };
  // A count of none is no period.
  const auto count = reader.digits(2);
  return count && *count > 0 && one_of(period_units) && one_of(period_ends) && reader.at_end();
}

const Format* find(std::string_view code) {
  const auto found = std::ranges::lower_bound(formats, code, {}, &Format::code);
  return found != formats.end() && found->code == code ? &*found : nullptr;
}

// The date fields of one end of a value, checked together once the end is read. Without a year
// a leap year stands in, so that 29 February (MMDD) exists.
struct DateEnd {
  int year = 2000;
  unsigned month = 1;
  unsigned day = 1;

  bool exists() const {
    return std::chrono::year_month_day{std::chrono::year{year}, std::chrono::month{month}, std::chrono::day{day}}.ok();
  }
};

}  // namespace

DtmValue check_dtm_value(std::string_view format_code, std::string_view value) {
  if (format_code == period_code) return is_period(value) ? DtmValue::Fits : DtmValue::Misshapen;
  const Format* format = find(format_code);
  if (format == nullptr) return DtmValue::Unchecked;
  TextReader reader(value);
  bool calendar = true;
  DateEnd end;
  for (const char field : format->pattern) {
    if (field == '-') {
      calendar = calendar && end.exists();
      end = DateEnd{};
      reader.literal('-');
      continue;
    }
    if (field == 'Z') {
      if (!reader.literal('+') && !reader.literal('-')) return DtmValue::Misshapen;
      if (!reader.digits(2)) return DtmValue::Misshapen;
      continue;
    }
    const auto number = reader.digits(field == 'Y' ? 4 : 2);
    if (!number) return DtmValue::Misshapen;
    switch (field) {
      case 'Y': end.year = static_cast<int>(*number); break;
      case 'M': end.month = *number; break;
      case 'D': end.day = *number; break;
      case 'W': calendar = calendar && *number >= 1 && *number <= 4; break;
      case 'h': calendar = calendar && *number <= 23; break;
      default: calendar = calendar && *number <= 59; break;  // minute, second
    }
  }
  if (!reader.at_end()) return DtmValue::Misshapen;
  // A month outside 1 to 12 makes the date fail as well.
  return calendar && end.exists() ? DtmValue::Fits : DtmValue::NoSuchDate;
}

std::string_view period_layout() {
  return "ZZRB, two digits, then the unit T, W or M (days, weeks, months) and the end M, Q, H, J, T or R "
         "(month, quarter, half year, year, the Termin, rolling)";
}

std::string_view dtm_layout(std::string_view format_code) {
  if (format_code == period_code) return "ZZRB";
  const Format* format = find(format_code);
  return format == nullptr ? std::string_view{} : format->layout;
}

}  // namespace support::time_text

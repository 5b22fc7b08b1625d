#include "quorvane_native/edifact/dtm_in_utc.hpp"

#include <fmt/format.h>

#include <algorithm>
#include <chrono>

namespace quorvane_native::edifact {

namespace {

int number(std::string_view digits) {
  int value = 0;
  for (const char digit : digits) value = value * 10 + (digit - '0');
  return value;
}

}  // namespace

std::optional<DtmText> dtm_text(std::string_view text) {
  if (!text.starts_with("DTM+") || !text.ends_with('\'')) return std::nullopt;
  text.remove_suffix(1);
  const std::size_t first = text.find(':');
  if (first == std::string_view::npos) return std::nullopt;
  std::size_t last = first + 1;
  DtmText dtm;
  for (; last < text.size() && text[last] != ':'; ++last) {
    if (text[last] == '?' && last + 1 < text.size()) ++last;
    dtm.value += text[last];
  }
  if (last < text.size()) dtm.format = text.substr(last + 1);
  return dtm;
}

std::optional<std::string> dtm_in_utc(std::string_view value) {
  if (value.size() != 15 || (value[12] != '+' && value[12] != '-')) return std::nullopt;
  const auto digits = [](std::string_view text) { return std::ranges::all_of(text, [](char c) { return c >= '0' && c <= '9'; }); };
  if (!digits(value.substr(0, 12)) || !digits(value.substr(13))) return std::nullopt;
  const std::chrono::year_month_day date{std::chrono::year{number(value.substr(0, 4))},
                                         std::chrono::month{static_cast<unsigned>(number(value.substr(4, 2)))},
                                         std::chrono::day{static_cast<unsigned>(number(value.substr(6, 2)))}};
  const int hour = number(value.substr(8, 2));
  const int minute = number(value.substr(10, 2));
  if (!date.ok() || hour > 23 || minute > 59) return std::nullopt;
  const int zone = number(value.substr(13)) * (value[12] == '-' ? -1 : 1);
  const auto instant = std::chrono::sys_days{date} + std::chrono::hours{hour - zone} + std::chrono::minutes{minute};
  const auto day = std::chrono::floor<std::chrono::days>(instant);
  const std::chrono::year_month_day utc{day};
  const auto time = std::chrono::hh_mm_ss{instant - day};
  const int year = static_cast<int>(utc.year());
  if (year < 0 || year > 9999) return std::nullopt;
  return fmt::format("{:04}{:02}{:02}{:02}{:02}+00", year, static_cast<unsigned>(utc.month()),
                     static_cast<unsigned>(utc.day()), time.hours().count(), time.minutes().count());
}

}  // namespace quorvane_native::edifact

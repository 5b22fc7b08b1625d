#include "edi_energy/builders/timestamps.hpp"

#include <chrono>

#include <fmt/format.h>

namespace edi_energy::builders {

std::string now_ccyymmddhhmm() {
  using namespace std::chrono;
  const auto now = floor<minutes>(system_clock::now());
  const auto day = floor<days>(now);
  const year_month_day date{day};
  const hh_mm_ss<minutes> clock{now - day};
  return fmt::format("{:04}{:02}{:02}{:02}{:02}", static_cast<int>(date.year()),
                     static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()),
                     clock.hours().count(), clock.minutes().count());
}

std::string date_or_now(const std::optional<std::string>& date) {
  return date ? *date : now_ccyymmddhhmm();
}

std::string ccyymmddhhmm_utc(std::string_view text) {
  constexpr std::size_t date_only_length = 8;
  if (text.find_first_of("+-") != std::string_view::npos) return std::string(text);
  std::string value(text);
  value.append(text.size() == date_only_length ? "0000+00" : "+00");
  return value;
}

}  // namespace edi_energy::builders

// The BDEW Werktag calendar: weekdays that are no holiday in any German state, with 24 and
// 31 December counted as holidays, so that no deadline is shorter than some participant's.
#pragma once

#include <chrono>
#include <cstdint>
#include <expected>

#include "zelk/fristen/error.hpp"

namespace zelk_fristen {

// Gregorian Easter Sunday (22 March to 25 April) of any year from -9999 to 9999.
std::chrono::year_month_day easter_sunday(std::chrono::year year);

// The Wednesday from 16 to 22 November.
std::chrono::year_month_day buss_und_bettag(std::chrono::year year);

bool is_werktag(std::chrono::year_month_day date);

// `date` itself when it is a Werktag, else the first Werktag after it.
std::expected<std::chrono::year_month_day, FristError> first_werktag_from(std::chrono::year_month_day date);

// The n-th Werktag strictly after `date`; n = 0 gives `date` itself, whatever kind of day it is.
std::expected<std::chrono::year_month_day, FristError> nth_werktag_after(std::chrono::year_month_day date,
                                                                         std::uint32_t n);

}  // namespace zelk_fristen

// Deadline results as Python values: a due instant or date as text, or the deadline rules' error
// as a ValueError; a result that has no text form names the argument it was computed from.
#pragma once

#include <chrono>
#include <expected>

#include "quorvane_native/fristen/time_text.hpp"
#include "quorvane_native/py/errors.hpp"
#include "zelk/fristen/error.hpp"
#include "zelk/fristen/instant.hpp"

namespace quorvane_native::fristen {

// A skipped local time, a local-mean-time offset or a result beyond the supported years.
py::Failure frist_failure(const zelk_fristen::FristError& error, const Given& given);

py::Result instant_result(const std::expected<zelk_fristen::Instant, zelk_fristen::FristError>& instant,
                          const Given& given);
py::Result date_result(const std::expected<std::chrono::year_month_day, zelk_fristen::FristError>& date,
                       const Given& given);

}  // namespace quorvane_native::fristen

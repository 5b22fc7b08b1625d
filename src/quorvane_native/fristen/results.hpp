// Deadline results as Python values: a due instant or date as text, or the deadline rules' error:
// ValueError, but RuntimeError for a result whose offset RFC 3339 cannot write.
#pragma once

#include <chrono>
#include <expected>

#include "quorvane_native/py/errors.hpp"
#include "zelk/fristen/error.hpp"
#include "zelk/fristen/instant.hpp"

namespace quorvane_native::fristen {

// A skipped local time, a local-mean-time offset or a result beyond the supported years.
py::Failure frist_failure(const zelk_fristen::FristError& error);

py::Result instant_result(const std::expected<zelk_fristen::Instant, zelk_fristen::FristError>& instant);
py::Result date_result(const std::expected<std::chrono::year_month_day, zelk_fristen::FristError>& date);

}  // namespace quorvane_native::fristen

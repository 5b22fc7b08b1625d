#include "quorvane_native/fristen/results.hpp"

#include "quorvane_native/fristen/time_text.hpp"
#include "quorvane_native/py/result.hpp"
#include "support/internal_fault.hpp"

namespace quorvane_native::fristen {

py::Failure frist_failure(const zelk_fristen::FristError& error) {
  if (error.kind == zelk_fristen::FristError::Kind::unrepresentable_offset) {
    // The result exists, only its text does not: the input is not at fault, the formatter says why.
    const auto result = zelk_fristen::Instant::from_local(error.date, error.clock, error.offset_seconds);
    if (!result) throw support::InternalFault("a result in local mean time has no instant");
    auto text = fmt_dt(*result);
    if (text) throw support::InternalFault("an offset with seconds was written as RFC 3339");
    return py::propagate(text);
  }
  return py::value_error(message(error));
}

py::Result instant_result(const std::expected<zelk_fristen::Instant, zelk_fristen::FristError>& instant) {
  if (!instant) return frist_failure(instant.error());
  auto text = fmt_dt(*instant);
  if (!text) return py::propagate(text);
  return py::str(*text);
}

py::Result date_result(const std::expected<std::chrono::year_month_day, zelk_fristen::FristError>& date) {
  if (!date) return frist_failure(date.error());
  auto text = fmt_date(*date);
  if (!text) return py::propagate(text);
  return py::str(*text);
}

}  // namespace quorvane_native::fristen

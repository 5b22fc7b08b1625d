#include "quorvane_native/fristen/results.hpp"

#include "quorvane_native/py/result.hpp"
#include "support/internal_fault.hpp"

namespace quorvane_native::fristen {

py::Failure frist_failure(const zelk_fristen::FristError& error, const Given& given) {
  if (error.kind == zelk_fristen::FristError::Kind::unrepresentable_offset) {
    // The result exists, only its text does not: the argument that led there is out of range,
    // and the year is named first, as for any instant.
    const auto result = zelk_fristen::Instant::from_local(error.date, error.clock, error.offset_seconds);
    if (!result) throw support::InternalFault("a result in local mean time has no instant");
    auto text = fmt_dt(*result, given);
    if (text) throw support::InternalFault("an offset with seconds was written as RFC 3339");
    return py::propagate(text);
  }
  return py::value_error(message(error));
}

py::Result instant_result(const std::expected<zelk_fristen::Instant, zelk_fristen::FristError>& instant,
                          const Given& given) {
  if (!instant) return frist_failure(instant.error(), given);
  auto text = fmt_dt(*instant, given);
  if (!text) return py::propagate(text);
  return py::str(*text);
}

py::Result date_result(const std::expected<std::chrono::year_month_day, zelk_fristen::FristError>& date,
                       const Given& given) {
  if (!date) return frist_failure(date.error(), given);
  auto text = fmt_date(*date, given);
  if (!text) return py::propagate(text);
  return py::str(*text);
}

}  // namespace quorvane_native::fristen

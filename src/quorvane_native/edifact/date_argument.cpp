#include "quorvane_native/edifact/date_argument.hpp"

#include <fmt/format.h>

#include "edi_energy/builders/timestamps.hpp"
#include "edi_energy/builders/utilmd.hpp"
#include "support/debug_quote.hpp"
#include "support/time_text/dtm_value.hpp"

namespace quorvane_native::edifact {
namespace {

using support::time_text::DtmValue;

std::optional<std::string> reason(DtmValue verdict, std::string_view layout) {
  if (verdict == DtmValue::Fits || verdict == DtmValue::Unchecked) return std::nullopt;
  if (verdict == DtmValue::NoSuchDate) return "it names a month, day, hour or minute that the calendar does not have";
  return fmt::format("it is not written as {}", layout);
}

py::Status refused(std::string_view argument, std::string_view text, DtmValue verdict, std::string_view layout) {
  const auto why = reason(verdict, layout);
  if (!why) return {};
  return py::value_error(fmt::format("{} is {}, which is no date: {}", argument, support::debug_quote(text), *why));
}

}  // namespace

py::Status require_date(std::string_view argument, std::string_view text) {
  const std::string written = edi_energy::builders::ccyymmddhhmm_utc(text);
  return refused(argument, text, support::time_text::check_dtm_value("303", written),
                 "CCYYMMDD or CCYYMMDDHHMM, with an optional zone such as +00");
}

py::Status require_optional_date(std::string_view argument, const std::optional<std::string>& text) {
  return text ? require_date(argument, *text) : py::Status{};
}

py::Status require_date_of_format(std::string_view argument, std::string_view text, std::string_view format_code) {
  return refused(argument, text, support::time_text::check_dtm_value(format_code, text),
                 support::time_text::dtm_layout(format_code));
}

std::optional<std::string> why_no_date(std::string_view format_code, std::string_view text) {
  return reason(support::time_text::check_dtm_value(format_code, text), support::time_text::dtm_layout(format_code));
}

py::Status require_vorgang_dates(std::string_view argument,
                                 const std::vector<std::pair<std::string, std::string>>& dates) {
  for (const auto& [qualifier, value] : dates) {
    const std::string named = fmt::format("{}[{}]", argument, qualifier);
    const std::string_view format = edi_energy::builders::utilmd::date_format(qualifier);
    auto given = format == "303" ? require_date(named, value) : require_date_of_format(named, value, format);
    if (!given) return given;
  }
  return {};
}

}  // namespace quorvane_native::edifact

#include "quorvane_native/edifact/date_argument.hpp"

#include <fmt/format.h>
#include <fmt/ranges.h>

#include <algorithm>
#include <array>
#include <vector>

#include "edi_energy/builders/timestamps.hpp"
#include "edi_energy/builders/utilmd.hpp"
#include "support/debug_quote.hpp"
#include "support/time_text/dtm_value.hpp"

namespace quorvane_native::edifact {
namespace {

using support::time_text::DtmValue;

// Format Z01 has no calendar layout: a period such as "03MQ" or "14TR".
constexpr std::string_view period_format = "Z01";

// A 303 value is taken as the builders write it, which completes a date without a time or zone.
DtmValue verdict_of(std::string_view format_code, std::string_view text) {
  if (format_code == "303") {
    return support::time_text::check_dtm_value("303", edi_energy::builders::ccyymmddhhmm_utc(text));
  }
  return support::time_text::check_dtm_value(format_code, text);
}

// How a caller may write a value of the format, for saying why a value is not one.
std::string layout_of(std::string_view format_code) {
  if (format_code == "303") return "CCYYMMDD or CCYYMMDDHHMM, with an optional zone such as +00";
  if (format_code == period_format) return fmt::format("{}, such as 03MQ", support::time_text::period_layout());
  return std::string(support::time_text::dtm_layout(format_code));
}

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
  return refused(argument, text, verdict_of("303", text), layout_of("303"));
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

std::string_view date_form(std::string_view format_code) {
  if (format_code == "303") return "CCYYMMDDHHMM+00";
  // A period is advised as one a caller can give as it stands.
  if (format_code == period_format) return "03MQ";
  return support::time_text::dtm_layout(format_code);
}

py::Expected<std::string> format_of_date(std::string_view argument, std::string_view text,
                                         std::span<const std::string> formats) {
  // A value that has a format's layout but names no day of it says so, unless another format takes it.
  bool no_such_date = false;
  for (const std::string& format : formats) {
    const DtmValue verdict = verdict_of(format, text);
    if (verdict == DtmValue::Fits || verdict == DtmValue::Unchecked) return format;
    no_such_date = no_such_date || verdict == DtmValue::NoSuchDate;
  }
  std::vector<std::string> layouts;
  for (const std::string& format : formats) layouts.push_back(layout_of(format));
  const bool periods = std::ranges::all_of(formats, [](const std::string& format) { return format == period_format; });
  const std::string layout = fmt::format("{}", fmt::join(layouts, ", nor as "));
  const auto why = reason(no_such_date ? DtmValue::NoSuchDate : DtmValue::Misshapen, layout);
  return py::value_error(fmt::format("{} is {}, which is no {}: {}", argument, support::debug_quote(text),
                                     periods ? "period" : "date", *why));
}

py::Status require_vorgang_dates(std::string_view argument,
                                 const std::vector<std::pair<std::string, std::string>>& dates) {
  for (const auto& [qualifier, value] : dates) {
    const std::array<std::string, 1> format{std::string(edi_energy::builders::utilmd::date_format(qualifier))};
    auto given = format_of_date(fmt::format("{}[{}]", argument, qualifier), value, format);
    if (!given) return py::propagate(given);
  }
  return {};
}

}  // namespace quorvane_native::edifact

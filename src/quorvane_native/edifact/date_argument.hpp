// A date (or a period) the caller gives for a DTM value: one that is no date of the calendar, or
// not in a form its format takes, is refused naming the argument, since the message would carry a
// value that no receiver can read.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "quorvane_native/py/errors.hpp"

namespace quorvane_native::edifact {

// A date written as a format-303 value: CCYYMMDD, CCYYMMDDHHMM, or either with a signed zone.
py::Status require_date(std::string_view argument, std::string_view text);
py::Status require_optional_date(std::string_view argument, const std::optional<std::string>& text);

// A value written as given under DE 2379 `format_code`; a code without a calendar layout passes.
py::Status require_date_of_format(std::string_view argument, std::string_view text, std::string_view format_code);

// Why `text`, written under DE 2379 `format_code`, is no date ("it names a month … that the
// calendar does not have"); none when it is one or the code has no calendar layout.
std::optional<std::string> why_no_date(std::string_view format_code, std::string_view text);

// How a value of DE 2379 `format_code` is given: the placeholder "CCYYMMDDHHMM+00" for 303, a
// period that can stand as given ("03MQ") for Z01, the calendar layout of another checked code;
// empty for any other code.
std::string_view date_form(std::string_view format_code);

// Of `formats` (not empty), the first whose form `text` has: a format-303 date as require_date
// takes it, a period for Z01, the layout of any other checked code; a code without a layout takes
// any text. None fitting is refused naming `argument`.
py::Expected<std::string> format_of_date(std::string_view argument, std::string_view text,
                                         std::span<const std::string> formats);

// (DTM qualifier, date) pairs of a UTILMD Vorgang, each in the format its qualifier is written in;
// a refusal names the argument with the qualifier ("dates[92]").
py::Status require_vorgang_dates(std::string_view argument,
                                 const std::vector<std::pair<std::string, std::string>>& dates);

}  // namespace quorvane_native::edifact

// The date texts builders write: the current UTC minute, and format-303 values with their zone.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace edi_energy::builders {

// CCYYMMDDHHMM of the current UTC time.
std::string now_ccyymmddhhmm();

// The given date, or the current UTC time when none is given.
std::string date_or_now(const std::optional<std::string>& date);

// A value for DTM format 303: unchanged when it already holds a sign, CCYYMMDD gets
// "0000+00", anything else "+00". Nothing is validated.
std::string ccyymmddhhmm_utc(std::string_view text);

}  // namespace edi_energy::builders

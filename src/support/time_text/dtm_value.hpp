// Whether a DTM value (DE 2380) is what its format code (DE 2379) says: the layout of digits and
// a date, time or period that the calendar has. One check for validation and the builders.
#pragma once

#include <cstdint>
#include <string_view>

namespace support::time_text {

enum class DtmValue : std::uint8_t {
  Fits,
  Misshapen,  // not the digits and signs of the layout
  NoSuchDate,  // the layout, but a month, day, hour, minute or second that does not exist
  Unchecked,  // a format code without a calendar layout (durations, Z01 ZZRB, unknown codes)
};

DtmValue check_dtm_value(std::string_view format_code, std::string_view value);

// The layout of a checked format code ("CCYYMMDD" for 102), empty for any other.
std::string_view dtm_layout(std::string_view format_code);

}  // namespace support::time_text

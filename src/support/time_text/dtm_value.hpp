// Whether a DTM value (DE 2380) is what its format code (DE 2379) says: the layout of digits and
// a date, time or period that the calendar has, or the count, unit and end of a Z01 period. One
// check for validation and the builders.
#pragma once

#include <cstdint>
#include <string_view>

namespace support::time_text {

enum class DtmValue : std::uint8_t {
  Fits,
  Misshapen,  // not the digits, signs and letters of the layout
  NoSuchDate,  // the layout, but a month, day, hour, minute or second that does not exist
  Unchecked,  // a format code without a calendar layout (durations, unknown codes)
};

DtmValue check_dtm_value(std::string_view format_code, std::string_view value);

// The layout of a checked format code ("CCYYMMDD" for 102, "ZZRB" for Z01), empty for any other.
std::string_view dtm_layout(std::string_view format_code);

// The Z01 layout with what each of its places admits, for saying why a value is not one.
std::string_view period_layout();

}  // namespace support::time_text

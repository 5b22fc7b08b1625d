// The preparation date and time of a UNB (YYMMDD or CCYYMMDD, HHMM or HHMMSS): a checked
// calendar date-time, or nothing for anything else. Never fails.
#pragma once

#include <optional>
#include <string_view>

#include "edi_energy/interchange.hpp"

namespace edi_energy::parse {

std::optional<interchange::LocalDateTime> parse_unb_datetime(std::string_view date, std::string_view time);

}  // namespace edi_energy::parse

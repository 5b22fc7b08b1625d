// Whether a payload handed to the interchange builder is what it copies unchanged between UNB
// and UNZ: one or more whole messages, UNH to UNT, and nothing else.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace edi_energy::builders {

// What keeps the payload from being whole messages, or nothing when it is. Read with the
// default service characters, which every message builder writes.
std::optional<std::string> payload_fault(std::string_view payload);

}  // namespace edi_energy::builders

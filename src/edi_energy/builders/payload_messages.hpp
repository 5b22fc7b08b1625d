// Whether a payload handed to the interchange builder is what it copies unchanged between UNB
// and UNZ: one or more whole messages, UNH to UNT, and nothing else.
#pragma once

#include <cstddef>
#include <expected>
#include <string>
#include <string_view>
#include <vector>

namespace edi_energy::builders {

// What an interchange takes on from a payload: the reference of each of its messages, in order,
// and its segments.
struct PayloadMessages {
  std::vector<std::string> references;
  std::size_t segments = 0;
};

// The payload's messages, or what keeps it from being whole messages. Read with the default
// service characters, which every message builder writes.
std::expected<PayloadMessages, std::string> payload_messages(std::string_view payload);

}  // namespace edi_energy::builders

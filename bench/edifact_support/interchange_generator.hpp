// Realistic EDIFACT input for the benchmarks: UNA, a line break after every terminator, umlauts,
// release characters in a few per cent of the values, and a varied mix of UTILMD-, MSCONS- and
// APERAK-like messages. The same seed always gives the same bytes.
#pragma once

#include <cstddef>
#include <string>

namespace bench::input {

// One interchange of many messages, at least `target_bytes` long and a few KB more at most.
std::string interchange_of_size(std::size_t target_bytes);

// One interchange holding a single UTILMD-like message of about 1 KB, the common case.
std::string single_message_interchange();

}  // namespace bench::input

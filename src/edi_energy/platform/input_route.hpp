// Which parse received bytes take, judged by their first bytes: an interchange starts, after
// a UTF-8 byte-order mark and whitespace, with a UNB or with a UNA service string advice
// followed by a UNB.
#pragma once

#include <cstddef>
#include <string_view>

namespace edi_energy::platform {

bool is_interchange(std::string_view input);

// Segments of a bare input that start with the tag UNH and an element separator, under the
// service characters a leading UNA declares (the defaults without one).
std::size_t count_message_headers(std::string_view input);

}  // namespace edi_energy::platform

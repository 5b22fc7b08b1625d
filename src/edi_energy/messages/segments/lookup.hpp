// The two reads every typed view makes over a whole message: all its dates, and one party.
#pragma once

#include <optional>
#include <string_view>
#include <vector>

#include "edi_energy/messages/segments/records.hpp"

namespace edi_energy::messages::segments {

// Every DTM that reads, in order; one without a qualifier is dropped.
std::vector<Dtm> collect_dtm(Segments segments);

// The first NAD whose qualifier is exactly `qualifier`, read; nothing when there is none or it
// does not read (later ones are not tried).
std::optional<Nad> find_nad(Segments segments, std::string_view qualifier);

}  // namespace edi_energy::messages::segments

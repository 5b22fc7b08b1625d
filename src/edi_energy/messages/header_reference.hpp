// A header reference (RFF) with the dates that directly follow it, as UTILMD and MSCONS keep
// them; the header ends where the message's body begins.
#pragma once

#include <string_view>
#include <vector>

#include "edi_energy/messages/segments/records.hpp"

namespace edi_energy::messages {

struct HeaderReference {
  segments::Rff rff;
  std::vector<segments::Dtm> dtms;
  friend bool operator==(const HeaderReference&, const HeaderReference&) = default;
};

// The number of segments before the first one tagged `tag` (all of them without one).
std::size_t header_length(segments::Segments segments, std::string_view tag);

// The references of `header`: each RFF that reads, with the DTMs of the run right after it.
std::vector<HeaderReference> header_references(segments::Segments header);

}  // namespace edi_energy::messages

// The fields every typed view but CONTRL's carries: the document header, all dates and the two
// parties, read once from the message's segments.
#pragma once

#include <optional>
#include <vector>

#include "edi_energy/messages/core.hpp"
#include "edi_energy/messages/segments/records.hpp"

namespace edi_energy::messages {

struct CommonView {
  core::MessageCore core;
  std::optional<segments::Bgm> bgm;   // the first BGM that reads
  std::vector<segments::Dtm> dtms;    // every DTM that reads, body included
  std::optional<segments::Nad> nad_ms;
  std::optional<segments::Nad> nad_mr;
};

// Fills everything but `core`, which the view builds last from the same segments.
CommonView read_common(segments::Segments segments);

}  // namespace edi_energy::messages

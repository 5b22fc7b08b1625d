// The typed ORDRSP view: the common fields, every free text and the adjustment reason.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "edi_energy/message.hpp"
#include "edi_energy/messages/view.hpp"

namespace edi_energy::messages::ordrsp {

struct OrdrespMessage : CommonView, message::MessageOperations<OrdrespMessage> {
  std::vector<segments::Ftx> ftxs;
  std::optional<segments::Ajt> ajt;  // from the first AJT only

  static OrdrespMessage from_parts(std::vector<edifact::model::Segment> segments, std::string message_reference,
                                   std::string release_text, std::optional<std::uint32_t> pruefidentifikator);
};

}  // namespace edi_energy::messages::ordrsp

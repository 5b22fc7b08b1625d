// The typed PARTIN view: the common fields and every communication contact.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "edi_energy/message.hpp"
#include "edi_energy/messages/view.hpp"

namespace edi_energy::messages::partin {

struct PartinMessage : CommonView, message::MessageOperations<PartinMessage> {
  std::vector<segments::Com> coms;  // every COM, empty ones included

  static PartinMessage from_parts(std::vector<edifact::model::Segment> segments, std::string message_reference,
                                  std::string release_text, std::optional<std::uint32_t> pruefidentifikator);
};

}  // namespace edi_energy::messages::partin

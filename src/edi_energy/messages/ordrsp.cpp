#include "edi_energy/messages/ordrsp.hpp"

#include <utility>

namespace edi_energy::messages::ordrsp {

OrdrespMessage OrdrespMessage::from_parts(std::vector<edifact::model::Segment> segments, std::string message_reference,
                                          std::string release_text, std::optional<std::uint32_t> pruefidentifikator) {
  OrdrespMessage message;
  for (const auto& segment : segments) {
    if (segment.tag() != "FTX") continue;
    if (auto ftx = segments::read_or_drop<segments::Ftx>(segment)) message.ftxs.push_back(std::move(*ftx));
  }
  for (const auto& segment : segments) {
    if (segment.tag() != "AJT") continue;
    message.ajt = segments::read_or_drop<segments::Ajt>(segment);
    break;
  }
  static_cast<CommonView&>(message) = read_common(segments);
  message.core = core::MessageCore::new_on_date(std::move(segments), std::move(message_reference),
                                                std::move(release_text), pruefidentifikator,
                                                message_type::MessageType::Ordrsp);
  return message;
}

}  // namespace edi_energy::messages::ordrsp

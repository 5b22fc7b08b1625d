#include "edi_energy/messages/partin.hpp"

#include <utility>

namespace edi_energy::messages::partin {

PartinMessage PartinMessage::from_parts(std::vector<edifact::model::Segment> segments, std::string message_reference,
                                        std::string release_text, std::optional<std::uint32_t> pruefidentifikator) {
  PartinMessage message;
  static_cast<CommonView&>(message) = read_common(segments);
  for (const auto& segment : segments) {
    if (segment.tag() != "COM") continue;
    if (auto com = segments::read_or_drop<segments::Com>(segment)) message.coms.push_back(std::move(*com));
  }
  message.core = core::MessageCore::new_on_date(std::move(segments), std::move(message_reference),
                                                std::move(release_text), pruefidentifikator,
                                                message_type::MessageType::Partin);
  return message;
}

}  // namespace edi_energy::messages::partin

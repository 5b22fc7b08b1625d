#include "edi_energy/messages/aperak.hpp"

#include <utility>

#include "edi_energy/messages/segments/field.hpp"

namespace edi_energy::messages::aperak {

namespace {

std::optional<segments::Rff> first_acw(segments::Segments segments) {
  for (const auto& segment : segments) {
    if (segment.tag() == "RFF" && segments::leading_text(segment) == "ACW") {
      return segments::read_or_drop<segments::Rff>(segment);
    }
  }
  return std::nullopt;
}

std::vector<AperakError> error_blocks(segments::Segments segments) {
  std::vector<AperakError> blocks;
  std::size_t index = 0;
  while (index < segments.size()) {
    std::optional<segments::Erc> erc;
    if (segments[index].tag() == "ERC") erc = segments::read_or_drop<segments::Erc>(segments[index]);
    ++index;
    if (!erc) continue;
    AperakError block{std::move(*erc), {}, {}};
    for (; index < segments.size(); ++index) {
      const auto& segment = segments[index];
      const std::string_view tag = segment.tag();
      if (tag == "ERC" || tag == "UNT") break;
      if (tag == "FTX") {
        if (auto ftx = segments::read_or_drop<segments::Ftx>(segment)) block.ftxs.push_back(std::move(*ftx));
      } else if (tag == "RFF") {
        if (auto rff = segments::read_or_drop<segments::Rff>(segment)) block.rffs.push_back(std::move(*rff));
      }
    }
    blocks.push_back(std::move(block));
  }
  return blocks;
}

}  // namespace

AperakMessage AperakMessage::from_parts(std::vector<edifact::model::Segment> segments, std::string message_reference,
                                        std::string release_text, std::optional<std::uint32_t> pruefidentifikator) {
  AperakMessage message;
  static_cast<CommonView&>(message) = read_common(segments);
  message.acw = first_acw(segments);
  message.errors = error_blocks(segments);
  message.core = core::MessageCore::new_on_date(std::move(segments), std::move(message_reference),
                                                std::move(release_text), pruefidentifikator,
                                                message_type::MessageType::Aperak);
  return message;
}

}  // namespace edi_energy::messages::aperak

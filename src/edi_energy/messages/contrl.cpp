#include "edi_energy/messages/contrl.hpp"

#include <utility>

namespace edi_energy::messages::contrl {

namespace {

using segments::Segments;

std::optional<segments::Uci> first_uci(Segments segments) {
  for (const auto& segment : segments) {
    if (segment.tag() != "UCI") continue;
    if (auto uci = segments::read_or_drop<segments::Uci>(segment)) return uci;
  }
  return std::nullopt;
}

// Reads the segment errors of one response from `index` up to the next UCM or UNT.
void read_segment_errors(Segments segments, std::size_t& index, ContrlMessageResponse& response) {
  while (index < segments.size()) {
    const std::string_view tag = segments[index].tag();
    if (tag == "UCM" || tag == "UNT") return;
    std::optional<segments::Ucs> ucs;
    if (tag == "UCS") ucs = segments::read_or_drop<segments::Ucs>(segments[index]);
    ++index;
    if (!ucs) continue;
    ContrlSegmentError error{std::move(*ucs), {}};
    for (; index < segments.size() && segments[index].tag() == "UCD"; ++index) {
      if (auto ucd = segments::read_or_drop<segments::Ucd>(segments[index])) {
        error.element_errors.push_back(
            {std::move(ucd->error_code), std::move(ucd->element_position), std::move(ucd->component_position)});
      }
    }
    response.segment_errors.push_back(std::move(error));
  }
}

std::vector<ContrlMessageResponse> responses_of(Segments segments) {
  std::vector<ContrlMessageResponse> responses;
  std::size_t index = 0;
  while (index < segments.size()) {
    std::optional<segments::Ucm> ucm;
    if (segments[index].tag() == "UCM") ucm = segments::read_or_drop<segments::Ucm>(segments[index]);
    ++index;
    if (!ucm) continue;
    ContrlMessageResponse response{std::move(*ucm), {}};
    read_segment_errors(segments, index, response);
    responses.push_back(std::move(response));
  }
  return responses;
}

}  // namespace

ContrlMessage ContrlMessage::from_parts(std::vector<edifact::model::Segment> segments, std::string message_reference,
                                        std::string release_text, std::optional<std::uint32_t> pruefidentifikator) {
  ContrlMessage message;
  message.uci = first_uci(segments);
  message.responses = responses_of(segments);
  message.core = core::MessageCore::new_on_date(std::move(segments), std::move(message_reference),
                                                std::move(release_text), pruefidentifikator,
                                                message_type::MessageType::Contrl);
  return message;
}

}  // namespace edi_energy::messages::contrl

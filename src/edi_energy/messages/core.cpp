#include "edi_energy/messages/core.hpp"

#include <algorithm>
#include <utility>

namespace edi_energy::messages::core {

MessageCore MessageCore::new_on_date(std::vector<edifact::model::Segment> segments, std::string_view message_reference,
                                     std::string_view release_text, std::optional<std::uint32_t> pruefidentifikator,
                                     message_type::MessageType message_type) {
  return new_on_date(std::move(segments), std::string(message_reference), std::string(release_text),
                     pruefidentifikator, message_type);
}

MessageCore MessageCore::new_on_date(std::vector<edifact::model::Segment> segments, std::string message_reference,
                                     std::string release_text, std::optional<std::uint32_t> pruefidentifikator,
                                     message_type::MessageType message_type) {
  MessageCore core;
  core.has_unb = std::ranges::any_of(segments, [](const auto& segment) { return segment.tag() == "UNB"; });
  core.segments = std::move(segments);
  core.pruefidentifikator = pruefidentifikator;
  message_reference.shrink_to_fit();
  release_text.shrink_to_fit();
  core.message_reference = std::move(message_reference);
  if (!release_text.empty()) core.release = release::Release(std::string_view(release_text));
  core.release_text = std::move(release_text);
  core.message_type = message_type;
  return core;
}

}  // namespace edi_energy::messages::core

// Cutting a run of UNH..UNT messages into message records.
#include <algorithm>
#include <array>
#include <optional>
#include <string_view>

#include "edifact/envelope/envelope.hpp"

namespace edifact::envelope {
namespace {

constexpr std::array<std::string_view, 2> package_tags{"UNO", "UNP"};
// Service segments that cannot appear between a UNH and its UNT.
constexpr std::array<std::string_view, 5> closing_service_tags{"UNH", "UNB", "UNZ", "UNG", "UNE"};
// UNH and UNT alone carry no message content.
constexpr std::uint32_t smallest_filled_message = 3;

bool is_one_of(std::span<const std::string_view> tags, std::string_view tag) {
  return std::find(tags.begin(), tags.end(), tag) != tags.end();
}

EdifactError out_of_place(const model::Segment& segment) {
  if (is_one_of(package_tags, segment.tag())) {
    return EdifactError::unsupported_package(std::string(segment.tag()), segment.span());
  }
  return EdifactError::segment_not_allowed(
      std::string(segment.tag()), std::string(error::ENVELOPE_MESSAGE_TYPE), segment.span());
}

// The position of the UNT that closes the message opened at `header`, or the error that
// ends the cut.
Result<std::size_t> closing_trailer(std::span<const model::Segment> segments, std::size_t header) {
  for (std::size_t position = header + 1; position < segments.size(); ++position) {
    const model::Segment& segment = segments[position];
    if (segment.tag() == "UNT") return position;
    if (is_one_of(closing_service_tags, segment.tag()) || is_one_of(package_tags, segment.tag())) {
      return std::unexpected(out_of_place(segment));
    }
  }
  return std::unexpected(EdifactError::missing_segment("UNT", "end of message group"));
}

MessageEnvelope read_message(const model::Segment& header, const model::Segment& trailer,
                             std::size_t segment_count, ErrorSink& sink,
                             ReferenceSet& message_references) {
  MessageEnvelope message;
  message.message_reference = sink.required(header, 0, 0);
  if (!message_references.insert(message.message_reference).second) {
    sink.push(EdifactError::duplicate_reference("UNH", message.message_reference, header.span()));
  }
  message.message_type = sink.required(header, 1, 0);
  message.message_version_number = sink.required(header, 1, 1);
  message.message_release_number = sink.required(header, 1, 2);
  message.controlling_agency = sink.required(header, 1, 3);
  message.association_assigned_code = std::string(component_text(header, 1, 4));
  message.common_access_reference = optional_text(header, 2, 0);
  message.first_and_last_transfer = optional_text(header, 3, 1);
  message.sequence_of_transfers = read_count(component_text(header, 3, 0));
  message.unh_span = header.span();
  message.unt_span = trailer.span();

  message.declared_segment_count = sink.required_count(trailer, 0, 0);
  const std::string trailer_reference = sink.required(trailer, 1, 0);
  if (trailer_reference != message.message_reference) {
    sink.push(EdifactError::qualifier_mismatch("UNT", trailer_reference, message.message_reference,
                                               trailer.span()));
  }

  // A clamped count is never below the smallest filled message.
  message.counted_segments = sink.clamped_count(segment_count);
  if (message.counted_segments < smallest_filled_message) {
    sink.push(EdifactError::empty_message(message.message_reference, header.span()));
  }
  return message;
}

}  // namespace

Result<std::vector<MessageEnvelope>> extract_messages_flat(
    std::span<const model::Segment> segments, ErrorSink& sink, ReferenceSet& message_references) {
  std::vector<MessageEnvelope> messages;
  std::size_t position = 0;
  while (position < segments.size()) {
    const model::Segment& header = segments[position];
    if (header.tag() != "UNH") return std::unexpected(out_of_place(header));
    Result<std::size_t> trailer = closing_trailer(segments, position);
    if (!trailer) return std::unexpected(std::move(trailer).error());
    messages.push_back(read_message(header, segments[*trailer], *trailer - position + 1, sink,
                                    message_references));
    position = *trailer + 1;
  }
  return messages;
}

}  // namespace edifact::envelope

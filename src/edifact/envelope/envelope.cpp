#include "edifact/envelope/envelope.hpp"

#include <utility>

#include "edifact/charset/charset.hpp"

namespace edifact::envelope {
namespace {

// The walk stops at the first structural error; content errors only go into the sink.
using Walk = Result<void>;

bool has_tag(const model::Segment& segment, std::string_view tag) { return segment.tag() == tag; }


void read_interchange_trailer(const model::Segment& trailer, InterchangeEnvelope& interchange,
                              ErrorSink& sink) {
  const std::string trailer_reference = sink.required(trailer, 1, 0);
  if (trailer_reference != interchange.control_reference) {
    sink.push(EdifactError::qualifier_mismatch("UNZ", trailer_reference,
                                               interchange.control_reference, trailer.span()));
  }
  interchange.declared_count = sink.required_count(trailer, 0, 0);
}



// The position of the UNE that closes the group opened at `header`.
Result<std::size_t> closing_group_trailer(std::span<const model::Segment> body, std::size_t header) {
  for (std::size_t position = header + 1; position < body.size(); ++position) {
    if (has_tag(body[position], "UNE")) return position;
    if (has_tag(body[position], "UNG")) {
      return std::unexpected(EdifactError::segment_not_allowed(
          "UNG", std::string(error::ENVELOPE_MESSAGE_TYPE), body[position].span()));
    }
  }
  return std::unexpected(EdifactError::missing_segment("UNE", "end of functional group"));
}

// What may stand where a group should start but none does.
EdifactError misplaced_at_group_level(const model::Segment& segment) {
  const std::string_view tag = segment.tag();
  if (tag == "UNH") return EdifactError::mixed_groups(segment.span());
  if (tag == "UNO" || tag == "UNP") {
    return EdifactError::unsupported_package(std::string(tag), segment.span());
  }
  return EdifactError::segment_not_allowed(
      std::string(tag), std::string(error::ENVELOPE_MESSAGE_TYPE), segment.span());
}

Walk walk_groups(std::span<const model::Segment> body, ValidatedInterchange& result,
                 ErrorSink& sink) {
  ReferenceSet message_references;
  ReferenceSet group_references;
  std::size_t position = 0;
  while (position < body.size()) {
    const model::Segment& header = body[position];
    if (!has_tag(header, "UNG")) return std::unexpected(misplaced_at_group_level(header));
    const Result<std::size_t> trailer_position = closing_group_trailer(body, position);
    if (!trailer_position) return std::unexpected(trailer_position.error());
    const model::Segment& trailer = body[*trailer_position];

    FunctionalGroupEnvelope group = read_group_header(header, sink, group_references);
    read_group_trailer(trailer, group, sink);
    auto messages = extract_messages_flat(
        body.subspan(position + 1, *trailer_position - position - 1), sink, message_references);
    if (!messages) return std::unexpected(std::move(messages).error());
    group.messages = std::move(*messages);
    group.found_count = sink.clamped_count(group.messages.size());
    if (group.declared_count != group.found_count) {
      sink.push(EdifactError::message_count_mismatch(group.declared_count, group.found_count));
    }
    result.groups.push_back(std::move(group));
    position = *trailer_position + 1;
  }
  for (const FunctionalGroupEnvelope& group : result.groups) {
    result.messages.insert(result.messages.end(), group.messages.begin(), group.messages.end());
  }
  return {};
}

Walk walk_messages(std::span<const model::Segment> body, ValidatedInterchange& result,
                   ErrorSink& sink) {
  ReferenceSet message_references;
  auto messages = extract_messages_flat(body, sink, message_references);
  if (!messages) return std::unexpected(std::move(messages).error());
  result.messages = std::move(*messages);
  return {};
}

void check_totals(ValidatedInterchange& result, ErrorSink& sink) {
  InterchangeEnvelope& interchange = result.interchange;
  const std::size_t found =
      result.groups.empty() ? result.messages.size() : result.groups.size();
  if (found == 0) {
    sink.push(EdifactError::empty_interchange(interchange.control_reference));
    interchange.found_count = 0;
  } else {
    interchange.found_count = sink.clamped_count(found);
  }
  if (interchange.declared_count != interchange.found_count) {
    sink.push(EdifactError::message_count_mismatch(interchange.declared_count,
                                                   interchange.found_count));
  }
  for (const MessageEnvelope& message : result.messages) {
    if (message.declared_segment_count != message.counted_segments) {
      sink.push(EdifactError::segment_count_mismatch(message.message_reference,
                                                     message.declared_segment_count,
                                                     message.counted_segments, message.unt_span));
    }
  }
}

}  // namespace

InterchangeEnvelope read_interchange_header(const model::Segment& header, ErrorSink& sink) {
  InterchangeEnvelope interchange;
  interchange.syntax_identifier = sink.required(header, 0, 0);
  if (!interchange.syntax_identifier.empty()) {
    if (auto charset = charset::from_syntax_identifier(interchange.syntax_identifier); !charset) {
      sink.push(std::move(charset).error());
    }
  }
  interchange.syntax_version = std::string(component_text(header, 0, 1));
  interchange.sender_identification = sink.required(header, 1, 0);
  interchange.sender_code_qualifier = std::string(component_text(header, 1, 1));
  interchange.sender_routing_address = optional_text(header, 1, 2);
  interchange.recipient_identification = sink.required(header, 2, 0);
  interchange.recipient_code_qualifier = std::string(component_text(header, 2, 1));
  interchange.recipient_routing_address = optional_text(header, 2, 2);
  interchange.date = sink.required(header, 3, 0);
  interchange.time = optional_text(header, 3, 1);
  interchange.control_reference = sink.required(header, 4, 0);
  interchange.recipient_reference_or_password = optional_text(header, 5, 0);
  interchange.recipient_reference_qualifier = optional_text(header, 5, 1);
  interchange.application_reference = optional_text(header, 6, 0);
  interchange.processing_priority_code = optional_text(header, 7, 0);
  interchange.acknowledgement_request = indicator(header, 8, 0);
  interchange.interchange_agreement_identifier = optional_text(header, 9, 0);
  interchange.test_indicator = indicator(header, 10, 0);
  return interchange;
}

FunctionalGroupEnvelope read_group_header(const model::Segment& header, ErrorSink& sink,
                                          ReferenceSet& group_references) {
  FunctionalGroupEnvelope group;
  group.message_group_identification = std::string(component_text(header, 0, 0));
  group.application_sender_identification = std::string(component_text(header, 1, 0));
  group.sender_code_qualifier = std::string(component_text(header, 1, 1));
  group.application_recipient_identification = std::string(component_text(header, 2, 0));
  group.recipient_code_qualifier = std::string(component_text(header, 2, 1));
  group.date = std::string(component_text(header, 3, 0));
  group.time = optional_text(header, 3, 1);
  group.group_reference_number = sink.required(header, 4, 0);
  if (!group_references.insert(group.group_reference_number).second) {
    sink.push(EdifactError::duplicate_reference("UNG", group.group_reference_number, header.span()));
  }
  group.controlling_agency = std::string(component_text(header, 5, 0));
  group.message_version_number = std::string(component_text(header, 6, 0));
  group.message_release_number = std::string(component_text(header, 6, 1));
  group.application_password = optional_text(header, 7, 0);
  return group;
}

void read_group_trailer(const model::Segment& trailer, FunctionalGroupEnvelope& group,
                        ErrorSink& sink) {
  group.declared_count = sink.required_count(trailer, 0, 0);
  const std::string trailer_reference = sink.required(trailer, 1, 0);
  if (trailer_reference != group.group_reference_number) {
    sink.push(EdifactError::qualifier_mismatch("UNE", trailer_reference,
                                               group.group_reference_number, trailer.span()));
  }
}

CollectedEnvelope validate_envelope_collecting(std::span<const model::Segment> segments) {
  ErrorSink sink;
  const auto stopped = [&sink](EdifactError error) {
    sink.push(std::move(error));
    return CollectedEnvelope{std::nullopt, std::move(sink).take_errors()};
  };
  if (segments.empty() || !has_tag(segments.front(), "UNB")) {
    return stopped(EdifactError::missing_segment("UNB", "first segment of interchange"));
  }
  if (segments.size() < 2 || !has_tag(segments.back(), "UNZ")) {
    return stopped(EdifactError::missing_segment("UNZ", "last segment of interchange"));
  }

  ValidatedInterchange result;
  result.interchange = read_interchange_header(segments.front(), sink);
  read_interchange_trailer(segments.back(), result.interchange, sink);

  const std::span<const model::Segment> body = segments.subspan(1, segments.size() - 2);
  const bool grouped = !body.empty() && has_tag(body.front(), "UNG");
  Walk walked = grouped ? walk_groups(body, result, sink) : walk_messages(body, result, sink);
  if (!walked) return stopped(std::move(walked).error());

  check_totals(result, sink);
  return CollectedEnvelope{std::move(result), std::move(sink).take_errors()};
}

Result<ValidatedInterchange> validate_envelope(std::span<const model::Segment> segments) {
  CollectedEnvelope collected = validate_envelope_collecting(segments);
  if (!collected.errors.empty()) return std::unexpected(std::move(collected.errors.front()));
  if (!collected.interchange) {
    return std::unexpected(EdifactError::missing_segment("UNB", "first segment of interchange"));
  }
  return std::move(*collected.interchange);
}

}  // namespace edifact::envelope

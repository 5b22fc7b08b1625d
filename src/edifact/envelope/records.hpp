// What the service segments of an interchange declare: the UNB/UNZ pair, each UNG/UNE
// functional group and each UNH/UNT message, with the counts found beside the counts declared.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "edifact/model/segment.hpp"

namespace edifact::envelope {

// Texts are owned; a missing required text is empty (and was reported).
struct MessageEnvelope {
  std::string message_reference;
  std::string message_type;
  std::string message_version_number;
  std::string message_release_number;
  std::string controlling_agency;
  std::string association_assigned_code;
  std::optional<std::string> common_access_reference;
  std::optional<std::string> first_and_last_transfer;
  std::optional<std::uint32_t> sequence_of_transfers;
  model::Span unh_span;
  model::Span unt_span;
  std::uint32_t declared_segment_count = 0;
  std::uint32_t counted_segments = 0;  // UNH and UNT included

  friend bool operator==(const MessageEnvelope&, const MessageEnvelope&) = default;
};

struct FunctionalGroupEnvelope {
  std::string message_group_identification;
  std::string application_sender_identification;
  std::string sender_code_qualifier;
  std::string application_recipient_identification;
  std::string recipient_code_qualifier;
  std::string date;
  std::optional<std::string> time;
  std::string group_reference_number;
  std::string controlling_agency;
  std::string message_version_number;
  std::string message_release_number;
  std::optional<std::string> application_password;
  std::vector<MessageEnvelope> messages;
  std::uint32_t declared_count = 0;
  std::uint32_t found_count = 0;

  friend bool operator==(const FunctionalGroupEnvelope&, const FunctionalGroupEnvelope&) = default;
};

struct InterchangeEnvelope {
  std::string syntax_identifier;
  std::string syntax_version;
  std::string sender_identification;
  std::string sender_code_qualifier;
  std::optional<std::string> sender_routing_address;
  std::string recipient_identification;
  std::string recipient_code_qualifier;
  std::optional<std::string> recipient_routing_address;
  std::string date;
  std::optional<std::string> time;
  std::string control_reference;
  std::optional<std::string> recipient_reference_or_password;
  std::optional<std::string> recipient_reference_qualifier;
  std::optional<std::string> application_reference;
  std::optional<std::string> processing_priority_code;
  bool acknowledgement_request = false;
  std::optional<std::string> interchange_agreement_identifier;
  bool test_indicator = false;
  std::uint32_t declared_count = 0;
  std::uint32_t found_count = 0;  // groups when there are any, else messages

  friend bool operator==(const InterchangeEnvelope&, const InterchangeEnvelope&) = default;
};

struct ValidatedInterchange {
  InterchangeEnvelope interchange;
  std::vector<FunctionalGroupEnvelope> groups;  // empty without UNG
  // Every message in input order; with groups, copies of the groups' messages.
  std::vector<MessageEnvelope> messages;

  friend bool operator==(const ValidatedInterchange&, const ValidatedInterchange&) = default;
};

}  // namespace edifact::envelope

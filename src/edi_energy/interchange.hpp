// What an interchange's envelope says and the messages found inside it: the UNB header, each
// message with its position and a copy of the header, and the UNZ's declared reference and count.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "edi_energy/any_message.hpp"
#include "edi_energy/interchange_header.hpp"
#include "edi_energy/release.hpp"
#include "edifact/model/segment.hpp"
#include "edifact/report/issue.hpp"

namespace edi_energy::interchange {

// What an answer (APERAK, CONTRL) to a received message needs.
struct ReceiptContext {
  std::string sender;
  std::string recipient;
  std::string message_reference;
  release::Release release;  // the empty text when the message names none
  std::optional<std::chrono::year_month_day> prepared_on;
  // The message's own document number (BGM DE 1004) and date (DE 2380 of its DTM+137), which an
  // APERAK names the message by; nothing for a message without them (CONTRL).
  std::optional<std::string> document_number;
  std::optional<std::string> document_date;
};

struct MessageEnvelope {
  any_message::AnyMessage message;
  InterchangeHeader header;
  std::size_t index = 0;
  // What its UNH and UNT, or service segments out of place around it, get wrong.
  std::vector<edifact::report::ValidationIssue> envelope_findings;

  ReceiptContext receipt_context() const;
};

struct ParsedInterchange {
  std::vector<MessageEnvelope> messages;
  InterchangeHeader header;
  std::string unz_control_ref;     // DE 0036
  std::size_t unz_message_count = 0;  // DE 0074; 0 when absent or unreadable
  // Functional groups, UNG to UNE; none in most interchanges.
  std::size_t group_count = 0;
  // False when a service or data segment stands between the messages where none may stand, or
  // the UNB or a group's UNG and UNE say something wrong; the findings say what.
  bool envelope_sound = true;

  // What UNZ counts: the groups where there are any, else the messages.
  std::size_t unz_counted() const { return group_count > 0 ? group_count : messages.size(); }
};

// The text of a component, nothing when the segment lacks it.
std::optional<std::string_view> component_text(const edifact::model::Segment& segment,
                                               std::size_t element_index, std::size_t component_index);

// A decimal count with an optional leading "+"; nothing when empty, not digits, or too large.
std::optional<std::uint64_t> read_count(std::string_view text, std::uint64_t maximum);

}  // namespace edi_energy::interchange

#include "edi_energy/interchange.hpp"

#include <limits>

#include "edi_energy/parse/unb_datetime.hpp"

namespace edi_energy::interchange {
namespace {

std::string owned_component(const edifact::model::Segment& segment, std::size_t element, std::size_t component) {
  return std::string(component_text(segment, element, component).value_or(std::string_view{}));
}

bool is_space(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v'; }

std::string_view trimmed(std::string_view text) {
  while (!text.empty() && is_space(text.front())) text.remove_prefix(1);
  while (!text.empty() && is_space(text.back())) text.remove_suffix(1);
  return text;
}

}  // namespace

std::optional<std::string_view> component_text(const edifact::model::Segment& segment, std::size_t element_index,
                                               std::size_t component_index) {
  const auto elements = segment.elements();
  if (element_index >= elements.size()) return std::nullopt;
  const auto components = elements[element_index].components();
  if (component_index >= components.size()) return std::nullopt;
  return components.text(component_index);
}

std::optional<std::uint64_t> read_count(std::string_view text, std::uint64_t maximum) {
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  if (text.empty()) return std::nullopt;
  std::uint64_t value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    const auto digit = static_cast<std::uint64_t>(c - '0');
    if (value > (maximum - digit) / 10) return std::nullopt;
    value = value * 10 + digit;
  }
  return value;
}

InterchangeHeader InterchangeHeader::from_unb(const edifact::model::Segment& unb) {
  InterchangeHeader header;
  header.sender = owned_component(unb, 1, 0);
  header.sender_qualifier = owned_component(unb, 1, 1);
  header.recipient = owned_component(unb, 2, 0);
  header.recipient_qualifier = owned_component(unb, 2, 1);
  header.control_ref = owned_component(unb, 4, 0);
  const auto syntax = component_text(unb, 0, 0);
  header.syntax_identifier = syntax ? std::string(*syntax) : std::string("UNOC");
  header.prepared_at = parse::parse_unb_datetime(component_text(unb, 3, 0).value_or(std::string_view{}),
                                                 component_text(unb, 3, 1).value_or(std::string_view{}));
  const auto version = read_count(component_text(unb, 0, 1).value_or(std::string_view{}),
                                  std::numeric_limits<std::uint8_t>::max());
  header.syntax_version = version ? static_cast<std::uint8_t>(*version) : 3;
  header.test_indicator = trimmed(component_text(unb, 10, 0).value_or(std::string_view{})) == "1";
  return header;
}

ReceiptContext MessageEnvelope::receipt_context() const {
  ReceiptContext context;
  context.sender = header.sender;
  context.recipient = header.recipient;
  if (const auto* core = message.core()) {
    context.message_reference = core->message_reference;
  } else if (const auto* unknown = message.get<any_message::UnknownMessage>()) {
    context.message_reference = unknown->message_reference;
  }
  if (auto release = message.detect_release()) context.release = std::move(*release);
  if (header.prepared_at) context.prepared_on = header.prepared_at->date;
  for (const auto& segment : message.segments()) {
    if (!context.document_number && segment.tag() == "BGM") {
      const auto number = component_text(segment, 1, 0);
      if (number && !number->empty()) context.document_number = std::string(*number);
    } else if (!context.document_date && segment.tag() == "DTM" && component_text(segment, 0, 0) == "137") {
      const auto date = component_text(segment, 0, 1);
      if (date && !date->empty()) context.document_date = std::string(*date);
    }
    if (context.document_number && context.document_date) break;
  }
  return context;
}

}  // namespace edi_energy::interchange

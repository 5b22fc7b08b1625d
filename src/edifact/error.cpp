#include "edifact/error.hpp"

#include <fmt/format.h>

#include "support/debug_quote.hpp"

namespace edifact::error {
namespace {

using Kind = EdifactError::Kind;

EdifactError make(Kind kind) {
  EdifactError error;
  error.kind = kind;
  return error;
}

std::string show_span(model::Span span) { return fmt::format("{}..{}", span.start, span.end); }

std::string_view show_suppression(SuppressionKind kind) {
  return kind == SuppressionKind::LeadingZeroes ? "leading zeroes are not suppressed"
                                                : "trailing spaces are not suppressed";
}

}  // namespace

std::string EdifactError::message() const {
  using support::debug_quote;
  switch (kind) {
    case Kind::UnexpectedEof: return fmt::format("unexpected end of input at byte offset {}", offset);
    case Kind::InvalidDelimiter: return fmt::format("invalid delimiter byte 0x{:02X} at offset {}", byte, offset);
    case Kind::InvalidText: return fmt::format("invalid EDIFACT text at byte offset {}", offset);
    case Kind::DanglingRelease:
      return fmt::format("invalid release sequence at byte offset {}: dangling release character", offset);
    case Kind::MessageCountMismatch:
      return fmt::format("interchange message count mismatch: UNZ declared {}, found {}", declared, found);
    case Kind::SegmentCountMismatch:
      return fmt::format("segment count mismatch in message {}: UNT declared {}, found {}", reference, declared, found);
    case Kind::InvalidSegmentTag: return fmt::format("invalid segment tag {}", debug_quote(std::string_view(tag)));
    case Kind::InvalidServiceStringAdvice: return "invalid UNA service string advice";
    case Kind::MissingElement: return fmt::format("missing required element {} in segment {}", element_index, tag);
    case Kind::MissingComponent:
      return fmt::format("missing required component {} in element {} of segment {}", component_index, element_index, tag);
    case Kind::InvalidUtf8Output: return "serialized output contains invalid UTF-8";
    case Kind::Io: return detail;
    case Kind::SegmentNotAllowed: return fmt::format("segment {} is not valid for message type {}", tag, value);
    case Kind::ElementCount:
      return fmt::format("segment {} has {} elements, expected between {} and {}", tag, found, minimum, maximum);
    case Kind::ComponentCount:
      return fmt::format("segment {} element {} has {} components, expected {}", tag, element_index, found, declared);
    case Kind::InvalidCode:
      return fmt::format("segment {} element {}: '{}' is not a valid code (code list {})", tag, element_index, value, detail);
    case Kind::MissingSegment: return fmt::format("required segment {} is missing from message (position {})", tag, detail);
    case Kind::QualifierMismatch: return fmt::format("segment {} has qualifier '{}', expected '{}'", tag, value, detail);
    case Kind::ConditionalRequirement:
      return fmt::format("segment {} element {}: conditional requirement not met ({})", tag, element_index, detail);
    case Kind::ValidationFailed: return fmt::format("validation failed with {} error(s)", found);
    case Kind::SegmentTooLong:
      return fmt::format("segment starting at byte offset {} exceeded maximum length of {} bytes", offset, maximum);
    case Kind::CountOverflow: return fmt::format("interchange too large: count {} exceeds u32::MAX", found);
    case Kind::InvalidEventSequence: return fmt::format("invalid event sequence: {}", fixed);
    case Kind::InvalidPosition:
      return "element definition contains invalid position 0; positions must be >= 1 (one-based)";
    case Kind::IncompatibleReleaseScopes:
      return fmt::format("incompatible release scopes: cannot compose {} with {}", debug_quote(std::string_view(value)),
                         debug_quote(std::string_view(detail)));
    case Kind::InvalidFieldValue:
      return fmt::format("segment {} element {}: invalid field value {}", tag, element_index, debug_quote(std::string_view(value)));
    case Kind::DataBeforeTag:
      return fmt::format("unexpected data token at byte offset {}: data element before segment tag", offset);
    case Kind::UnrecognisedSyntaxIdentifier:
      return fmt::format("unrecognised syntax identifier '{}': expected UNOA-UNOK, UNOX, UNOY, or KECA", value);
    case Kind::DuplicateReference:
      return fmt::format("duplicate {} reference '{}' at bytes {}", detail, reference, show_span(span));
    case Kind::UnknownDataElement: return fmt::format("segment {} has no data element {} in its definition", tag, value);
    case Kind::DuplicateDataElement:
      return fmt::format("segment {} defines data element {} at more than one position", tag, value);
    case Kind::LimitExceeded: return fmt::format("input exceeded the configured {} limit of {}", fixed, maximum);
    case Kind::NoRepetitionSeparator:
      return "cannot write a repeating data element: the active service string advice declares no repetition separator";
    case Kind::NonFiniteNumber: return fmt::format("non-finite number {} has no EDIFACT representation", value);
    case Kind::CharacterNotInRepertoire:
      return fmt::format("character {} at offset {} is not in the {} character repertoire", debug_quote(character), offset, fixed);
    case Kind::RepertoireMismatch: return fmt::format("UNB declares repertoire {}, but the writer encodes {}", value, fixed);
    case Kind::UnsupportedRepertoire: return fmt::format("character repertoire '{}' is not supported", value);
    case Kind::EmptyInterchange: return fmt::format("interchange {} contains no message or group", reference);
    case Kind::EmptyMessage: return fmt::format("message {} has no segments between UNH and UNT", reference);
    case Kind::UnsupportedPackage:
      return fmt::format("segment {} opens or closes a package, which this crate does not parse", tag);
    case Kind::OnlySpaces:
      return fmt::format("segment {} element {} component {}: value is only spaces", tag, element_index, component_index);
    case Kind::NoDataElement: return fmt::format("segment {} contains no data element", tag);
    case Kind::TooManyRepetitions:
      return fmt::format("segment {} element {} occurs {} times, at most {} allowed", tag, element_index, found, maximum);
    case Kind::InvalidRepresentation:
      return fmt::format("segment {} element {} component {}: {} is not {}", tag, element_index, component_index,
                         debug_quote(std::string_view(value)), detail);
    case Kind::ValueTooLong:
      return fmt::format("segment {} element {} component {}: {} characters exceeds {}", tag, element_index,
                         component_index, found, detail);
    case Kind::ValueTooShort:
      return fmt::format("segment {} element {} component {}: {} characters is short of {}", tag, element_index,
                         component_index, found, detail);
    case Kind::TrailingSeparator: return fmt::format("segment {} ends in a separator that carries no value", tag);
    case Kind::MixedGroups: return "interchange mixes groups with ungrouped messages";
    case Kind::NotSuppressed:
      return fmt::format("segment {} element {} component {}: {}", tag, element_index, component_index,
                         show_suppression(suppression));
    case Kind::LayoutMismatch: return fmt::format("segment layout is for {}, but the segment is {}", tag, value);
  }
  return {};
}

EdifactError EdifactError::unexpected_eof(std::size_t offset) {
  auto e = make(Kind::UnexpectedEof);
  e.offset = offset;
  return e;
}
EdifactError EdifactError::invalid_delimiter(std::uint8_t byte, std::size_t offset) {
  auto e = make(Kind::InvalidDelimiter);
  e.byte = byte;
  e.offset = offset;
  return e;
}
EdifactError EdifactError::invalid_text(std::size_t offset) {
  auto e = make(Kind::InvalidText);
  e.offset = offset;
  return e;
}
EdifactError EdifactError::dangling_release(std::size_t offset) {
  auto e = make(Kind::DanglingRelease);
  e.offset = offset;
  return e;
}
EdifactError EdifactError::message_count_mismatch(std::uint32_t declared, std::uint32_t found) {
  auto e = make(Kind::MessageCountMismatch);
  e.declared = declared;
  e.found = found;
  return e;
}
EdifactError EdifactError::segment_count_mismatch(std::string reference, std::uint32_t declared,
                                                  std::uint32_t found, model::Span unt_span) {
  auto e = make(Kind::SegmentCountMismatch);
  e.reference = std::move(reference);
  e.declared = declared;
  e.found = found;
  e.span = unt_span;
  return e;
}
EdifactError EdifactError::invalid_segment_tag(std::string tag) {
  auto e = make(Kind::InvalidSegmentTag);
  e.tag = std::move(tag);
  return e;
}
EdifactError EdifactError::invalid_service_string_advice() { return make(Kind::InvalidServiceStringAdvice); }
EdifactError EdifactError::missing_element(std::size_t element_index, std::string tag) {
  auto e = make(Kind::MissingElement);
  e.element_index = element_index;
  e.tag = std::move(tag);
  return e;
}
EdifactError EdifactError::missing_component(std::size_t component_index, std::size_t element_index,
                                             std::string tag) {
  auto e = make(Kind::MissingComponent);
  e.component_index = component_index;
  e.element_index = element_index;
  e.tag = std::move(tag);
  return e;
}
EdifactError EdifactError::invalid_utf8_output() { return make(Kind::InvalidUtf8Output); }
EdifactError EdifactError::io(std::string error_text) {
  auto e = make(Kind::Io);
  e.detail = std::move(error_text);
  return e;
}
EdifactError EdifactError::segment_not_allowed(std::string tag, std::string message_type, model::Span span) {
  auto e = make(Kind::SegmentNotAllowed);
  e.tag = std::move(tag);
  e.value = std::move(message_type);
  e.span = span;
  return e;
}
EdifactError EdifactError::element_count(std::string tag, std::size_t found, std::size_t minimum,
                                         std::size_t maximum) {
  auto e = make(Kind::ElementCount);
  e.tag = std::move(tag);
  e.found = found;
  e.minimum = minimum;
  e.maximum = maximum;
  return e;
}
EdifactError EdifactError::component_count(std::string tag, std::size_t element_index, std::uint8_t found,
                                           std::uint8_t expected) {
  auto e = make(Kind::ComponentCount);
  e.tag = std::move(tag);
  e.element_index = element_index;
  e.found = found;
  e.declared = expected;
  return e;
}
EdifactError EdifactError::invalid_code(std::string tag, std::size_t element_index, std::string value,
                                        std::string code_list) {
  auto e = make(Kind::InvalidCode);
  e.tag = std::move(tag);
  e.element_index = element_index;
  e.value = std::move(value);
  e.detail = std::move(code_list);
  return e;
}
EdifactError EdifactError::missing_segment(std::string tag, std::string position) {
  auto e = make(Kind::MissingSegment);
  e.tag = std::move(tag);
  e.detail = std::move(position);
  return e;
}
EdifactError EdifactError::qualifier_mismatch(std::string tag, std::string found, std::string expected,
                                              model::Span span) {
  auto e = make(Kind::QualifierMismatch);
  e.tag = std::move(tag);
  e.value = std::move(found);
  e.detail = std::move(expected);
  e.span = span;
  return e;
}
EdifactError EdifactError::conditional_requirement(std::string tag, std::size_t element_index,
                                                   std::string description) {
  auto e = make(Kind::ConditionalRequirement);
  e.tag = std::move(tag);
  e.element_index = element_index;
  e.detail = std::move(description);
  return e;
}
EdifactError EdifactError::validation_failed(std::size_t error_count,
                                             std::shared_ptr<const report::ValidationReport> report) {
  auto e = make(Kind::ValidationFailed);
  e.found = error_count;
  e.report = std::move(report);
  return e;
}
EdifactError EdifactError::segment_too_long(std::size_t start_offset, std::size_t limit) {
  auto e = make(Kind::SegmentTooLong);
  e.offset = start_offset;
  e.maximum = limit;
  return e;
}
EdifactError EdifactError::count_overflow(std::uint64_t count) {
  auto e = make(Kind::CountOverflow);
  e.found = count;
  return e;
}
EdifactError EdifactError::invalid_event_sequence(std::string_view description) {
  auto e = make(Kind::InvalidEventSequence);
  e.fixed = description;
  return e;
}
EdifactError EdifactError::invalid_position() { return make(Kind::InvalidPosition); }
EdifactError EdifactError::incompatible_release_scopes(std::string first, std::string second) {
  auto e = make(Kind::IncompatibleReleaseScopes);
  e.value = std::move(first);
  e.detail = std::move(second);
  return e;
}
EdifactError EdifactError::invalid_field_value(std::string tag, std::size_t element_index, std::string value) {
  auto e = make(Kind::InvalidFieldValue);
  e.tag = std::move(tag);
  e.element_index = element_index;
  e.value = std::move(value);
  return e;
}
EdifactError EdifactError::data_before_tag(std::size_t offset) {
  auto e = make(Kind::DataBeforeTag);
  e.offset = offset;
  return e;
}
EdifactError EdifactError::unrecognised_syntax_identifier(std::string identifier) {
  auto e = make(Kind::UnrecognisedSyntaxIdentifier);
  e.value = std::move(identifier);
  return e;
}
EdifactError EdifactError::duplicate_reference(std::string kind, std::string reference, model::Span range) {
  auto e = make(Kind::DuplicateReference);
  e.detail = std::move(kind);
  e.reference = std::move(reference);
  e.span = range;
  return e;
}
EdifactError EdifactError::unknown_data_element(std::string tag, std::string data_element) {
  auto e = make(Kind::UnknownDataElement);
  e.tag = std::move(tag);
  e.value = std::move(data_element);
  return e;
}
EdifactError EdifactError::duplicate_data_element(std::string tag, std::string data_element) {
  auto e = make(Kind::DuplicateDataElement);
  e.tag = std::move(tag);
  e.value = std::move(data_element);
  return e;
}
EdifactError EdifactError::limit_exceeded(std::string_view limit_name, std::uint64_t limit) {
  auto e = make(Kind::LimitExceeded);
  e.fixed = limit_name;
  e.maximum = limit;
  return e;
}
EdifactError EdifactError::no_repetition_separator() { return make(Kind::NoRepetitionSeparator); }
EdifactError EdifactError::non_finite_number(std::string number) {
  auto e = make(Kind::NonFiniteNumber);
  e.value = std::move(number);
  return e;
}
EdifactError EdifactError::character_not_in_repertoire(char32_t character, std::size_t offset,
                                                       std::string_view repertoire) {
  auto e = make(Kind::CharacterNotInRepertoire);
  e.character = character;
  e.offset = offset;
  e.fixed = repertoire;
  return e;
}
EdifactError EdifactError::repertoire_mismatch(std::string declared, std::string_view writer_repertoire) {
  auto e = make(Kind::RepertoireMismatch);
  e.value = std::move(declared);
  e.fixed = writer_repertoire;
  return e;
}
EdifactError EdifactError::unsupported_repertoire(std::string repertoire) {
  auto e = make(Kind::UnsupportedRepertoire);
  e.value = std::move(repertoire);
  return e;
}
EdifactError EdifactError::empty_interchange(std::string control_reference) {
  auto e = make(Kind::EmptyInterchange);
  e.reference = std::move(control_reference);
  return e;
}
EdifactError EdifactError::empty_message(std::string message_reference, model::Span unh_span) {
  auto e = make(Kind::EmptyMessage);
  e.reference = std::move(message_reference);
  e.span = unh_span;
  return e;
}
EdifactError EdifactError::unsupported_package(std::string tag, model::Span span) {
  auto e = make(Kind::UnsupportedPackage);
  e.tag = std::move(tag);
  e.span = span;
  return e;
}
EdifactError EdifactError::only_spaces(std::string tag, std::size_t element_index, std::size_t component_index) {
  auto e = make(Kind::OnlySpaces);
  e.tag = std::move(tag);
  e.element_index = element_index;
  e.component_index = component_index;
  return e;
}
EdifactError EdifactError::no_data_element(std::string tag) {
  auto e = make(Kind::NoDataElement);
  e.tag = std::move(tag);
  return e;
}
EdifactError EdifactError::too_many_repetitions(std::string tag, std::size_t element_index,
                                                std::size_t occurrences, std::uint8_t maximum) {
  auto e = make(Kind::TooManyRepetitions);
  e.tag = std::move(tag);
  e.element_index = element_index;
  e.found = occurrences;
  e.maximum = maximum;
  return e;
}
EdifactError EdifactError::invalid_representation(std::string tag, std::size_t element_index,
                                                  std::size_t component_index, std::string value,
                                                  std::string expected_representation) {
  auto e = make(Kind::InvalidRepresentation);
  e.tag = std::move(tag);
  e.element_index = element_index;
  e.component_index = component_index;
  e.value = std::move(value);
  e.detail = std::move(expected_representation);
  return e;
}
EdifactError EdifactError::value_too_long(std::string tag, std::size_t element_index, std::size_t component_index,
                                          std::size_t length, std::string limit) {
  auto e = make(Kind::ValueTooLong);
  e.tag = std::move(tag);
  e.element_index = element_index;
  e.component_index = component_index;
  e.found = length;
  e.detail = std::move(limit);
  return e;
}
EdifactError EdifactError::value_too_short(std::string tag, std::size_t element_index,
                                           std::size_t component_index, std::size_t length, std::string limit) {
  auto e = make(Kind::ValueTooShort);
  e.tag = std::move(tag);
  e.element_index = element_index;
  e.component_index = component_index;
  e.found = length;
  e.detail = std::move(limit);
  return e;
}
EdifactError EdifactError::trailing_separator(std::string tag) {
  auto e = make(Kind::TrailingSeparator);
  e.tag = std::move(tag);
  return e;
}
EdifactError EdifactError::mixed_groups(model::Span span) {
  auto e = make(Kind::MixedGroups);
  e.span = span;
  return e;
}
EdifactError EdifactError::not_suppressed(std::string tag, std::size_t element_index, std::size_t component_index,
                                          SuppressionKind kind) {
  auto e = make(Kind::NotSuppressed);
  e.tag = std::move(tag);
  e.element_index = element_index;
  e.component_index = component_index;
  e.suppression = kind;
  return e;
}
EdifactError EdifactError::layout_mismatch(std::string expected_tag, std::string actual_tag) {
  auto e = make(Kind::LayoutMismatch);
  e.tag = std::move(expected_tag);
  e.value = std::move(actual_tag);
  return e;
}

}  // namespace edifact::error

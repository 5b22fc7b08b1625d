// The one error type of the EDIFACT syntax library: a kind in a fixed order, the payload the
// kind's message shows, and `message()`, which renders the fixed text. Build values with the
// named constructors; read them by `kind` and the payload fields.
#pragma once

#include <cstddef>
#include <cstdint>
#include <expected>
#include <memory>
#include <string>
#include <string_view>

#include "edifact/model/segment.hpp"

namespace edifact::report {
class ValidationReport;
}

namespace edifact::error {

// The message type that `SegmentNotAllowed` names for a service segment out of its place.
inline constexpr std::string_view ENVELOPE_MESSAGE_TYPE = "ENVELOPE";

enum class SuppressionKind : std::uint8_t { LeadingZeroes, TrailingSpaces };

struct EdifactError {
  enum class Kind : std::uint8_t {
    UnexpectedEof,
    InvalidDelimiter,
    InvalidText,
    DanglingRelease,
    MessageCountMismatch,
    SegmentCountMismatch,
    InvalidSegmentTag,
    InvalidServiceStringAdvice,
    MissingElement,
    MissingComponent,
    InvalidUtf8Output,
    Io,
    SegmentNotAllowed,
    ElementCount,
    ComponentCount,
    InvalidCode,
    MissingSegment,
    QualifierMismatch,
    ConditionalRequirement,
    ValidationFailed,
    SegmentTooLong,
    CountOverflow,
    InvalidEventSequence,
    InvalidPosition,
    IncompatibleReleaseScopes,
    InvalidFieldValue,
    DataBeforeTag,
    UnrecognisedSyntaxIdentifier,
    DuplicateReference,
    UnknownDataElement,
    DuplicateDataElement,
    LimitExceeded,
    NoRepetitionSeparator,
    NonFiniteNumber,
    CharacterNotInRepertoire,
    RepertoireMismatch,
    UnsupportedRepertoire,
    EmptyInterchange,
    EmptyMessage,
    UnsupportedPackage,
    OnlySpaces,
    NoDataElement,
    TooManyRepetitions,
    InvalidRepresentation,
    ValueTooLong,
    ValueTooShort,
    TrailingSeparator,
    MixedGroups,
    NotSuppressed,
    LayoutMismatch,
  };

  Kind kind = Kind::UnexpectedEof;
  // Payload; which fields a kind uses is given by its named constructor below.
  std::size_t offset = 0;           // a byte offset, or a segment's start offset
  std::uint8_t byte = 0;            // the offending delimiter byte
  std::size_t element_index = 0;
  std::size_t component_index = 0;
  std::uint64_t declared = 0;       // a declared or expected count
  std::uint64_t found = 0;          // a found count, length, occurrence or error count
  std::uint64_t minimum = 0;
  std::uint64_t maximum = 0;        // a maximum or a configured limit
  std::string tag;                  // a segment tag (or the expected tag of a layout)
  std::string reference;            // a message or control reference
  std::string value;                // the offending value, identifier, repertoire or scope
  std::string detail;               // code list, description, expectation, kind or I/O text
  std::string_view fixed;           // a text with static lifetime chosen by the raiser
  char32_t character = 0;
  model::Span span;
  SuppressionKind suppression = SuppressionKind::LeadingZeroes;
  std::shared_ptr<const report::ValidationReport> report;

  std::string message() const;

  static EdifactError unexpected_eof(std::size_t offset);
  static EdifactError invalid_delimiter(std::uint8_t byte, std::size_t offset);
  static EdifactError invalid_text(std::size_t offset);
  static EdifactError dangling_release(std::size_t offset);
  static EdifactError message_count_mismatch(std::uint32_t declared, std::uint32_t found);
  static EdifactError segment_count_mismatch(std::string reference, std::uint32_t declared,
                                             std::uint32_t found, model::Span unt_span);
  static EdifactError invalid_segment_tag(std::string tag);
  static EdifactError invalid_service_string_advice();
  static EdifactError missing_element(std::size_t element_index, std::string tag);
  static EdifactError missing_component(std::size_t component_index, std::size_t element_index,
                                        std::string tag);
  static EdifactError invalid_utf8_output();
  static EdifactError io(std::string error_text);
  static EdifactError segment_not_allowed(std::string tag, std::string message_type,
                                          model::Span span);
  static EdifactError element_count(std::string tag, std::size_t found, std::size_t minimum,
                                    std::size_t maximum);
  static EdifactError component_count(std::string tag, std::size_t element_index,
                                      std::uint8_t found, std::uint8_t expected);
  static EdifactError invalid_code(std::string tag, std::size_t element_index, std::string value,
                                   std::string code_list);
  static EdifactError missing_segment(std::string tag, std::string position);
  static EdifactError qualifier_mismatch(std::string tag, std::string found, std::string expected,
                                         model::Span span);
  static EdifactError conditional_requirement(std::string tag, std::size_t element_index,
                                              std::string description);
  static EdifactError validation_failed(std::size_t error_count,
                                        std::shared_ptr<const report::ValidationReport> report);
  static EdifactError segment_too_long(std::size_t start_offset, std::size_t limit);
  static EdifactError count_overflow(std::uint64_t count);
  static EdifactError invalid_event_sequence(std::string_view description);
  static EdifactError invalid_position();
  static EdifactError incompatible_release_scopes(std::string first, std::string second);
  static EdifactError invalid_field_value(std::string tag, std::size_t element_index,
                                          std::string value);
  static EdifactError data_before_tag(std::size_t offset);
  static EdifactError unrecognised_syntax_identifier(std::string identifier);
  static EdifactError duplicate_reference(std::string kind, std::string reference,
                                          model::Span range);
  static EdifactError unknown_data_element(std::string tag, std::string data_element);
  static EdifactError duplicate_data_element(std::string tag, std::string data_element);
  static EdifactError limit_exceeded(std::string_view limit_name, std::uint64_t limit);
  static EdifactError no_repetition_separator();
  static EdifactError non_finite_number(std::string number);
  static EdifactError character_not_in_repertoire(char32_t character, std::size_t offset,
                                                  std::string_view repertoire);
  static EdifactError repertoire_mismatch(std::string declared, std::string_view writer_repertoire);
  static EdifactError unsupported_repertoire(std::string repertoire);
  static EdifactError empty_interchange(std::string control_reference);
  static EdifactError empty_message(std::string message_reference, model::Span unh_span);
  static EdifactError unsupported_package(std::string tag, model::Span span);
  static EdifactError only_spaces(std::string tag, std::size_t element_index,
                                  std::size_t component_index);
  static EdifactError no_data_element(std::string tag);
  static EdifactError too_many_repetitions(std::string tag, std::size_t element_index,
                                           std::size_t occurrences, std::uint8_t maximum);
  static EdifactError invalid_representation(std::string tag, std::size_t element_index,
                                             std::size_t component_index, std::string value,
                                             std::string expected_representation);
  static EdifactError value_too_long(std::string tag, std::size_t element_index,
                                     std::size_t component_index, std::size_t length,
                                     std::string limit);
  static EdifactError value_too_short(std::string tag, std::size_t element_index,
                                      std::size_t component_index, std::size_t length,
                                      std::string limit);
  static EdifactError trailing_separator(std::string tag);
  static EdifactError mixed_groups(model::Span span);
  static EdifactError not_suppressed(std::string tag, std::size_t element_index,
                                     std::size_t component_index, SuppressionKind kind);
  static EdifactError layout_mismatch(std::string expected_tag, std::string actual_tag);
};

}  // namespace edifact::error

namespace edifact {
using error::EdifactError;
template <class T>
using Result = std::expected<T, EdifactError>;
}  // namespace edifact

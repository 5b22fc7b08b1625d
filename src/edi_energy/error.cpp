#include "edi_energy/error.hpp"

#include <cstdlib>
#include <utility>

#include <fmt/format.h>

#include "edi_energy/report.hpp"
#include "support/debug_quote.hpp"
#include "support/time_text/date_text.hpp"

namespace edi_energy::error {
namespace {

Error of_kind(Error::Kind kind) {
  Error error;
  error.kind = kind;
  return error;
}

}  // namespace

ProfileError ProfileError::missing_field(std::string field) {
  ProfileError error;
  error.kind = Kind::MissingField;
  error.field = std::move(field);
  return error;
}

ProfileError ProfileError::invalid_field(std::string_view field, std::string value, std::string reason) {
  ProfileError error;
  error.kind = Kind::InvalidField;
  error.field = std::string(field);
  error.value = std::move(value);
  error.reason = std::move(reason);
  return error;
}

std::string ProfileError::message() const {
  switch (kind) {
    case Kind::MissingField: return fmt::format("profile field `{}` is mandatory but was not provided", field);
    case Kind::InvalidField:
      return fmt::format("profile field `{}` has invalid value {}: {}", field, support::debug_quote(value), reason);
  }
  return {};
}

std::string ProfileError::debug_form() const {
  switch (kind) {
    case Kind::MissingField: return fmt::format("MissingField {{ field: {} }}", support::debug_quote(field));
    case Kind::InvalidField:
      return fmt::format("InvalidField {{ field: {}, value: {}, reason: {} }}", support::debug_quote(field),
                         support::debug_quote(value), support::debug_quote(reason));
  }
  return {};
}

Error Error::edifact_parse(edifact::EdifactError error) {
  auto result = of_kind(Kind::EdifactParse);
  result.edifact_error = std::move(error);
  return result;
}

Error Error::edifact_serialize(std::string detail) {
  auto error = of_kind(Kind::EdifactSerialize);
  error.text = std::move(detail);
  return error;
}

Error Error::message_type_disabled(std::string message_type, std::string_view feature) {
  auto error = of_kind(Kind::MessageTypeDisabled);
  error.text = std::move(message_type);
  error.feature = feature;
  return error;
}

Error Error::unknown_message_type(std::string unh_type) {
  auto error = of_kind(Kind::UnknownMessageType);
  error.text = std::move(unh_type);
  return error;
}

Error Error::required_segment_missing(std::string_view segment_tag) {
  auto error = of_kind(Kind::RequiredSegmentMissing);
  error.segment_tag = segment_tag;
  return error;
}

Error Error::malformed_segment(std::string_view segment_tag) {
  auto error = of_kind(Kind::MalformedSegment);
  error.segment_tag = segment_tag;
  return error;
}

Error Error::pruefidentifikator_not_found() { return of_kind(Kind::PruefidentifikatorNotFound); }

Error Error::invalid_pruefidentifikator(std::uint32_t pruefidentifikator) {
  auto error = of_kind(Kind::InvalidPruefidentifikator);
  error.pruefidentifikator = pruefidentifikator;
  return error;
}

Error Error::invalid_pruefidentifikator(std::string decimal_value) {
  auto error = of_kind(Kind::InvalidPruefidentifikator);
  error.text = std::move(decimal_value);
  return error;
}

Error Error::pruefidentifikator_not_numeric(std::string text) {
  auto error = of_kind(Kind::PruefidentifikatorNotNumeric);
  error.text = std::move(text);
  return error;
}

Error Error::release_missing() { return of_kind(Kind::ReleaseMissing); }

Error Error::invalid_release_code(std::string_view reason) {
  auto error = of_kind(Kind::InvalidReleaseCode);
  error.reason = reason;
  return error;
}

Error Error::profile_not_found(release::Release release, message_type::MessageType message_type) {
  auto error = of_kind(Kind::ProfileNotFound);
  error.release = std::move(release);
  error.message_type = message_type;
  return error;
}

Error Error::profile_not_yet_active(release::Release release, std::chrono::year_month_day valid_from,
                                   std::chrono::year_month_day requested_date,
                                   message_type::MessageType message_type) {
  auto error = of_kind(Kind::ProfileNotYetActive);
  error.release = std::move(release);
  error.valid_from = valid_from;
  error.requested_date = requested_date;
  error.message_type = message_type;
  return error;
}

Error Error::message_validation_failed(report::EdiEnergyReport report, std::size_t error_count) {
  auto error = of_kind(Kind::MessageValidationFailed);
  error.report = std::make_shared<const report::EdiEnergyReport>(std::move(report));
  error.error_count = error_count;
  return error;
}

Error Error::input_output(std::string error_text) {
  auto error = of_kind(Kind::InputOutput);
  error.text = std::move(error_text);
  return error;
}

Error Error::profile_configuration(ProfileError profile_error) {
  auto error = of_kind(Kind::ProfileConfiguration);
  error.profile_error = std::move(profile_error);
  return error;
}

Error Error::unz_count_mismatch(std::size_t declared, std::size_t found) {
  auto error = of_kind(Kind::UnzCountMismatch);
  error.declared = declared;
  error.found = found;
  return error;
}

Error Error::unz_group_count_mismatch(std::size_t declared, std::size_t found) {
  auto error = unz_count_mismatch(declared, found);
  error.counted = "group(s)";
  return error;
}

Error Error::control_reference_mismatch(std::string unb_reference, std::string unz_reference) {
  auto error = of_kind(Kind::ControlReferenceMismatch);
  error.unb_reference = std::move(unb_reference);
  error.unz_reference = std::move(unz_reference);
  return error;
}

Error Error::party_mismatch(std::string_view unb_element, std::string unb_value, std::string_view nad_qualifier,
                            std::string nad_party, std::size_t message_number) {
  auto error = of_kind(Kind::PartyMismatch);
  error.unb_element = unb_element;
  error.unb_value = std::move(unb_value);
  error.nad_qualifier = nad_qualifier;
  error.nad_party = std::move(nad_party);
  error.message_number = message_number;
  return error;
}

Error Error::too_many_messages(std::size_t limit) {
  auto error = of_kind(Kind::TooManyMessages);
  error.limit = limit;
  return error;
}

Error Error::too_many_segments(std::size_t limit, std::size_t actual) {
  auto error = of_kind(Kind::TooManySegments);
  error.limit = limit;
  error.actual = actual;
  return error;
}

std::string Error::message() const {
  switch (kind) {
    case Kind::EdifactParse: return fmt::format("EDIFACT parse error: {}", edifact_error.message());
    case Kind::EdifactSerialize: return fmt::format("EDIFACT serialization error: {}", text);
    case Kind::MessageTypeDisabled:
      return fmt::format("message type {} requires the compile-time feature `{}`, which this build leaves out",
                         support::debug_quote(text), feature);
    case Kind::UnknownMessageType:
      return "unknown EDIFACT message type code (check UNH DE 0065 element 1 component 0)";
    case Kind::RequiredSegmentMissing: return fmt::format("required segment {} is missing", segment_tag);
    case Kind::MalformedSegment: return fmt::format("malformed segment {}", segment_tag);
    case Kind::PruefidentifikatorNotFound: return "Pruefidentifikator not found in BGM segment";
    case Kind::InvalidPruefidentifikator:
      return fmt::format("invalid Pruefidentifikator {}: must be a 5-digit code in the range 10000–99999",
                         text.empty() ? std::to_string(pruefidentifikator) : text);
    case Kind::PruefidentifikatorNotNumeric:
      return "Pruefidentifikator field is not a decimal integer (non-numeric content in BGM)";
    case Kind::ReleaseMissing: return "release code is missing in UNH segment";
    case Kind::InvalidReleaseCode: return fmt::format("invalid release code: {}", reason);
    case Kind::ProfileNotFound:
      return fmt::format("no profile found for message type {} release {}", message_type::variant_name(message_type),
                         release);
    case Kind::ProfileNotYetActive:
      return fmt::format("profile for {} release {} is not yet active on {} (valid from {})",
                         message_type::variant_name(message_type), release, support::time_text::date_text(requested_date),
                         support::time_text::date_text(valid_from));
    case Kind::MessageValidationFailed:
      return fmt::format("validation failed with {} error(s): {}", error_count,
                         report ? report->summary() : report::EdiEnergyReport{}.summary());
    case Kind::InputOutput: return fmt::format("I/O error: {}", text);
    case Kind::ProfileConfiguration: return fmt::format("profile configuration error: {}", profile_error.message());
    case Kind::UnzCountMismatch:
      return fmt::format("interchange UNZ count mismatch: UNZ declared {} {} but {} were found", declared, counted,
                         found);
    case Kind::ControlReferenceMismatch:
      return fmt::format("interchange control reference mismatch: UNB has {} but UNZ has {}",
                         support::debug_quote(unb_reference), support::debug_quote(unz_reference));
    case Kind::PartyMismatch:
      return fmt::format(
          "interchange party mismatch: UNB {} is {} but NAD+{} is {} (message {}) — BDEW Allgemeine Festlegungen "
          "§2.13 requires them to be identical",
          unb_element, support::debug_quote(unb_value), nad_qualifier, support::debug_quote(nad_party),
          message_number);
    case Kind::TooManyMessages:
      return fmt::format("interchange exceeds the maximum allowed message count of {}", limit);
    case Kind::TooManySegments:
      return fmt::format("message exceeds the maximum allowed segment count of {} (actual: {})", limit, actual);
  }
  return {};
}

}  // namespace edi_energy::error

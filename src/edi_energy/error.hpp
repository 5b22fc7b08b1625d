// The errors of the energy-market layer: `Error` for parsing, validating, looking up profiles
// and building messages, `ProfileError` for reading a profile document pair. Each is a kind in
// a fixed order with the payload its text shows; `message()` renders the fixed English text.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <expected>
#include <memory>
#include <string>
#include <string_view>

#include "edi_energy/message_type.hpp"
#include "edi_energy/release.hpp"
#include "edifact/error.hpp"

namespace edi_energy::report {
struct EdiEnergyReport;
}

namespace edi_energy::error {

struct ProfileError {
  enum class Kind : std::uint8_t { MissingField, InvalidField };

  Kind kind = Kind::MissingField;
  std::string field;
  std::string value;   // InvalidField
  std::string reason;  // InvalidField

  static ProfileError missing_field(std::string field);
  static ProfileError invalid_field(std::string_view field, std::string value, std::string reason);

  // "profile field `valid_from` has invalid value "2026-13-01": …"
  std::string message() const;
  // The structure form: InvalidField { field: "f", value: "v", reason: "r" }
  std::string debug_form() const;

  friend bool operator==(const ProfileError&, const ProfileError&) = default;
};

struct Error {
  enum class Kind : std::uint8_t {
    EdifactParse,
    EdifactSerialize,
    MessageTypeDisabled,
    UnknownMessageType,
    RequiredSegmentMissing,
    MalformedSegment,
    PruefidentifikatorNotFound,
    InvalidPruefidentifikator,
    PruefidentifikatorNotNumeric,
    ReleaseMissing,
    InvalidReleaseCode,
    ProfileNotFound,
    ProfileNotYetActive,
    MessageValidationFailed,
    InputOutput,
    ProfileConfiguration,
    UnzCountMismatch,
    ControlReferenceMismatch,
    PartyMismatch,
    TooManyMessages,
    TooManySegments,
  };

  Kind kind = Kind::ReleaseMissing;
  // Payload; which fields a kind uses is given by its named constructor below.
  edifact::EdifactError edifact_error;  // EdifactParse
  ProfileError profile_error;           // ProfileConfiguration
  // Serialisation detail, message type text, UNH type text, non-numeric Prüfidentifikator text
  // or I/O error text, or an InvalidPruefidentifikator value too wide for `pruefidentifikator`.
  std::string text;
  std::string_view feature;      // MessageTypeDisabled: the build feature that is left out
  std::string_view segment_tag;  // RequiredSegmentMissing, MalformedSegment
  std::string_view reason;       // InvalidReleaseCode
  std::uint32_t pruefidentifikator = 0;
  release::Release release;
  message_type::MessageType message_type = message_type::MessageType::Utilmd;
  std::chrono::year_month_day valid_from{};
  std::chrono::year_month_day requested_date{};
  // Shared so that copies of the error stay cheap; the report is never changed once wrapped.
  std::shared_ptr<const report::EdiEnergyReport> report;
  std::size_t error_count = 0;
  std::size_t declared = 0;  // UnzCountMismatch
  std::size_t found = 0;     // UnzCountMismatch
  std::string_view counted = "message(s)";  // UnzCountMismatch: what UNZ counts
  std::string unb_reference;
  std::string unz_reference;
  std::string_view unb_element;    // PartyMismatch
  std::string unb_value;           // PartyMismatch
  std::string_view nad_qualifier;  // PartyMismatch
  std::string nad_party;           // PartyMismatch
  std::size_t message_number = 0;  // PartyMismatch
  std::size_t limit = 0;           // TooManyMessages, TooManySegments
  std::size_t actual = 0;          // TooManySegments

  // Static texts (`feature`, `segment_tag`, `reason`, `unb_element`, `nad_qualifier`) must be
  // literals: they are kept as views.
  static Error edifact_parse(edifact::EdifactError error);
  static Error edifact_serialize(std::string detail);
  static Error message_type_disabled(std::string message_type, std::string_view feature);
  static Error unknown_message_type(std::string unh_type);
  static Error required_segment_missing(std::string_view segment_tag);
  static Error malformed_segment(std::string_view segment_tag);
  static Error pruefidentifikator_not_found();
  static Error invalid_pruefidentifikator(std::uint32_t pruefidentifikator);
  // A value beyond 32 bits, shown in decimal exactly as the caller gave it.
  static Error invalid_pruefidentifikator(std::string decimal_value);
  static Error pruefidentifikator_not_numeric(std::string text);
  static Error release_missing();
  static Error invalid_release_code(std::string_view reason);
  static Error profile_not_found(release::Release release, message_type::MessageType message_type);
  static Error profile_not_yet_active(release::Release release, std::chrono::year_month_day valid_from,
                                      std::chrono::year_month_day requested_date,
                                      message_type::MessageType message_type);
  static Error message_validation_failed(report::EdiEnergyReport report, std::size_t error_count);
  static Error input_output(std::string error_text);
  static Error profile_configuration(ProfileError error);
  static Error unz_count_mismatch(std::size_t declared, std::size_t found);
  // In an interchange of functional groups, which UNZ counts instead of messages.
  static Error unz_group_count_mismatch(std::size_t declared, std::size_t found);
  static Error control_reference_mismatch(std::string unb_reference, std::string unz_reference);
  static Error party_mismatch(std::string_view unb_element, std::string unb_value,
                              std::string_view nad_qualifier, std::string nad_party,
                              std::size_t message_number);
  static Error too_many_messages(std::size_t limit);
  static Error too_many_segments(std::size_t limit, std::size_t actual);

  std::string message() const;
};

}  // namespace edi_energy::error

namespace edi_energy {
using error::Error;
template <class T>
using Result = std::expected<T, Error>;
}  // namespace edi_energy

#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "edi_energy/error.hpp"
#include "edi_energy/report.hpp"

namespace {

using edi_energy::error::Error;
using edi_energy::error::ProfileError;
using edi_energy::message_type::MessageType;
using edi_energy::release::Release;
using edifact::report::Severity;
using edifact::report::ValidationIssue;
using std::chrono::year;
using std::chrono::year_month_day;

edi_energy::report::EdiEnergyReport report_with(std::size_t errors, std::size_t warnings, std::size_t infos) {
  edi_energy::report::EdiEnergyReport report;
  report.errors.assign(errors, ValidationIssue(Severity::Error, "e"));
  report.warnings.assign(warnings, ValidationIssue(Severity::Warning, "w"));
  report.infos.assign(infos, ValidationIssue(Severity::Info, "i"));
  return report;
}

year_month_day date(int y, unsigned m, unsigned d) {
  return year_month_day{year{y}, std::chrono::month{m}, std::chrono::day{d}};
}

struct ErrorTextCase {
  Error error;
  std::string text;
};

void PrintTo(const ErrorTextCase& text_case, std::ostream* out) { *out << text_case.text; }

class ErrorText : public testing::TestWithParam<ErrorTextCase> {};

TEST_P(ErrorText, RendersTheFixedText) { EXPECT_EQ(GetParam().error.message(), GetParam().text); }

INSTANTIATE_TEST_SUITE_P(
    EveryKind, ErrorText,
    testing::Values(
        ErrorTextCase{Error::edifact_parse(edifact::EdifactError::unexpected_eof(17)),
                      "EDIFACT parse error: unexpected end of input at byte offset 17"},
        ErrorTextCase{Error::edifact_serialize("UNB envelope: boom"), "EDIFACT serialization error: UNB envelope: boom"},
        ErrorTextCase{Error::message_type_disabled("UTILMD", "utilmd"),
                      "message type \"UTILMD\" requires the compile-time feature `utilmd`, which this build leaves out"},
        ErrorTextCase{Error::unknown_message_type("XYZABC"),
                      "unknown EDIFACT message type code (check UNH DE 0065 element 1 component 0)"},
        ErrorTextCase{Error::required_segment_missing("BGM"), "required segment BGM is missing"},
        ErrorTextCase{Error::malformed_segment("UNH"), "malformed segment UNH"},
        ErrorTextCase{Error::pruefidentifikator_not_found(), "Pruefidentifikator not found in BGM segment"},
        ErrorTextCase{Error::invalid_pruefidentifikator(4294967295u),
                      "invalid Pruefidentifikator 4294967295: must be a 5-digit code in the range 10000–99999"},
        ErrorTextCase{Error::invalid_pruefidentifikator(std::string("-2147483649")),
                      "invalid Pruefidentifikator -2147483649: must be a 5-digit code in the range 10000–99999"},
        ErrorTextCase{Error::pruefidentifikator_not_numeric("55O01"),
                      "Pruefidentifikator field is not a decimal integer (non-numeric content in BGM)"},
        ErrorTextCase{Error::release_missing(), "release code is missing in UNH segment"},
        ErrorTextCase{Error::invalid_release_code("empty"), "invalid release code: empty"},
        ErrorTextCase{Error::profile_not_found(Release("S2.1"), MessageType::Utilmd),
                      "no profile found for message type Utilmd release S2.1"},
        ErrorTextCase{Error::profile_not_yet_active(Release("2.8e"), date(2026, 4, 1), date(2026, 3, 31),
                                                    MessageType::Invoic),
                      "profile for Invoic release 2.8e is not yet active on 2026-03-31 (valid from 2026-04-01)"},
        ErrorTextCase{Error::profile_not_yet_active(Release("1.1e"), date(2025, 4, 1), date(987, 1, 2),
                                                    MessageType::Utilts),
                      "profile for Utilts release 1.1e is not yet active on 0987-01-02 (valid from 2025-04-01)"},
        ErrorTextCase{Error::message_validation_failed(report_with(2, 1, 0), 2),
                      "validation failed with 2 error(s): 2 error(s), 1 warning(s), 0 info(s)"},
        ErrorTextCase{Error::input_output("No such file or directory (os error 2)"),
                      "I/O error: No such file or directory (os error 2)"},
        ErrorTextCase{Error::profile_configuration(ProfileError::missing_field("release")),
                      "profile configuration error: profile field `release` is mandatory but was not provided"},
        ErrorTextCase{Error::unz_count_mismatch(3, 2),
                      "interchange UNZ count mismatch: UNZ declared 3 message(s) but 2 were found"},
        ErrorTextCase{Error::unz_group_count_mismatch(3, 2),
                      "interchange UNZ count mismatch: UNZ declared 3 group(s) but 2 were found"},
        ErrorTextCase{Error::control_reference_mismatch("REF1", ""),
                      "interchange control reference mismatch: UNB has \"REF1\" but UNZ has \"\""},
        ErrorTextCase{Error::control_reference_mismatch("a\"b", "c\\d\n"),
                      "interchange control reference mismatch: UNB has \"a\\\"b\" but UNZ has \"c\\\\d\\n\""},
        ErrorTextCase{Error::party_mismatch("sender", "9900000000003", "MS", "9900000000010", 2),
                      "interchange party mismatch: UNB sender is \"9900000000003\" but NAD+MS is \"9900000000010\" "
                      "(message 2) — BDEW Allgemeine Festlegungen §2.13 requires them to be identical"},
        ErrorTextCase{Error::too_many_messages(1000), "interchange exceeds the maximum allowed message count of 1000"},
        ErrorTextCase{Error::too_many_segments(500, 501),
                      "message exceeds the maximum allowed segment count of 500 (actual: 501)"}));

struct ProfileErrorCase {
  ProfileError error;
  std::string text;
  std::string debug;
};

void PrintTo(const ProfileErrorCase& forms_case, std::ostream* out) { *out << forms_case.debug; }

class ProfileErrorForms : public testing::TestWithParam<ProfileErrorCase> {};

TEST_P(ProfileErrorForms, RenderDisplayAndStructureForm) {
  EXPECT_EQ(GetParam().error.message(), GetParam().text);
  EXPECT_EQ(GetParam().error.debug_form(), GetParam().debug);
}

INSTANTIATE_TEST_SUITE_P(
    BothKinds, ProfileErrorForms,
    testing::Values(
        ProfileErrorCase{ProfileError::missing_field("valid_from"),
                         "profile field `valid_from` is mandatory but was not provided",
                         "MissingField { field: \"valid_from\" }"},
        ProfileErrorCase{ProfileError::invalid_field("release", "a\"b\\c", "bad \"quote\""),
                         "profile field `release` has invalid value \"a\\\"b\\\\c\": bad \"quote\"",
                         "InvalidField { field: \"release\", value: \"a\\\"b\\\\c\", reason: \"bad \\\"quote\\\"\" }"}));

}  // namespace

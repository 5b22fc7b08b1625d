#include "edi_energy/platform/unb_layout.hpp"

#include <algorithm>
#include <array>
#include <string>
#include <utility>

#include <fmt/format.h>
#include <fmt/ranges.h>

#include "edi_energy/interchange.hpp"
#include "edi_energy/mp_id_shape.hpp"
#include "edi_energy/parse/unb_datetime.hpp"
#include "edifact/charset/charset.hpp"
#include "support/debug_quote.hpp"

namespace edi_energy::platform {
namespace {

using edifact::report::Severity;
using edifact::report::ValidationIssue;

constexpr std::size_t SYNTAX = 0;
constexpr std::size_t SENDER = 1;
constexpr std::size_t RECIPIENT = 2;
constexpr std::size_t PREPARED = 3;
constexpr std::size_t REFERENCE = 4;
constexpr std::size_t REFERENCE_LENGTH = 14;  // an..14
constexpr std::size_t APPLICATION_REFERENCE = 6;
constexpr std::size_t TEST_INDICATOR = 10;

struct ApplicationReferences {
  std::string_view message_type;
  std::array<std::string_view, 3> codes;
};

// The MIGs that print the UNB in full and list codes for DE 0026.
constexpr std::array<ApplicationReferences, 1> APPLICATION_REFERENCES{{
    {"MSCONS", {"EM", "TL", "VL"}},
}};

std::string_view text_at(const edifact::model::Segment& unb, std::size_t element, std::size_t component) {
  return interchange::component_text(unb, element, component).value_or(std::string_view{});
}

ValidationIssue finding(std::string_view rule, std::size_t element, std::string message) {
  return ValidationIssue(Severity::Error, std::move(message))
      .with_rule_id(fmt::format("PARSE-ENVELOPE-{}", rule))
      .with_segment("UNB")
      .with_element(element);
}

void check_syntax(const edifact::model::Segment& unb, std::vector<ValidationIssue>& findings) {
  // A missing or unknown identifier is the syntax library's finding.
  const std::string_view identifier = text_at(unb, SYNTAX, 0);
  if (!identifier.empty() && identifier != "UNOC" && edifact::charset::from_syntax_identifier(identifier)) {
    findings.push_back(finding("SYNTAX-IDENTIFIER", SYNTAX,
                               fmt::format("UNB syntax identifier {} is not UNOC, the only one the MIGs admit",
                                           support::debug_quote(identifier))));
  }
  const std::string_view version = text_at(unb, SYNTAX, 1);
  if (version != "3") {
    findings.push_back(finding("SYNTAX-VERSION", SYNTAX,
                               version.empty() ? std::string("UNB syntax version is missing: the MIGs admit 3 only")
                                               : fmt::format("UNB syntax version {} is not 3, the only one the MIGs "
                                                             "admit",
                                                             support::debug_quote(version))));
  }
}

void check_partner(const edifact::model::Segment& unb, std::size_t element, std::string_view role,
                   std::vector<ValidationIssue>& findings) {
  const std::string_view id = text_at(unb, element, 0);
  const std::string_view qualifier = text_at(unb, element, 1);
  // A party that is not there at all is the syntax library's finding.
  if (id.empty() && qualifier.empty()) return;
  if (qualifier.empty()) {
    findings.push_back(finding("PARTNER-QUALIFIER", element,
                               fmt::format("UNB {} has no qualifier (DE 0007): the MIGs require 14 (GS1), 500 (BDEW) "
                                           "or 502 (DVGW)",
                                           role)));
    return;
  }
  if (std::ranges::find(mp_id_shape::unb_qualifiers, qualifier) == mp_id_shape::unb_qualifiers.end()) {
    findings.push_back(finding("PARTNER-QUALIFIER", element,
                               fmt::format("UNB {} qualifier (DE 0007) {} is none of 14 (GS1), 500 (BDEW), 502 (DVGW)",
                                           role, support::debug_quote(qualifier))));
    return;
  }
  // An empty ID is the syntax library's finding.
  if (!id.empty() && !mp_id_shape::is_mp_id(id)) {
    findings.push_back(finding("PARTNER-ID", element,
                               fmt::format("UNB {} {} is no market-partner ID: qualifier {} names one of {} digits",
                                           role, support::debug_quote(id), qualifier, mp_id_shape::MP_ID_DIGITS)));
  }
}

void check_prepared(const edifact::model::Segment& unb, std::vector<ValidationIssue>& findings) {
  // An empty date is the syntax library's finding.
  const std::string_view date = text_at(unb, PREPARED, 0);
  if (!date.empty() && !parse::is_syntax3_unb_date(date)) {
    findings.push_back(finding("DATE-TIME", PREPARED,
                               fmt::format("UNB date (DE 0017) {} is not YYMMDD of a day of the calendar",
                                           support::debug_quote(date))));
  }
  const std::string_view time = text_at(unb, PREPARED, 1);
  if (!parse::is_syntax3_unb_time(time)) {
    findings.push_back(finding("DATE-TIME", PREPARED,
                               time.empty() ? std::string("UNB time (DE 0019) is missing: HHMM")
                                            : fmt::format("UNB time (DE 0019) {} is not HHMM of a 24-hour clock",
                                                          support::debug_quote(time))));
  }
}

void check_reference(const edifact::model::Segment& unb, std::vector<ValidationIssue>& findings) {
  // An empty reference is the syntax library's finding; the UNZ must repeat this one.
  const std::string_view reference = text_at(unb, REFERENCE, 0);
  // Characters, not bytes; any byte that does not continue a sequence counts as one.
  const auto length = static_cast<std::size_t>(std::ranges::count_if(
      reference, [](char byte) { return (static_cast<unsigned char>(byte) & 0xC0U) != 0x80U; }));
  if (length > REFERENCE_LENGTH) {
    findings.push_back(finding("REFERENCE", REFERENCE,
                               fmt::format("UNB interchange reference (DE 0020) {} has {} characters: an..{} admits {} "
                                           "at most",
                                           support::debug_quote(reference), length, REFERENCE_LENGTH,
                                           REFERENCE_LENGTH)));
  }
}

}  // namespace

std::vector<ValidationIssue> unb_layout_findings(const edifact::model::Segment& unb) {
  std::vector<ValidationIssue> findings;
  check_syntax(unb, findings);
  check_partner(unb, SENDER, "sender", findings);
  check_partner(unb, RECIPIENT, "recipient", findings);
  check_prepared(unb, findings);
  check_reference(unb, findings);
  if (const std::string_view test = text_at(unb, TEST_INDICATOR, 0); !test.empty() && test != "1") {
    findings.push_back(finding("TEST-INDICATOR", TEST_INDICATOR,
                               fmt::format("UNB test indicator (DE 0035) {} is not 1, the only value the MIGs admit",
                                           support::debug_quote(test))));
  }
  return findings;
}

std::optional<ValidationIssue> application_reference_finding(const edifact::model::Segment& unb,
                                                             std::string_view message_type) {
  const std::string_view reference = text_at(unb, APPLICATION_REFERENCE, 0);
  if (reference.empty()) return std::nullopt;
  const auto listed = std::ranges::find(APPLICATION_REFERENCES, message_type, &ApplicationReferences::message_type);
  if (listed == APPLICATION_REFERENCES.end() || std::ranges::find(listed->codes, reference) != listed->codes.end()) {
    return std::nullopt;
  }
  return finding("APPLICATION-REFERENCE", APPLICATION_REFERENCE,
                 fmt::format("UNB application reference (DE 0026) {} is none of {} that the {} MIG admits",
                             support::debug_quote(reference), fmt::join(listed->codes, ", "), message_type));
}

}  // namespace edi_energy::platform

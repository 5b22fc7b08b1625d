// The UNB against the MIGs' layout: a clean UNB draws nothing, each edit of it its one finding.
#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "edi_energy/messages/nad_party_ids.hpp"
#include "edi_energy/platform/unb_layout.hpp"
#include "plain_segments.hpp"

namespace {

constexpr std::string_view CLEAN = "UNB+UNOC:3+9900000000003:500+4012345000023:14+260501:1200+REF1++TL++++1";

struct UnbCase {
  const char* name;
  std::string_view from;
  std::string_view to;
  std::vector<std::string> rules;
};

class UnbLayout : public testing::TestWithParam<UnbCase> {};

TEST_P(UnbLayout, EachEditDrawsItsFinding) {
  std::string unb(CLEAN);
  if (!GetParam().from.empty()) {
    ASSERT_NE(unb.find(GetParam().from), std::string::npos);
    unb.replace(unb.find(GetParam().from), GetParam().from.size(), GetParam().to);
  }
  const auto segment = plain_notation::segments(unb).front();
  std::vector<std::string> rules;
  for (const auto& finding : edi_energy::platform::unb_layout_findings(segment)) {
    rules.push_back(finding.rule_id.value_or(""));
    EXPECT_EQ(finding.segment, "UNB");
  }
  if (auto finding = edi_energy::platform::application_reference_finding(segment, "MSCONS")) {
    rules.push_back(finding->rule_id.value_or(""));
  }
  EXPECT_EQ(rules, GetParam().rules);
}

INSTANTIATE_TEST_SUITE_P(
    Edits, UnbLayout,
    testing::Values(UnbCase{"clean", "", "", {}}, UnbCase{"dvgw_sender", "9900000000003:500", "9800000000006:502", {}},
                    UnbCase{"no_optional_fields", "+REF1++TL++++1", "+REF1", {}},
                    UnbCase{"unob", "UNOC", "UNOB", {"PARSE-ENVELOPE-SYNTAX-IDENTIFIER"}},
                    // An unknown repertoire is the syntax library's finding.
                    UnbCase{"unknown_repertoire", "UNOC", "XXXX", {}},
                    UnbCase{"version_4", "UNOC:3", "UNOC:4", {"PARSE-ENVELOPE-SYNTAX-VERSION"}},
                    UnbCase{"no_version", "UNOC:3", "UNOC", {"PARSE-ENVELOPE-SYNTAX-VERSION"}},
                    UnbCase{"qualifier_999", "0003:500", "0003:999", {"PARSE-ENVELOPE-PARTNER-QUALIFIER"}},
                    UnbCase{"no_sender_qualifier", "0003:500", "0003", {"PARSE-ENVELOPE-PARTNER-QUALIFIER"}},
                    UnbCase{"no_recipient_qualifier", "0023:14", "0023", {"PARSE-ENVELOPE-PARTNER-QUALIFIER"}},
                    UnbCase{"letters_for_an_id", "9900000000003", "ABCDEFGHIJKLM", {"PARSE-ENVELOPE-PARTNER-ID"}},
                    UnbCase{"two_digit_id", "4012345000023", "99", {"PARSE-ENVELOPE-PARTNER-ID"}},
                    UnbCase{"ccyymmdd", "260501", "20260501", {"PARSE-ENVELOPE-DATE-TIME"}},
                    UnbCase{"hhmmss", ":1200", ":120000", {"PARSE-ENVELOPE-DATE-TIME"}},
                    UnbCase{"no_time", ":1200", "", {"PARSE-ENVELOPE-DATE-TIME"}},
                    UnbCase{"no_such_day", "260501", "260230", {"PARSE-ENVELOPE-DATE-TIME"}},
                    UnbCase{"test_indicator_2", "++++1", "++++2", {"PARSE-ENVELOPE-TEST-INDICATOR"}},
                    UnbCase{"application_reference", "++TL", "++XX", {"PARSE-ENVELOPE-APPLICATION-REFERENCE"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(UnbLayout, ApplicationReferencesAreReadOnlyWhereTheMigListsThem) {
  const auto segment = plain_notation::segments(std::string(CLEAN).replace(CLEAN.find("++TL"), 4, "++XX")).front();
  EXPECT_FALSE(edi_energy::platform::application_reference_finding(segment, "UTILMD"));
  EXPECT_TRUE(edi_energy::platform::application_reference_finding(segment, "MSCONS"));
}

struct NadCase {
  const char* name;
  std::string_view nad;
  bool flagged;
};

class NadPartyIds : public testing::TestWithParam<NadCase> {};

TEST_P(NadPartyIds, ShapeOnlyWhereTheAgencyNamesAMarketPartnerId) {
  const auto segments = plain_notation::segments(GetParam().nad);
  std::vector<edifact::report::ValidationIssue> findings;
  edi_energy::messages::check_nad_party_ids(segments, findings);
  EXPECT_EQ(findings.size(), GetParam().flagged ? 1U : 0U);
  for (const auto& finding : findings) EXPECT_EQ(finding.rule_id, "SEM-NAD-PARTY-ID");
}

INSTANTIATE_TEST_SUITE_P(
    Parties, NadPartyIds,
    testing::Values(NadCase{"bdew", "NAD+MS+9900000000003::293", false},
                    // A wrong check digit is no finding: real test data carries such IDs.
                    NadCase{"check_digit_not_read", "NAD+MR+9900000000004::293", false},
                    NadCase{"gs1_letters", "NAD+MS+ABCDEFGHIJKLM::9", true}, NadCase{"dvgw_short", "NAD+MR+98::332", true},
                    NadCase{"bdew_short", "NAD+MS+99::293", true},
                    NadCase{"eic_agency", "NAD+MS+11XDE-EON-NETZ-1::305", false},
                    NadCase{"other_role", "NAD+DP+99::293", false}, NadCase{"no_agency", "NAD+MS+99", false}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <string_view>
#include <vector>

#include "edi_energy/any_message.hpp"
#include "edi_energy/messages/dtm_format.hpp"
#include "edi_energy/parse/dispatch.hpp"
#include "edi_energy/profile/profile.hpp"
#include "edi_energy/registry/shared_registry.hpp"
#include "support/diag.hpp"
#include "../edifact/parsed_segments.hpp"

namespace {

using edi_energy::any_message::AnyMessage;
using edi_energy::report::EdiEnergyReport;
using edifact::report::ValidationIssue;
using edifact_test::parsed;
using std::chrono::year_month_day;

constexpr year_month_day day(int y, unsigned m, unsigned d) {
  return year_month_day{std::chrono::year{y}, std::chrono::month{m}, std::chrono::day{d}};
}

AnyMessage message_of(std::string_view text) {
  auto message = edi_energy::parse::dispatch_message_on_date(parsed(text), *edi_energy::registry::REGISTRY.get(),
                                                             std::nullopt);
  if (!message) ADD_FAILURE() << message.error().message();
  return std::move(*message);
}

std::vector<std::string> rule_ids(const std::vector<ValidationIssue>& issues) {
  std::vector<std::string> ids;
  for (const auto& issue : issues) ids.push_back(issue.rule_id.value_or("-"));
  return ids;
}

// Events the pipeline emits while a test runs.
class CapturedEvents {
 public:
  CapturedEvents() {
    previous_ = support::diag::set_sink([this](const support::diag::Event& event) { events_.push_back(event); });
  }
  ~CapturedEvents() { support::diag::set_sink(previous_); }
  bool has(support::diag::Level level, std::string_view message) const {
    return std::ranges::any_of(events_, [&](const auto& event) {
      return event.level == level && event.message == message && event.target == "edi_energy::messages::core";
    });
  }

 private:
  support::diag::Sink previous_;
  std::vector<support::diag::Event> events_;
};

// --- format-303 DTM values -------------------------------------------------------------------

struct DtmCase {
  std::string_view segment;
  bool flagged;
};

class Dtm303 : public testing::TestWithParam<DtmCase> {};

TEST_P(Dtm303, OnlyFormat303ValuesOfAnotherShapeAreFlagged) {
  std::vector<ValidationIssue> findings;
  edi_energy::messages::check_dtm_values(parsed(GetParam().segment), findings);
  ASSERT_EQ(findings.size(), GetParam().flagged ? 1u : 0u) << GetParam().segment;
  if (!findings.empty()) {
    EXPECT_EQ(findings[0].rule_id, "SEM-DTM-VALUE");
    EXPECT_EQ(findings[0].segment, "DTM");
    EXPECT_EQ(findings[0].severity, edifact::report::Severity::Error);
    EXPECT_EQ(findings[0].span, std::nullopt);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Values, Dtm303,
    testing::Values(DtmCase{"DTM+137:202610011200?+00:303'", false}, DtmCase{"DTM+137:202610011200-05:303'", false},
                    DtmCase{"DTM+137:202610011200:303'", true}, DtmCase{"DTM+137:202610011200X00:303'", true},
                    DtmCase{"DTM+137:2026100112000?+00:303'", true}, DtmCase{"DTM+137::303'", true},
                    DtmCase{"DTM+137:20261001:102'", false}, DtmCase{"DTM+137:20261001'", false},
                    DtmCase{"DTM+137:20261001:303 '", false}, DtmCase{"DTM'", false}));

// A build names what wrote a faulty value from the segment and data element the finding points at.
TEST(Dtm303Message, PointsAtTheValueOfItsSegment) {
  std::vector<ValidationIssue> findings;
  edi_energy::messages::check_dtm_values(parsed("DTM+137:202610011200?+00:303'DTM+171:XYZ:303'"), findings);
  ASSERT_EQ(findings.size(), 1u);
  EXPECT_EQ(findings[0].segment_index, 1u);
  EXPECT_EQ(findings[0].element, 0u);
  EXPECT_EQ(findings[0].component, 1u);
}

TEST(Dtm303Message, QuotesQualifierAndValueAsTheyStand) {
  std::vector<ValidationIssue> findings;
  edi_energy::messages::check_dtm_values(parsed("DTM+163:2026100112?+0:303'"), findings);
  ASSERT_EQ(findings.size(), 1u);
  EXPECT_EQ(findings[0].message,
            "segment DTM DE 2380 (element 0, component 1): `DTM+163` declares DE 2379 format '303' but carries "
            "'2026100112+0', which is not CCYYMMDDHHMMZZZ — 12 digits plus a signed 2-digit zone, as in "
            "DTM+137:202610011200?+00:303'");
}

class DtmCalendar : public testing::TestWithParam<DtmCase> {};

TEST_P(DtmCalendar, EveryDateFormatIsReadAgainstTheCalendar) {
  std::vector<ValidationIssue> findings;
  edi_energy::messages::check_dtm_values(parsed(GetParam().segment), findings);
  EXPECT_EQ(findings.size(), GetParam().flagged ? 1u : 0u) << GetParam().segment;
}

INSTANTIATE_TEST_SUITE_P(
    Values, DtmCalendar,
    testing::Values(DtmCase{"DTM+137:202613400000?+00:303'", true}, DtmCase{"DTM+137:202602302200?+00:303'", true},
                    DtmCase{"DTM+137:202802282300?+00:303'", false}, DtmCase{"DTM+137:202610012460?+00:303'", true},
                    DtmCase{"DTM+492:abcdef:610'", true}, DtmCase{"DTM+492:202610:610'", false},
                    DtmCase{"DTM+76:20260230:102'", true}, DtmCase{"DTM+76:20280229:102'", false},
                    DtmCase{"DTM+Z10:1231:106'", false}, DtmCase{"DTM+Z10:1232:106'", true},
                    DtmCase{"DTM+157:2026:602'", false}, DtmCase{"DTM+157:20261:602'", true},
                    DtmCase{"DTM+203:202610011275:203'", true}, DtmCase{"DTM+Z01:03MQ:Z01'", false},
                    DtmCase{"DTM+Z01:201609160400201609090400:719'", false},
                    DtmCase{"DTM+Z01:201609160400201609310400:719'", true}));

TEST(DtmCalendarMessage, SaysTheLayoutHoldsAnImpossibleDate) {
  std::vector<ValidationIssue> findings;
  edi_energy::messages::check_dtm_values(parsed("DTM+137:202613400000?+00:303'"), findings);
  ASSERT_EQ(findings.size(), 1u);
  EXPECT_EQ(findings[0].message,
            "segment DTM DE 2380 (element 0, component 1): `DTM+137` declares DE 2379 format '303' but carries "
            "'202613400000+00', which has the layout CCYYMMDDHHMMZZZ but names a date or time the calendar does "
            "not have");
}

// --- the pipeline ----------------------------------------------------------------------------

constexpr std::string_view UTILMD_BODY =
    "UNH+1+UTILMD:D:11A:UN:S2.1'BGM+E01+DOC1'DTM+137:202510011200:303'RFF+Z13:55001'"
    "NAD+MS+9900000000003::293'NAD+MR+9900000000010::293'IDE+24+V1'LOC+Z16+not-a-malo'UNT+9+1'";

TEST(Pipeline, ProfileFindingsComeFirstThenFormat303ThenTheRulePack) {
  const auto report = message_of(UTILMD_BODY).validate_on_date(day(2025, 11, 1));
  ASSERT_TRUE(report) << report.error().message();
  const auto ids = rule_ids(report->errors);
  const auto dtm = std::ranges::find(ids, "SEM-DTM-VALUE");
  const auto pack = std::ranges::find(ids, "SEM-UTILMD-LOKATIONS-ID");
  ASSERT_NE(dtm, ids.end());
  ASSERT_NE(pack, ids.end());
  EXPECT_LT(dtm, pack);
  for (auto it = ids.begin(); it != ids.end(); ++it) {
    const bool from_profile = it->starts_with("MIG-") || it->starts_with("AHB-");
    if (from_profile) {
      EXPECT_LT(it, dtm) << *it << " after the format-303 finding";
    }
  }
  EXPECT_TRUE(std::ranges::any_of(ids, [](const auto& id) { return id.starts_with("MIG-"); }));
  EXPECT_EQ(report->pruefidentifikator, 55001u);
  EXPECT_EQ(report->interchange, std::nullopt);
  ASSERT_NE(report->profile, nullptr);
  EXPECT_EQ(report->profile->release().text(), "S2.1");
}

TEST(Pipeline, EveryFindingIsInTheListOfItsSeverity) {
  const auto report = message_of(UTILMD_BODY).validate_on_date(day(2025, 11, 1));
  ASSERT_TRUE(report);
  for (const auto& issue : report->errors) EXPECT_TRUE(edifact::report::counts_as_error(issue.severity));
  for (const auto& issue : report->warnings) EXPECT_EQ(issue.severity, edifact::report::Severity::Warning);
  for (const auto& issue : report->infos) EXPECT_EQ(issue.severity, edifact::report::Severity::Info);
}

struct ErrorCase {
  std::string_view name;
  std::string_view text;
  year_month_day on;
  edi_energy::Error::Kind kind;
  std::string_view message_start;
};

class PipelineErrors : public testing::TestWithParam<ErrorCase> {};

TEST_P(PipelineErrors, AreErrorsNotFindings) {
  const auto report = message_of(GetParam().text).validate_on_date(GetParam().on);
  ASSERT_FALSE(report);
  EXPECT_EQ(report.error().kind, GetParam().kind);
  EXPECT_THAT(report.error().message(), testing::StartsWith(std::string(GetParam().message_start)));
}

INSTANTIATE_TEST_SUITE_P(
    Messages, PipelineErrors,
    testing::Values(
        ErrorCase{"NoRelease", "UNH+1+UTILMD:D:11A:UN'BGM+E01'UNT+3+1'", day(2025, 11, 1),
                  edi_energy::Error::Kind::ReleaseMissing, "release code is missing in UNH segment"},
        ErrorCase{"AperakWithoutRelease", "UNH+1+APERAK:D:07B:UN'BGM+313'UNT+3+1'", day(2025, 11, 1),
                  edi_energy::Error::Kind::ReleaseMissing, "release code is missing"},
        ErrorCase{"UnknownRelease", "UNH+1+UTILMD:D:11A:UN:S9.9'BGM+E01'UNT+3+1'", day(2025, 11, 1),
                  edi_energy::Error::Kind::ProfileNotFound, "no profile found for message type Utilmd release S9.9"},
        ErrorCase{"BeforeTheProfile", "UNH+1+UTILMD:D:11A:UN:S2.1'BGM+E01'UNT+3+1'", day(2025, 9, 30),
                  edi_energy::Error::Kind::ProfileNotYetActive,
                  "profile for Utilmd release S2.1 is not yet active on 2025-09-30 (valid from 2025-10-01)"},
        ErrorCase{"BrokenOwnEnvelope",
                  "UNB+UNOC:3+9900000000003:500+9900000000010:500+251101:1200+R1'"
                  "UNH+1+UTILMD:D:11A:UN:S2.1'BGM+E01'UNT+3+1'UNZ+1+OTHER'",
                  day(2025, 11, 1), edi_energy::Error::Kind::EdifactParse, "EDIFACT parse error: "}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Pipeline, UnknownReleaseIsLoggedAndNotYetActiveIsNot) {
  {
    CapturedEvents events;
    (void)message_of("UNH+1+UTILMD:D:11A:UN:S9.9'BGM+E01'UNT+3+1'").validate_on_date(day(2025, 11, 1));
    EXPECT_TRUE(events.has(support::diag::Level::Warn,
                           "profile not found for release — unknown release code on production path"));
  }
  CapturedEvents events;
  (void)message_of("UNH+1+UTILMD:D:11A:UN:S2.1'BGM+E01'UNT+3+1'").validate_on_date(day(2025, 9, 1));
  EXPECT_FALSE(events.has(support::diag::Level::Warn,
                          "profile not found for release — unknown release code on production path"));
}

TEST(Pipeline, OutcomeEventCountsErrorsAndWarnings) {
  CapturedEvents events;
  ASSERT_TRUE(message_of(UTILMD_BODY).validate_on_date(day(2025, 11, 1)));
  EXPECT_TRUE(events.has(support::diag::Level::Info, "validation failed"));
}

TEST(Pipeline, OwnEnvelopeIsCheckedAndGivesTheHeaderWithMidnightForADateAlone) {
  const std::string text = "UNB+UNOC:3+9900000000003:500+9900000000010:500+251101+R1'" + std::string(UTILMD_BODY) +
                           "UNZ+1+R1'";
  const auto report = message_of(text).validate_on_date(day(2025, 11, 1));
  ASSERT_TRUE(report) << report.error().message();
  ASSERT_TRUE(report->interchange);
  EXPECT_EQ(report->interchange->sender, "9900000000003");
  EXPECT_EQ(report->interchange->control_ref, "R1");
  ASSERT_TRUE(report->interchange->prepared_at);
  EXPECT_EQ(report->interchange->prepared_at->date, day(2025, 11, 1));
  EXPECT_EQ(report->interchange->prepared_at->hour, 0);
  // The service segments are not validated as part of the message.
  for (const auto& issue : report->errors) EXPECT_NE(issue.segment, "UNB") << issue.message;
  const auto inner = message_of(UTILMD_BODY).validate_on_date(day(2025, 11, 1));
  EXPECT_EQ(rule_ids(report->errors), rule_ids(inner->errors));
}

TEST(Pipeline, APrueufidentifikatorOutOfRangeIsDroppedNotAnError) {
  auto message = message_of(UTILMD_BODY);
  message.core()->pruefidentifikator = 123456;
  const auto report = message.validate_on_date(day(2025, 11, 1));
  ASSERT_TRUE(report);
  EXPECT_EQ(report->pruefidentifikator, std::nullopt);
  for (const auto& issue : report->warnings) EXPECT_NE(issue.rule_id, "AHB-UNKNOWN-PID");
}

TEST(Pipeline, UnknownTypeGivesOneFindingAndNothingElse) {
  const auto report = message_of("UNH+1+FOOBAR:D:11A:UN:1.0'BGM+E01'UNT+3+1'").validate_on_date(day(2025, 11, 1));
  ASSERT_TRUE(report);
  ASSERT_EQ(report->errors.size(), 1u);
  EXPECT_TRUE(report->warnings.empty());
  EXPECT_TRUE(report->infos.empty());
  EXPECT_EQ(report->errors[0].rule_id, "UNKNOWN-MSG-TYPE");
  EXPECT_EQ(report->errors[0].message, "message type \"FOOBAR\" is not validated in this build");
  EXPECT_EQ(report->errors[0].segment, std::nullopt);
  EXPECT_EQ(report->profile, nullptr);
  EXPECT_EQ(report->pruefidentifikator, std::nullopt);
}

struct PackCase {
  std::string_view name;
  std::string_view text;
  year_month_day on;
  std::vector<std::string> semantic_ids;  // the SEM- findings other than SEM-DTM-VALUE
};

class SemanticPacks : public testing::TestWithParam<PackCase> {};

TEST_P(SemanticPacks, RunOnlyForTheirType) {
  const auto report = message_of(GetParam().text).validate_on_date(GetParam().on);
  ASSERT_TRUE(report) << report.error().message();
  std::vector<std::string> semantic;
  for (const auto& id : rule_ids(report->errors)) {
    if (id.starts_with("SEM-") && id != "SEM-DTM-VALUE") semantic.push_back(id);
  }
  EXPECT_EQ(semantic, GetParam().semantic_ids);
}

INSTANTIATE_TEST_SUITE_P(
    Types, SemanticPacks,
    testing::Values(
        PackCase{"AperakHasNone", "UNH+1+APERAK:D:07B:UN:2.1i'BGM+313+DOC'LOC+Z16+bad'DTM+163:2'DTM+164:1'UNT+6+1'",
                 day(2025, 11, 1), {}},
        PackCase{"ContrlValidAction", "UNH+1+CONTRL:D:3:UN:2.0b'UCI+R1+A:500+B:500+7'UNT+3+1'", day(2026, 2, 1), {}},
        PackCase{"ContrlUnknownAction", "UNH+1+CONTRL:D:3:UN:2.0b'UCI+R1+A:500+B:500+9'UNT+3+1'", day(2026, 2, 1),
                 {"SEM-CONTRL-SYNTAX-CODE-UNKNOWN"}},
        PackCase{"MsconsThreeRules",
                 "UNH+1+MSCONS:D:04B:UN:2.4c'BGM+7+DOC'DTM+163:202605010000?+00:303'"
                 "DTM+164:202604010000?+00:303'LOC+172+bad'QTY+220:1:kwh'UNT+7+1'",
                 day(2026, 5, 1),
                 {"SEM-MSCONS-LOCATION-FORMAT", "SEM-MSCONS-PERIOD-ORDER", "SEM-MSCONS-UNIT-UNKNOWN"}},
        // Reversed in the first SG7 only; the last two instances each hold half a period.
        PackCase{"InsrptPerGroup",
                 "UNH+1+INSRPT:D:97A:UN:1.1a'BGM+Z01+DOC'DOC+Z01'LIN+1'DTM+163:2'DTM+164:1'LIN+2'DTM+163:1'"
                 "DTM+164:2'LIN+3'DTM+163:5'LIN+4'DTM+164:4'UNT+14+1'",
                 day(2026, 2, 1), {"SEM-INSRPT-SG7-PERIOD-ORDER"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Pipeline, SameBytesOnTwoFormatVersionsMeetTwoProfiles) {
  // INVOIC keeps its release code across the two format versions.
  const auto message = message_of("UNH+1+INVOIC:D:06A:UN:2.8e'BGM+380+DOC'UNT+3+1'");
  const auto before = message.validate_on_date(day(2026, 5, 1));
  const auto after = message.validate_on_date(day(2026, 11, 1));
  ASSERT_TRUE(before && after);
  ASSERT_NE(before->profile, nullptr);
  ASSERT_NE(after->profile, nullptr);
  EXPECT_EQ(before->profile->valid_from(), day(2026, 4, 1));
  EXPECT_EQ(after->profile->valid_from(), day(2026, 10, 1));
}

}  // namespace

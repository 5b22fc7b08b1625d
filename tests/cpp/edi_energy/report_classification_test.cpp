#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <string_view>

#include "edi_energy/report/classification.hpp"

namespace {

using edi_energy::report::classify_rule_origin;
using edi_energy::report::ValidationIssueSummary;
using edifact::report::Severity;
using edifact::report::ValidationIssue;
using edifact::report::ValidationLayer;

struct OriginCase {
  std::string_view rule_id;
  std::optional<ValidationLayer> layer;
};

class RuleOrigin : public testing::TestWithParam<OriginCase> {};

TEST_P(RuleOrigin, FollowsThePrefix) { EXPECT_EQ(classify_rule_origin(GetParam().rule_id), GetParam().layer); }

INSTANTIATE_TEST_SUITE_P(
    Prefixes, RuleOrigin,
    testing::Values(OriginCase{"MIG-", ValidationLayer::Mig}, OriginCase{"MIG", std::nullopt},
                    OriginCase{"MIG-00012-REQUIRED", ValidationLayer::Mig},
                    OriginCase{"AHB-55001-00017-MISSING", ValidationLayer::Ahb},
                    OriginCase{"SEM-DTM-VALUE", ValidationLayer::Semantic}, OriginCase{"PARSE-", ValidationLayer::Parse},
                    OriginCase{"PARSE", std::nullopt}, OriginCase{"DIR-X", ValidationLayer::Directory},
                    OriginCase{"CUSTOM-", ValidationLayer::Custom}, OriginCase{"CUSTOM", std::nullopt},
                    OriginCase{"UNKNOWN-MSG-TYPE", ValidationLayer::Unvalidated},
                    OriginCase{"UNKNOWN-MSG-TYPE-2", std::nullopt}, OriginCase{"FMT-931", ValidationLayer::Ahb},
                    OriginCase{"mig-lower", std::nullopt}, OriginCase{"", std::nullopt}));

struct PidCase {
  std::optional<std::string> context_pid;
  std::optional<std::uint32_t> message_pid;
  std::optional<std::uint32_t> expected;
};

class SummaryPid : public testing::TestWithParam<PidCase> {};

TEST_P(SummaryPid, ANumericPidEntryWinsOverTheMessages) {
  ValidationIssue issue(Severity::Error, "m");
  if (GetParam().context_pid) issue = std::move(issue).with_context_entry("pid", *GetParam().context_pid);
  EXPECT_EQ(ValidationIssueSummary::from_issue_with_pid(issue, GetParam().message_pid).pruefidentifikator,
            GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Entries, SummaryPid,
    testing::Values(PidCase{"55001", 55002, 55001}, PidCase{"+55001", 55002, 55001}, PidCase{"123", std::nullopt, 123},
                    PidCase{"col3", 55002, 55002}, PidCase{"", 55002, 55002}, PidCase{"4294967296", 55002, 55002},
                    PidCase{"-1", std::nullopt, std::nullopt}, PidCase{std::nullopt, 55002, 55002}));

TEST(Summary, CopiesEveryFieldAndNamesSeverityAndLayer) {
  const ValidationIssue issue = ValidationIssue(Severity::Warning, "text")
                                    .with_rule_id("AHB-55001-00017-MISSING")
                                    .with_error_code(edifact::report::ErrorCode::fixed("E1"))
                                    .with_segment("LOC")
                                    .with_segment_group("SG5")
                                    .with_suggestion("fix it")
                                    .with_element(1)
                                    .with_component(2)
                                    .with_span({4, 9});
  for (const auto& summary : {ValidationIssueSummary::from_issue_with_pid(issue, 55001),
                              ValidationIssueSummary::from_issue_with_pid(ValidationIssue(issue), 55001)}) {
    EXPECT_EQ(summary.severity, "warning");
    EXPECT_EQ(summary.message, "text");
    EXPECT_EQ(summary.rule_id, "AHB-55001-00017-MISSING");
    EXPECT_EQ(summary.layer, ValidationLayer::Ahb);
    EXPECT_EQ(summary.error_code, "E1");
    EXPECT_EQ(summary.segment, "LOC");
    EXPECT_EQ(summary.segment_group, "SG5");
    EXPECT_EQ(summary.suggestion, "fix it");
    EXPECT_EQ(summary.element, 1);
    EXPECT_EQ(summary.component, 2);
    EXPECT_EQ(summary.span, (edifact::model::Span{4, 9}));
    EXPECT_EQ(summary.pruefidentifikator, 55001u);
  }
  const auto bare = ValidationIssueSummary::from_issue_with_pid(ValidationIssue(Severity::Critical, "x"), std::nullopt);
  EXPECT_EQ(bare.severity, "critical");
  EXPECT_EQ(bare.layer, std::nullopt);
  EXPECT_EQ(bare.segment_group, std::nullopt);
}

}  // namespace

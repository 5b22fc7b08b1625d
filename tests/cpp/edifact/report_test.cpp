#include <gtest/gtest.h>

#include <cstddef>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "edifact/report.hpp"

namespace {

using edifact::report::ErrorCode;
using edifact::report::Severity;
using edifact::report::ValidationIssue;
using edifact::report::ValidationLayer;
using edifact::report::ValidationReport;

enum class ReportList { Errors, Warnings, Infos };

struct SeverityCase {
  Severity severity;
  std::string_view text;
  ReportList list;
};

class SeverityRouting : public testing::TestWithParam<SeverityCase> {};

TEST_P(SeverityRouting, TextFormAndListOfTheSeverity) {
  const SeverityCase& row = GetParam();
  EXPECT_EQ(edifact::report::text_form(row.severity), row.text);
  EXPECT_EQ(edifact::report::counts_as_error(row.severity), row.list == ReportList::Errors);

  ValidationReport report;
  report.push(ValidationIssue(row.severity, "finding"));
  EXPECT_EQ(report.errors.size(), row.list == ReportList::Errors ? 1U : 0U);
  EXPECT_EQ(report.warnings.size(), row.list == ReportList::Warnings ? 1U : 0U);
  EXPECT_EQ(report.infos.size(), row.list == ReportList::Infos ? 1U : 0U);
}

INSTANTIATE_TEST_SUITE_P(
    AllSeverities, SeverityRouting,
    testing::Values(SeverityCase{Severity::Critical, "critical", ReportList::Errors},
                    SeverityCase{Severity::Error, "error", ReportList::Errors},
                    SeverityCase{Severity::Warning, "warning", ReportList::Warnings},
                    SeverityCase{Severity::Info, "info", ReportList::Infos}));

struct RuleIdCase {
  std::string_view rule_id;
  std::optional<ValidationLayer> layer;
};

class RuleIdLayer : public testing::TestWithParam<RuleIdCase> {};

TEST_P(RuleIdLayer, PrefixNamesTheLayer) {
  EXPECT_EQ(edifact::report::layer_of_rule_id(GetParam().rule_id), GetParam().layer);
}

INSTANTIATE_TEST_SUITE_P(
    Prefixes, RuleIdLayer,
    testing::Values(RuleIdCase{"PARSE-", ValidationLayer::Parse},
                    RuleIdCase{"PARSE-TAG", ValidationLayer::Parse},
                    RuleIdCase{"PARSE", std::nullopt},
                    RuleIdCase{"DIR-CODE", ValidationLayer::Directory},
                    RuleIdCase{"MIG-STRUCTURE", ValidationLayer::Mig},
                    RuleIdCase{"MIG-", ValidationLayer::Mig},
                    RuleIdCase{"MIG", std::nullopt},
                    RuleIdCase{"mig-structure", std::nullopt},
                    RuleIdCase{"AHB-MUSS", ValidationLayer::Ahb},
                    RuleIdCase{"SEM-MSCONS-PERIOD-ORDER", ValidationLayer::Semantic},
                    RuleIdCase{"Sem-X", std::nullopt},
                    RuleIdCase{"CUSTOM-CHECK", ValidationLayer::Custom},
                    RuleIdCase{"CUSTOM", std::nullopt},
                    RuleIdCase{"UNKNOWN-MSG-TYPE", ValidationLayer::Unvalidated},
                    RuleIdCase{"UNKNOWN-MSG-TYPE-2", std::nullopt},
                    RuleIdCase{"UNKNOWN-MSG", std::nullopt},
                    RuleIdCase{"FMT-930", std::nullopt},
                    RuleIdCase{"", std::nullopt}));

TEST(ValidationLayerText, EveryLayerHasItsTextForm) {
  const std::vector<std::pair<ValidationLayer, std::string_view>> table{
      {ValidationLayer::Parse, "parse"},       {ValidationLayer::Directory, "directory"},
      {ValidationLayer::Mig, "mig"},           {ValidationLayer::Ahb, "ahb"},
      {ValidationLayer::Semantic, "semantic"}, {ValidationLayer::Custom, "custom"},
      {ValidationLayer::Unvalidated, "unvalidated"},
  };
  for (const auto& [layer, text] : table) EXPECT_EQ(edifact::report::text_form(layer), text);
}

TEST(ContextEntry, EqualKeyReplacesInPlaceAndKeysAreCaseSensitive) {
  ValidationIssue issue = ValidationIssue(Severity::Error, "m")
                              .with_context_entry("pid", "55001")
                              .with_context_entry("nr", "00042")
                              .with_context_entry("pid", "55002")
                              .with_context_entry("PID", "55003");
  const std::vector<edifact::report::ContextEntry> expected{
      {"pid", "55002"}, {"nr", "00042"}, {"PID", "55003"}};
  EXPECT_EQ(issue.context, expected);
  EXPECT_EQ(issue.context_value("pid"), "55002");
  EXPECT_EQ(issue.context_value("de"), std::nullopt);

  // A key that is a prefix of an existing one is a different key.
  issue = std::move(issue).with_context_entry("pi", "x");
  EXPECT_EQ(issue.context.size(), 4U);
}

struct SaturationCase {
  std::size_t given;
  std::uint16_t segment_index;
  std::uint8_t narrow_index;
};

class PositionSaturation : public testing::TestWithParam<SaturationCase> {};

TEST_P(PositionSaturation, WidePositionsStoreTheLargestValue) {
  const SaturationCase& row = GetParam();
  ValidationIssue issue = ValidationIssue(Severity::Info, "m")
                              .with_segment_index(row.given)
                              .with_element(row.given)
                              .with_component(row.given);
  EXPECT_EQ(issue.segment_index, row.segment_index);
  EXPECT_EQ(issue.element, row.narrow_index);
  EXPECT_EQ(issue.component, row.narrow_index);
}

INSTANTIATE_TEST_SUITE_P(
    Boundaries, PositionSaturation,
    testing::Values(SaturationCase{0, 0, 0}, SaturationCase{254, 254, 254},
                    SaturationCase{255, 255, 255}, SaturationCase{256, 256, 255},
                    SaturationCase{300, 300, 255}, SaturationCase{65535, 65535, 255},
                    SaturationCase{65536, 65535, 255}, SaturationCase{70000, 65535, 255},
                    SaturationCase{std::numeric_limits<std::size_t>::max(), 65535, 255}));

TEST(IssueBuilder, LaterValuesReplaceEarlierOnes) {
  ValidationIssue issue = ValidationIssue(Severity::Warning, "m")
                              .with_rule_id("MIG-FIRST")
                              .with_rule_id("MIG-SECOND")
                              .with_segment("LOC")
                              .with_segment("DTM")
                              .with_suggestion("a")
                              .with_suggestion("b")
                              .with_segment_group("SG4")
                              .with_segment_group("SG5");
  EXPECT_EQ(issue.rule_id, "MIG-SECOND");
  EXPECT_EQ(issue.segment, "DTM");
  EXPECT_EQ(issue.suggestion, "b");
  ASSERT_TRUE(issue.segment_group);
  EXPECT_EQ(*issue.segment_group, "SG5");
  EXPECT_EQ(issue.segment_group.use_count(), 1);
}

TEST(IssueBuilder, FreshIssueHasOnlySeverityAndMessage) {
  const ValidationIssue issue(Severity::Critical, "broken");
  EXPECT_EQ(issue, (ValidationIssue{Severity::Critical, "broken"}));
  EXPECT_FALSE(issue.rule_id || issue.error_code || issue.segment || issue.segment_group ||
               issue.segment_index || issue.element || issue.component || issue.span ||
               issue.suggestion || issue.release);
  EXPECT_TRUE(issue.context.empty());
  EXPECT_EQ(ValidationIssue().severity, Severity::Error);
}

TEST(IssueCopy, SharesGroupNameAndFixedCodeAndCopiesTheRest) {
  static constexpr std::string_view fixed_code = "E042";
  const ValidationIssue original = ValidationIssue(Severity::Error, "m")
                                       .with_segment_group("SG7")
                                       .with_error_code(ErrorCode::fixed(fixed_code))
                                       .with_context_entry("pid", "55001");
  ValidationIssue copy = original;
  EXPECT_EQ(copy.segment_group.get(), original.segment_group.get());
  EXPECT_EQ(copy.error_code->text().data(), fixed_code.data());
  EXPECT_TRUE(copy.error_code->is_fixed());

  copy = std::move(copy).with_context_entry("pid", "55002");
  EXPECT_EQ(original.context_value("pid"), "55001");

  const ValidationIssue owned_code =
      ValidationIssue(Severity::Error, "m").with_error_code(ErrorCode::owned("E7"));
  const ValidationIssue owned_copy = owned_code;
  EXPECT_FALSE(owned_copy.error_code->is_fixed());
  EXPECT_NE(owned_copy.error_code->text().data(), owned_code.error_code->text().data());
  EXPECT_EQ(owned_copy.error_code->text(), "E7");
}

TEST(ReportPush, EachListKeepsArrivalOrder) {
  const std::vector<std::pair<Severity, std::string>> arrivals{
      {Severity::Warning, "w1"}, {Severity::Error, "e1"},  {Severity::Info, "i1"},
      {Severity::Critical, "c1"}, {Severity::Warning, "w2"}, {Severity::Error, "e2"},
  };
  ValidationReport report;
  for (const auto& [severity, message] : arrivals) report.push(ValidationIssue(severity, message));

  auto messages = [](const std::vector<ValidationIssue>& list) {
    std::vector<std::string> texts;
    for (const ValidationIssue& issue : list) texts.push_back(issue.message);
    return texts;
  };
  EXPECT_EQ(messages(report.errors), (std::vector<std::string>{"e1", "c1", "e2"}));
  EXPECT_EQ(messages(report.warnings), (std::vector<std::string>{"w1", "w2"}));
  EXPECT_EQ(messages(report.infos), (std::vector<std::string>{"i1"}));
}

}  // namespace

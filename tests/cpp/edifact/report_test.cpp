#include <gtest/gtest.h>

#include <cstddef>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

#include "edifact/report/validation_report.hpp"

namespace {

using edifact::report::ErrorCode;
using edifact::report::Severity;
using edifact::report::ValidationIssue;
using edifact::report::ValidationLayer;
using edifact::report::ValidationReport;

struct SeverityCase {
  Severity severity;
  std::string_view text;
  std::size_t list;  // 0 errors, 1 warnings, 2 infos
};

class SeverityRouting : public testing::TestWithParam<SeverityCase> {};

TEST_P(SeverityRouting, TextFormAndListOfTheSeverity) {
  EXPECT_EQ(edifact::report::text_form(GetParam().severity), GetParam().text);
  EXPECT_EQ(edifact::report::counts_as_error(GetParam().severity), GetParam().list == 0);
  ValidationReport report;
  report.push(ValidationIssue(GetParam().severity, "finding"));
  EXPECT_EQ((std::vector{report.errors.size(), report.warnings.size(), report.infos.size()}).at(GetParam().list), 1U);
  EXPECT_EQ(report.errors.size() + report.warnings.size() + report.infos.size(), 1U);
}

INSTANTIATE_TEST_SUITE_P(AllSeverities, SeverityRouting,
                         testing::Values(SeverityCase{Severity::Critical, "critical", 0},
                                         SeverityCase{Severity::Error, "error", 0},
                                         SeverityCase{Severity::Warning, "warning", 1},
                                         SeverityCase{Severity::Info, "info", 2}));

struct RuleIdCase {
  std::string_view rule_id;
  std::optional<ValidationLayer> layer;
  std::string_view layer_text;
};

class RuleIdLayer : public testing::TestWithParam<RuleIdCase> {};

TEST_P(RuleIdLayer, PrefixNamesTheLayer) {
  EXPECT_EQ(edifact::report::layer_of_rule_id(GetParam().rule_id), GetParam().layer);
  if (GetParam().layer) {
    EXPECT_EQ(edifact::report::text_form(*GetParam().layer), GetParam().layer_text);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Prefixes, RuleIdLayer,
    testing::Values(RuleIdCase{"PARSE-TAG", ValidationLayer::Parse, "parse"}, RuleIdCase{"PARSE", std::nullopt, ""},
                    RuleIdCase{"DIR-CODE", ValidationLayer::Directory, "directory"},
                    RuleIdCase{"MIG-", ValidationLayer::Mig, "mig"}, RuleIdCase{"mig-structure", std::nullopt, ""},
                    RuleIdCase{"AHB-MUSS", ValidationLayer::Ahb, "ahb"},
                    RuleIdCase{"SEM-MSCONS-PERIOD-ORDER", ValidationLayer::Semantic, "semantic"},
                    RuleIdCase{"CUSTOM-CHECK", ValidationLayer::Custom, "custom"},
                    RuleIdCase{"UNKNOWN-MSG-TYPE", ValidationLayer::Unvalidated, "unvalidated"},
                    RuleIdCase{"UNKNOWN-MSG-TYPE-2", std::nullopt, ""}, RuleIdCase{"FMT-930", std::nullopt, ""},
                    RuleIdCase{"", std::nullopt, ""}));

TEST(ValidationIssue, EqualContextKeyReplacesInPlaceAndKeysAreCaseSensitive) {
  ValidationIssue issue = ValidationIssue(Severity::Error, "m")
                              .with_context_entry("pid", "55001")
                              .with_context_entry("nr", "00042")
                              .with_context_entry("pid", "55002")
                              .with_context_entry("PID", "55003")
                              .with_context_entry("pi", "x");
  const std::vector<edifact::report::ContextEntry> expected{
      {"pid", "55002"}, {"nr", "00042"}, {"PID", "55003"}, {"pi", "x"}};
  EXPECT_EQ(issue.context, expected);
  EXPECT_EQ(issue.context_value("pid"), "55002");
  EXPECT_EQ(issue.context_value("de"), std::nullopt);
}

TEST(ValidationIssue, WidePositionsStoreTheLargestValue) {
  const std::tuple<std::size_t, std::uint16_t, std::uint8_t> rows[] = {
      {255, 255, 255}, {256, 256, 255}, {65536, 65535, 255}, {std::numeric_limits<std::size_t>::max(), 65535, 255}};
  for (const auto& [given, segment_index, narrow_index] : rows) {
    const ValidationIssue issue =
        ValidationIssue(Severity::Info, "m").with_segment_index(given).with_element(given).with_component(given);
    EXPECT_EQ(issue.segment_index, segment_index) << given;
    EXPECT_EQ(issue.element, narrow_index) << given;
    EXPECT_EQ(issue.component, narrow_index) << given;
  }
}

TEST(ValidationIssue, CopySharesGroupNameAndFixedCodeAndCopiesTheRest) {
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

  const ValidationIssue owned_code = ValidationIssue(Severity::Error, "m").with_error_code(ErrorCode::owned("E7"));
  const ValidationIssue owned_copy = owned_code;
  EXPECT_FALSE(owned_copy.error_code->is_fixed());
  EXPECT_NE(owned_copy.error_code->text().data(), owned_code.error_code->text().data());
  EXPECT_EQ(owned_copy.error_code->text(), "E7");
}

}  // namespace

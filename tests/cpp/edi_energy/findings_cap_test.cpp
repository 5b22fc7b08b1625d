#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "edi_energy/any_message.hpp"
#include "edi_energy/messages/dtm_format.hpp"
#include "edi_energy/messages/invoic/semantic_rule_pack.hpp"
#include "edi_energy/messages/mscons/semantic_rule_pack.hpp"
#include "edi_energy/messages/utilmd/semantic_rule_pack.hpp"
#include "edi_energy/parse/dispatch.hpp"
#include "edi_energy/profile/validate/validate.hpp"
#include "edi_energy/registry/shared_registry.hpp"
#include "edi_energy/report/findings_cap.hpp"
#include "edifact/group/group_tree.hpp"
#include "edifact/validator/context/validation_context.hpp"
#include "../edifact/parsed_segments.hpp"

namespace {

using edi_energy::report::FINDINGS_LEFT_OUT_RULE;
using edi_energy::report::KEPT_FINDINGS;
using edifact::report::Severity;
using edifact::report::ValidationIssue;

constexpr std::chrono::year_month_day ON{std::chrono::year{2026}, std::chrono::month{10}, std::chrono::day{1}};

// A valid message with `count` copies of one faulty segment between its head and its tail: what a
// sender of garbage repeats to inflate the report.
struct Shape {
  std::string_view name;
  std::string_view head;
  std::string_view repeated;
  std::string_view tail;
  std::function<edifact::validator::pack::ProfileRulePack()> pack;
};

std::string message_text(const Shape& shape, std::size_t count) {
  std::string text(shape.head);
  for (std::size_t i = 0; i < count; ++i) text += shape.repeated;
  text += shape.tail;
  const auto segments = static_cast<std::size_t>(std::ranges::count(text, '\'')) + 1;
  return text + "UNT+" + std::to_string(segments) + "+M1'";
}

const Shape INVOIC{
    "InvoicOfEmptyLin",
    "UNH+M1+INVOIC:D:06A:UN:2.8e'BGM+380+DOK31001+7'DTM+137:202610010000?+00:303'DTM+9:202610010000?+00:303'"
    "DTM+Z42:202609302200?+00:303'DTM+Z43:202609302200?+00:303'IMD++ABS'RFF+Z13:31001'"
    "NAD+MS+9900000000003::9++Mustermann:::::Z01++Berlin++10115+DE'RFF+VA:REF31001'"
    "NAD+MR+9900000000010::9++Mustermann:::::Z01++Berlin++10115+DE'NAD+DP++++Musterstr. 1+Berlin++10115+DE'"
    "LOC+172+41373559241'CUX+2:EUR:4'PYT+3'DTM+265:202609302200?+00:303'LIN+1++9991000002082:Z01'"
    "QTY+47:100:H87'DTM+155:202609302200?+00:303'DTM+156:202609302200?+00:303'MOA+203:1000'PRI+CAL:1000'",
    "LIN'",
    "TAX+7+VAT+++:::1+S'UNS+S'MOA+77:1000'MOA+9:1000'TAX+7+VAT+++:::1+S'MOA+125:1000'MOA+161:1000'",
    edi_energy::messages::invoic::semantic_rule_pack};

const Shape UTILMD{
    "UtilmdOfBareIde",
    "UNH+M1+UTILMD:D:11A:UN:S2.1'BGM+E01+DOK55001'DTM+137:202610010000?+00:303'NAD+MS+9900000000003::9'"
    "NAD+MR+9900000000010::9'IDE+24+VORGANG0001'DTM+92:202609302200?+00:303'STS+7++E01+ZW4'"
    "LOC+Z16+51238696781'RFF+Z13:55001'SEQ+Z79+1'PIA+5+9991000002082:Z11'CCI+Z66'SEQ+ZH0+1'CCI+Z65+++Z01'"
    "SEQ+Z01'CCI+++Z15'SEQ+Z75'CCI+Z61++ZF9'",
    "IDE+24+X'",
    "",
    edi_energy::messages::utilmd::semantic_rule_pack};

// Each LOC also fails a semantic rule, whose findings draw on the same budget.
const Shape MSCONS{
    "MsconsOfBadLocations",
    "UNH+M1+MSCONS:D:04B:UN:2.4c'BGM+7+DOK13002+9'DTM+137:202610010000?+00:303'RFF+Z13:13002'"
    "NAD+MS+9900000000003::9'NAD+MR+9900000000010::9'UNS+D'NAD+DP'LOC+172+DE00056266802AO6G56M11SN51G21M24S'",
    "LOC+172+x'",
    "RFF+MG:REF13002'LIN+1'PIA+5+1-1?:1.8.0:SRW'QTY+220:100'",
    edi_energy::messages::mscons::semantic_rule_pack};

edi_energy::any_message::AnyMessage message_of(const std::string& text) {
  auto message = edi_energy::parse::dispatch_message_on_date(edifact_test::parsed(text),
                                                             *edi_energy::registry::REGISTRY.get(), std::nullopt);
  if (!message) ADD_FAILURE() << message.error().message();
  return std::move(*message);
}

// Every finding of the message in the order the pipeline makes them, with nothing left out.
std::vector<ValidationIssue> every_finding(const Shape& shape, const edi_energy::any_message::AnyMessage& message,
                                           const edi_energy::profile::Profile& profile) {
  const auto& segments = message.core()->segments;
  auto all = edi_energy::profile::validate::validate(profile, segments, message.core()->pruefidentifikator);
  edi_energy::messages::check_dtm_values(segments, all);
  const edifact::group::SegmentGroupIndexed root({}, edifact::group::root_group_name, 0, segments.size(), 0);
  auto layers = edifact::validator::context::ValidationContextBuilder()
                    .with_profile_pack(shape.pack())
                    .build()
                    .validate_grouped(root, segments);
  for (auto* list : {&layers.errors, &layers.warnings, &layers.infos}) {
    for (auto& issue : *list) all.push_back(std::move(issue));
  }
  return all;
}

std::vector<std::string> shown(const std::vector<ValidationIssue>& issues) {
  std::vector<std::string> lines;
  for (const auto& issue : issues) lines.push_back(issue.rule_id.value_or("-") + " " + issue.message);
  return lines;
}

std::vector<std::string> errors_of(std::vector<ValidationIssue> issues) {
  std::erase_if(issues, [](const ValidationIssue& issue) { return !edifact::report::counts_as_error(issue.severity); });
  return shown(issues);
}

class FindingsCap : public testing::TestWithParam<Shape> {};

TEST_P(FindingsCap, AHostileMessageKeepsTheFirstFindingsAndOneThatCountsTheRest) {
  const auto message = message_of(message_text(GetParam(), 600));
  const auto report = message.validate_on_date(ON);
  ASSERT_TRUE(report) << report.error().message();
  const auto all = every_finding(GetParam(), message, *report->profile);
  ASSERT_GT(all.size(), KEPT_FINDINGS + 100);
  ASSERT_EQ(errors_of(all).size(), all.size()) << "the shape is expected to give errors only";

  auto expected = errors_of({all.begin(), all.begin() + KEPT_FINDINGS});
  const std::size_t left_out = all.size() - KEPT_FINDINGS;
  expected.push_back(std::string(FINDINGS_LEFT_OUT_RULE) + " " + std::to_string(left_out) +
                     " further findings left out after the first 1000: " + std::to_string(left_out) +
                     " error(s), 0 warning(s), 0 info(s) — the verdict counts them as if they were listed");
  EXPECT_EQ(shown(report->errors), expected);
  EXPECT_EQ(report->errors.back().severity, Severity::Error);
  EXPECT_TRUE(report->warnings.empty());
  EXPECT_EQ(report->left_out.errors(), left_out);
  EXPECT_EQ(report->summary(), std::to_string(all.size()) + " error(s), 0 warning(s), 0 info(s)");
}

TEST_P(FindingsCap, AMessageUpToTheCapKeepsEveryFinding) {
  // The most copies whose findings still fit, found by counting rather than assumed.
  std::size_t copies = 0;
  while (true) {
    const auto message = message_of(message_text(GetParam(), copies + 1));
    const auto report = message.validate_on_date(ON);
    ASSERT_TRUE(report);
    if (every_finding(GetParam(), message, *report->profile).size() > KEPT_FINDINGS) break;
    ++copies;
  }
  for (const std::size_t count : {copies, copies + 1}) {
    const auto message = message_of(message_text(GetParam(), count));
    const auto report = message.validate_on_date(ON);
    ASSERT_TRUE(report);
    const auto all = every_finding(GetParam(), message, *report->profile);
    if (all.size() <= KEPT_FINDINGS) {
      EXPECT_EQ(shown(report->errors), errors_of(all)) << count;
      EXPECT_EQ(report->left_out.total(), 0U);
    } else {
      EXPECT_EQ(report->errors.back().rule_id, FINDINGS_LEFT_OUT_RULE) << count;
      EXPECT_EQ(report->left_out.total(), all.size() - KEPT_FINDINGS);
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Shapes, FindingsCap, testing::Values(INVOIC, UTILMD, MSCONS),
                         [](const auto& info) { return std::string(info.param.name); });

// A column that could not be applied is read off its note, which no cap may drop.
TEST(FindingsCap, TheNoteThatNoColumnWasAppliedOutlivesTheCap) {
  std::string text = message_text(INVOIC, 600);
  text.replace(text.find("RFF+Z13:31001'"), 14, "");
  text.replace(text.find("BGM+380"), 7, "BGM+999");
  const auto report = message_of(text).validate_on_date(ON);
  ASSERT_TRUE(report) << report.error().message();
  ASSERT_GT(report->left_out.total(), 0U);
  ASSERT_EQ(report->warnings.size(), 1U);
  EXPECT_EQ(report->warnings[0].rule_id, "AHB-SKIP-NO-PID");
}

struct LeftOutCase {
  std::array<std::size_t, 4> counts;
  Severity severity;
  std::string_view tally;
};

class LeftOutFinding : public testing::TestWithParam<LeftOutCase> {};

TEST_P(LeftOutFinding, TakesTheGravestSeverityLeftOut) {
  const auto finding = edi_energy::report::findings_left_out({.by_severity = GetParam().counts});
  EXPECT_EQ(finding.severity, GetParam().severity);
  EXPECT_EQ(finding.rule_id, FINDINGS_LEFT_OUT_RULE);
  EXPECT_NE(finding.message.find(GetParam().tally), std::string::npos) << finding.message;
}

INSTANTIATE_TEST_SUITE_P(
    Tallies, LeftOutFinding,
    testing::Values(LeftOutCase{{2, 3, 4, 0}, Severity::Critical,
                                "9 further findings left out after the first 1000: 5 error(s), 4 warning(s), 0 info(s)"},
                    LeftOutCase{{0, 0, 7, 1}, Severity::Warning,
                                "8 further findings left out after the first 1000: 0 error(s), 7 warning(s), 1 info(s)"},
                    LeftOutCase{{0, 0, 0, 1}, Severity::Info, "1 further findings left out"}));

}  // namespace

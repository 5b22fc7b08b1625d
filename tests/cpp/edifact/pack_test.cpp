#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

#include "edifact/group/group_tree.hpp"
#include "edifact/report/validation_report.hpp"
#include "edifact/validator/pack/profile_rule_pack.hpp"
#include "edifact/validator/validator.hpp"
#include "parsed_segments.hpp"

namespace {

using edifact::group::SegmentGroupIndexed;
using edifact::model::Segment;
using edifact::report::Severity;
using edifact::report::ValidationIssue;
using edifact::report::ValidationReport;
using edifact::validator::RuleContext;
using edifact::validator::Validator;
using edifact::validator::pack::ProfileRule;
using edifact::validator::pack::ProfileRulePack;
using edifact_test::parsed;

// Appends findings of the given severities, numbered by their place in the list (empty on entry),
// and counts its calls.
class ScriptedRule final : public ProfileRule {
 public:
  explicit ScriptedRule(std::vector<Severity> severities) : severities_(std::move(severities)) {}

  void evaluate(std::span<const Segment>, const RuleContext&, edifact::report::FindingSink findings) const override {
    ++calls;
    std::size_t place = 0;
    for (Severity severity : severities_) findings.emplace_back(severity, std::to_string(place++));
  }

  mutable int calls = 0;

 private:
  std::vector<Severity> severities_;
};

using Findings = const edifact::report::FindingSink;
const std::vector<Segment>& utilmd_message() {
  static const std::vector<Segment> segments = parsed("UNH+1+UTILMD:D:11A:UN:S2.1'BGM+E01'UNT+3+1'");
  return segments;
}

struct ScopeCase {
  std::string label;
  std::vector<std::string> scope;
  std::optional<std::string> release_scope;
  std::optional<std::string_view> context_type;
  std::string segments;
  bool admitted;
};

class PackScope : public testing::TestWithParam<ScopeCase> {};

TEST_P(PackScope, RulesRunOnlyOnAdmittedMessages) {
  const ScopeCase& row = GetParam();
  auto rule = std::make_shared<ScriptedRule>(std::vector{Severity::Error});
  ProfileRulePack pack = ProfileRulePack("TEST-SEM").with_rule(rule);
  for (const std::string& type : row.scope) pack = std::move(pack).for_message_type(type);
  if (row.release_scope) pack = std::move(pack).with_release_scope(*row.release_scope);
  int group_calls = 0;
  pack = std::move(pack).with_group_rule(
      [&group_calls](const SegmentGroupIndexed&, std::span<const Segment>, const RuleContext&, Findings&) {
        ++group_calls;
      });

  const std::vector<Segment> segments = parsed(row.segments);
  RuleContext context;
  context.message_type = row.context_type;
  ValidationReport report;
  pack.validate_batch(segments, report, context);
  pack.validate_group_batch(SegmentGroupIndexed{{}, "ROOT", 0, segments.size(), 0}, segments, report, context);

  EXPECT_EQ(pack.scope_admits(segments, row.context_type), row.admitted);
  EXPECT_EQ(rule->calls, row.admitted ? 1 : 0);
  EXPECT_EQ(group_calls, row.admitted ? 1 : 0);
  EXPECT_EQ(report.errors.size(), row.admitted ? 1U : 0U);
}

INSTANTIATE_TEST_SUITE_P(
    Scopes, PackScope,
    testing::Values(
        ScopeCase{"OtherType", {"UTILMD"}, {}, {}, "UNH+1+MSCONS:D:04B:UN:2.4c'", false},
        ScopeCase{"NoUnhNoContext", {"UTILMD"}, {}, {}, "BGM+E01'", false},
        ScopeCase{"EmptyScopeNoUnh", {}, {}, {}, "BGM+E01'", true},
        ScopeCase{"LowerCaseEntry", {"utilmd"}, {}, {}, "UNH+1+UTILMD:D:11A:UN'", false},
        ScopeCase{"ContextTypeWins", {"UTILMD"}, {}, "UTILMD", "UNH+1+MSCONS:D:04B:UN'", true},
        ScopeCase{"FirstUnhCounts", {"UTILMD"}, {}, {}, "BGM+E01'UNH+1+UTILMD:D:11A:UN'UNH+2+MSCONS:D:04B:UN'", true},
        ScopeCase{"ThirdScopeEntry", {"MSCONS", "UTILMD", "ORDERS"}, {}, {}, "UNH+1+ORDERS:D:09B:UN:1.4b'", true},
        ScopeCase{"ReleaseMatches", {}, "S2.1", {}, "UNH+1+UTILMD:D:11A:UN:S2.1'", true},
        ScopeCase{"ReleaseDiffers", {}, "S2.1", {}, "UNH+1+UTILMD:D:11A:UN:S2.2'", false},
        ScopeCase{"ReleaseNeedsUnhEvenWithContextType", {"UTILMD"}, "S2.1", "UTILMD", "BGM+E01'", false}),
    [](const testing::TestParamInfo<ScopeCase>& info) { return info.param.label; });

TEST(PackScope, RepeatedTypeIsKeptOnce) {
  const ProfileRulePack pack =
      ProfileRulePack("P").for_message_type("MSCONS").for_message_type("UTILMD").for_message_type("MSCONS");
  ASSERT_EQ(pack.message_types().size(), 2U);
  EXPECT_EQ(pack.message_types()[0], "MSCONS");
  EXPECT_EQ(pack.message_types()[1], "UTILMD");
}

// A root over `segment_count` segments with `instances` SG7 children of one segment each.
SegmentGroupIndexed tree_with_sg7(std::size_t instances, std::size_t segment_count) {
  SegmentGroupIndexed root{{}, "ROOT", 0, segment_count, 0};
  for (std::size_t index = 0; index < instances; ++index) root.children.push_back({{}, "SG7", index + 1, index + 2, index});
  return root;
}

struct GroupCapCase {
  std::optional<std::size_t> cap;
  std::size_t produced_per_call;
  int expected_calls;
  std::size_t expected_findings;
};

class GroupCap : public testing::TestWithParam<GroupCapCase> {};

TEST_P(GroupCap, BudgetSpansTheWholeWalk) {
  const GroupCapCase& row = GetParam();
  int calls = 0;
  ProfileRulePack pack = ProfileRulePack("P").with_group_rule(
      [&calls, &row](const SegmentGroupIndexed&, std::span<const Segment>, const RuleContext&, Findings& findings) {
        ++calls;
        for (std::size_t index = 0; index < row.produced_per_call; ++index) findings.emplace_back(Severity::Error, "p");
      },
      "SEM-INSRPT-SG7-PERIOD-ORDER", "SG7");
  if (row.cap) pack = std::move(pack).with_max_issues_per_rule(*row.cap);

  ValidationReport report;
  pack.validate_group_batch(tree_with_sg7(3, utilmd_message().size()), utilmd_message(), report, {});
  EXPECT_EQ(calls, row.expected_calls);
  EXPECT_EQ(report.errors.size(), row.expected_findings);
}

INSTANTIATE_TEST_SUITE_P(Caps, GroupCap,
                         testing::Values(GroupCapCase{std::nullopt, 5, 3, 15}, GroupCapCase{2, 1, 2, 2},
                                         GroupCapCase{4, 3, 2, 4}, GroupCapCase{0, 5, 0, 0}));

TEST(GroupCap, EachRuleHasItsOwnBudget) {
  auto one_finding = [](const SegmentGroupIndexed&, std::span<const Segment>, const RuleContext&, Findings& findings) {
    findings.emplace_back(Severity::Warning, "w");
  };
  const ProfileRulePack pack =
      ProfileRulePack("P").with_group_rule(one_finding).with_group_rule(one_finding).with_max_issues_per_rule(2);
  ValidationReport report;
  pack.validate_group_batch(tree_with_sg7(2, utilmd_message().size()), utilmd_message(), report, {});
  EXPECT_EQ(report.warnings.size(), 4U);
}

struct BatchCase {
  std::string label;
  bool stop_after_first_error;
  std::optional<std::size_t> cap;
  std::vector<std::vector<Severity>> rules;
  std::vector<int> expected_calls;
  std::string kept;  // the findings added to the report after the one already there
};

class RuleBatch : public testing::TestWithParam<BatchCase> {};

// Each rule's first findings up to the cap are kept; only a kept Error or Critical stops a pack
// that stops after its first error.
TEST_P(RuleBatch, CapsEachRuleAndStopsOnlyOnAKeptError) {
  const BatchCase& row = GetParam();
  ProfileRulePack pack = ProfileRulePack("P").with_stop_after_first_error(row.stop_after_first_error);
  if (row.cap) pack = std::move(pack).with_max_issues_per_rule(*row.cap);
  std::vector<std::shared_ptr<ScriptedRule>> rules;
  for (const std::vector<Severity>& severities : row.rules) {
    rules.push_back(std::make_shared<ScriptedRule>(severities));
    pack = std::move(pack).with_rule(rules.back());
  }
  ValidationReport report;
  report.push(ValidationIssue(Severity::Error, "already there"));
  pack.validate_batch(utilmd_message(), report, {});
  std::vector<int> calls;
  for (const auto& rule : rules) calls.push_back(rule->calls);
  EXPECT_EQ(calls, row.expected_calls);
  std::string kept;
  for (const auto* list : {&report.errors, &report.warnings, &report.infos}) {
    for (const ValidationIssue& finding : *list) {
      if (finding.message != "already there") kept += std::string(edifact::report::text_form(finding.severity)) + finding.message + " ";
    }
  }
  EXPECT_EQ(kept, row.kept);
}

const std::vector<Severity> five_warnings(5, Severity::Warning);
const std::vector<Severity> five_infos(5, Severity::Info);

INSTANTIATE_TEST_SUITE_P(
    Rules, RuleBatch,
    testing::Values(
        BatchCase{"Uncapped", false, {}, {five_warnings, five_infos}, {1, 1},
                  "warning0 warning1 warning2 warning3 warning4 info0 info1 info2 info3 info4 "},
        BatchCase{"CapOfTwo", false, 2, {five_warnings, five_infos}, {1, 1}, "warning0 warning1 info0 info1 "},
        BatchCase{"CapOfZeroStillRunsTheRules", false, 0, {five_warnings, five_infos}, {1, 1}, ""},
        BatchCase{"WarningsDoNotStop", true, {}, {{Severity::Warning, Severity::Info}, {Severity::Error}, {}}, {1, 1, 0},
                  "error0 warning0 info1 "},
        BatchCase{"CriticalStops", true, {}, {{Severity::Critical}, {Severity::Warning}}, {1, 0}, "critical0 "},
        BatchCase{"FlagOff", false, {}, {{Severity::Error}, {Severity::Critical}, {}}, {1, 1, 1}, "error0 critical0 "},
        // An error dropped by the cap was never added, so it does not stop the pack.
        BatchCase{"ErrorBeyondTheCapDoesNotStop", true, 1, {{Severity::Warning, Severity::Error}, {Severity::Error}},
                  {1, 1}, "error0 warning0 "},
        BatchCase{"KeptErrorStops", true, 1, {{Severity::Error, Severity::Warning}, {}}, {1, 0}, "error0 "}),
    [](const testing::TestParamInfo<BatchCase>& info) { return info.param.label; });

// A budget of the run keeps what it has room for across rules and counts the rest; an error it
// only counted still stops a pack that stops after its first error, since the message has it.
TEST(RuleBatchBudget, KeepsWhatItHasRoomForAndStopsOnACountedError) {
  auto first = std::make_shared<ScriptedRule>(std::vector{Severity::Warning, Severity::Info});
  auto second = std::make_shared<ScriptedRule>(std::vector{Severity::Error, Severity::Warning});
  auto third = std::make_shared<ScriptedRule>(std::vector{Severity::Error});
  const ProfileRulePack pack =
      ProfileRulePack("P").with_stop_after_first_error(true).with_rule(first).with_rule(second).with_rule(third);
  edifact::report::FindingBudget budget{.room = 2, .left_out = {}};
  RuleContext context;
  context.findings_budget = &budget;
  ValidationReport report;
  pack.validate_batch(utilmd_message(), report, context);
  EXPECT_EQ(report.warnings.size(), 1U);
  EXPECT_EQ(report.infos.size(), 1U);
  EXPECT_TRUE(report.errors.empty());
  EXPECT_EQ(budget.left_out.by_severity, (std::array<std::size_t, 4>{0, 1, 1, 0}));
  EXPECT_EQ(third->calls, 0);
}

// ROOT(0..6) { SG2(1..3) { SG3(2..3) }, SG4(3..6) { SG5(4..5) } }
SegmentGroupIndexed nested_tree() {
  SegmentGroupIndexed sg2{{{{}, "SG3", 2, 3, 0}}, "SG2", 1, 3, 0};
  SegmentGroupIndexed sg4{{{{}, "SG5", 4, 5, 0}}, "SG4", 3, 6, 0};
  return SegmentGroupIndexed{{sg2, sg4}, "ROOT", 0, 6, 0};
}

const std::vector<Segment>& nested_message() {
  static const std::vector<Segment> segments = parsed("UNH+1+UTILMD:D:11A:UN:S2.1'NAD+MS'CTA+IC'IDE+24'LOC+Z16'UNT+6+1'");
  return segments;
}

TEST(GroupWalk, VisitsDepthFirstPreOrderWithEachNodesSegments) {
  std::vector<std::string> visits;
  const ProfileRulePack pack = ProfileRulePack("P").with_group_rule(
      [&visits](const SegmentGroupIndexed& node, std::span<const Segment> segments, const RuleContext&, Findings&) {
        std::string visit(node.name);
        for (const Segment& segment : segments) visit += " " + std::string(segment.tag());
        visits.push_back(visit);
      });
  ValidationReport report;
  pack.validate_group_batch(nested_tree(), nested_message(), report, {});
  EXPECT_EQ(visits, (std::vector<std::string>{"ROOT UNH NAD CTA IDE LOC UNT", "SG2 NAD CTA", "SG3 CTA",
                                              "SG4 IDE LOC UNT", "SG5 LOC"}));
}

TEST(GroupWalk, StopAfterFirstErrorEndsTheWholeWalk) {
  std::vector<std::string> visits;
  const ProfileRulePack pack =
      ProfileRulePack("P")
          .with_group_rule([&visits](const SegmentGroupIndexed& node, std::span<const Segment>, const RuleContext&,
                                     Findings& findings) {
            visits.emplace_back(node.name);
            findings.emplace_back(node.name == "SG3" ? Severity::Error : Severity::Warning, "f");
          })
          .with_group_rule([&visits](const SegmentGroupIndexed& node, std::span<const Segment>, const RuleContext&,
                                     Findings&) { visits.push_back("second " + std::string(node.name)); })
          .with_stop_after_first_error(true);
  ValidationReport report;
  pack.validate_group_batch(nested_tree(), nested_message(), report, {});
  EXPECT_EQ(visits, (std::vector<std::string>{"ROOT", "second ROOT", "SG2", "second SG2", "SG3"}));
  EXPECT_EQ(report.errors.size(), 1U);
  EXPECT_EQ(report.warnings.size(), 2U);
}

TEST(GroupWalk, NamedGroupRuleRunsOnItsInstancesAndFillsMissingGroupNames) {
  SegmentGroupIndexed root = nested_tree();
  root.children.push_back({{}, "SG7", 5, 6, 0});
  root.children.push_back({{}, "SG7", 5, 6, 1});
  std::vector<std::size_t> occurrences;
  const ProfileRulePack pack = ProfileRulePack("P").with_group_rule(
      [&occurrences](const SegmentGroupIndexed& node, std::span<const Segment>, const RuleContext&, Findings& findings) {
        occurrences.push_back(node.occurrence);
        findings.emplace_back(Severity::Error, "no group");
        findings.push_back(ValidationIssue(Severity::Error, "own group").with_segment_group("SG4"));
        findings.emplace_back(Severity::Warning, "no group either");
      },
      "SEM-INSRPT-SG7-PERIOD-ORDER", "SG7");
  ValidationReport report;
  pack.validate_group_batch(root, nested_message(), report, {});

  EXPECT_EQ(occurrences, (std::vector<std::size_t>{0, 1}));
  ASSERT_EQ(report.errors.size(), 4U);
  ASSERT_EQ(report.warnings.size(), 2U);
  EXPECT_EQ(*report.errors[0].segment_group, "SG7");
  EXPECT_EQ(*report.errors[1].segment_group, "SG4");
  EXPECT_EQ(*report.warnings[0].segment_group, "SG7");
  // Findings of one instance share the name; another instance has its own.
  EXPECT_EQ(report.errors[0].segment_group.get(), report.warnings[0].segment_group.get());
  EXPECT_NE(report.errors[0].segment_group.get(), report.errors[2].segment_group.get());
}

TEST(GroupWalk, RangesThatDoNotFitTheMessageSeeNoSegments) {
  const std::tuple<std::size_t, std::size_t, std::size_t> ranges[] = {{1, 3, 2}, {4, 2, 0}, {2, 7, 0}};
  for (const auto& [start, end, count] : ranges) {
    std::optional<std::span<const Segment>> seen;
    const ProfileRulePack pack = ProfileRulePack("P").with_group_rule(
        [&seen](const SegmentGroupIndexed&, std::span<const Segment> own, const RuleContext&, Findings&) { seen = own; },
        std::nullopt, "SG9");
    ValidationReport report;
    pack.validate_group_batch(SegmentGroupIndexed{{{{}, "SG9", start, end, 0}}, "ROOT", 0, 6, 0}, nested_message(),
                              report, {});
    ASSERT_TRUE(seen);
    EXPECT_EQ(seen->size(), count) << start << ".." << end;
    if (count > 0) {
      EXPECT_EQ(seen->data(), nested_message().data() + start);
    }
  }
}


// A fork shares the rules, keeps the settings, outlives the original and is not changed by later
// changes to it.
TEST(ValidatorFork, SharesRulesAndKeepsTheSettingsOfItsMoment) {
  auto rule = std::make_shared<ScriptedRule>(std::vector(3, Severity::Error));
  auto original = std::make_unique<ProfileRulePack>(
      ProfileRulePack("UTILMD-SEM").for_message_type("UTILMD").with_rule(rule, "named").with_max_issues_per_rule(2));
  const long uses_before = rule.use_count();
  std::unique_ptr<Validator> fork = original->fork();
  EXPECT_EQ(rule.use_count(), uses_before + 1);
  original->set_message_type("MSCONS");  // the interface's default changes nothing
  *original = std::move(*original).with_rule(rule).for_message_type("MSCONS").with_max_issues_per_rule(5).with_group_rule(
      [](const SegmentGroupIndexed&, std::span<const Segment>, const RuleContext&, Findings&) {});
  original.reset();

  EXPECT_FALSE(fork->has_group_rules());
  ValidationReport report;
  fork->validate_batch(parsed("UNH+1+UTILMD:D:11A:UN:S2.1'UNT+2+1'"), report, {});
  fork->validate_batch(parsed("UNH+1+MSCONS'"), report, {});
  EXPECT_EQ(rule->calls, 1);
  EXPECT_EQ(report.errors.size(), 2U);
  const auto& forked = dynamic_cast<const ProfileRulePack&>(*fork);
  EXPECT_EQ(forked.name(), "UTILMD-SEM");
  ASSERT_EQ(forked.rules().size(), 1U);
  EXPECT_EQ(*forked.rules()[0].name, "named");
}

}  // namespace

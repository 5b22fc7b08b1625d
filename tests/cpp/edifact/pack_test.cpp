#include <gtest/gtest.h>

#include <cstddef>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "edifact/group.hpp"
#include "edifact/model.hpp"
#include "edifact/model_builder.hpp"
#include "edifact/report.hpp"
#include "edifact/validator/pack/profile_rule_pack.hpp"

namespace {

using edifact::group::SegmentGroupIndexed;
using edifact::model::Segment;
using edifact::model::SegmentBuilder;
using edifact::report::Severity;
using edifact::report::ValidationIssue;
using edifact::report::ValidationReport;
using edifact::validator::RuleContext;
using edifact::validator::pack::GroupRule;
using edifact::validator::pack::ProfileRule;
using edifact::validator::pack::ProfileRulePack;

std::vector<std::string_view> split(std::string_view text, char separator) {
  std::vector<std::string_view> parts;
  std::size_t begin = 0;
  for (std::size_t end = text.find(separator); end != std::string_view::npos;
       end = text.find(separator, begin)) {
    parts.push_back(text.substr(begin, end - begin));
    begin = end + 1;
  }
  parts.push_back(text.substr(begin));
  return parts;
}

// "UNH+1+UTILMD:D:11A:UN:S2.1" as a segment with owned texts.
Segment segment(std::string_view text) {
  const std::vector<std::string_view> parts = split(text, '+');
  SegmentBuilder builder(parts[0]);
  for (std::size_t index = 1; index < parts.size(); ++index) {
    builder.element();
    for (std::string_view component : split(parts[index], ':')) builder.component(component);
  }
  return builder.build_owned();
}

std::vector<Segment> message(std::initializer_list<std::string_view> texts) {
  std::vector<Segment> segments;
  for (std::string_view text : texts) segments.push_back(segment(text));
  return segments;
}

// A rule that appends a fixed list of findings and counts its calls.
class ScriptedRule final : public ProfileRule {
 public:
  explicit ScriptedRule(std::vector<Severity> severities, std::string id = "SEM-TEST")
      : severities_(std::move(severities)), id_(std::move(id)) {}

  void evaluate(std::span<const Segment> segments, const RuleContext&,
                std::vector<ValidationIssue>& findings) const override {
    ++calls;
    seen_segment_count = segments.size();
    for (Severity severity : severities_) {
      findings.push_back(
          ValidationIssue(severity, std::to_string(findings.size())).with_rule_id(id_));
    }
  }

  mutable int calls = 0;
  mutable std::size_t seen_segment_count = 0;

 private:
  std::vector<Severity> severities_;
  std::string id_;
};

std::vector<Severity> repeated(Severity severity, std::size_t count) {
  return std::vector<Severity>(count, severity);
}

const std::vector<Segment>& utilmd_message() {
  static const std::vector<Segment> segments =
      message({"UNH+1+UTILMD:D:11A:UN:S2.1", "BGM+E01", "UNT+3+1"});
  return segments;
}

struct ScopeCase {
  std::string label;
  std::vector<std::string> scope;
  std::optional<std::string> release_scope;
  std::optional<std::string_view> context_type;
  std::vector<std::string_view> segments;
  bool admitted;
};

class PackScope : public testing::TestWithParam<ScopeCase> {};

TEST_P(PackScope, RulesRunOnlyOnAdmittedMessages) {
  const ScopeCase& row = GetParam();
  auto rule = std::make_shared<ScriptedRule>(repeated(Severity::Error, 1));
  ProfileRulePack pack = ProfileRulePack("TEST-SEM").with_rule(rule);
  for (const std::string& type : row.scope) pack = std::move(pack).for_message_type(type);
  if (row.release_scope) pack = std::move(pack).with_release_scope(*row.release_scope);
  int group_calls = 0;
  pack = std::move(pack).with_group_rule(
      [&group_calls](const SegmentGroupIndexed&, std::span<const Segment>, const RuleContext&,
                     std::vector<ValidationIssue>&) { ++group_calls; });

  std::vector<Segment> segments;
  for (std::string_view text : row.segments) segments.push_back(segment(text));
  RuleContext context;
  context.message_type = row.context_type;
  ValidationReport report;
  pack.validate_batch(segments, report, context);
  pack.validate_group_batch(SegmentGroupIndexed{{}, "ROOT", 0, segments.size(), 0}, segments,
                            report, context);

  EXPECT_EQ(pack.scope_admits(segments, row.context_type), row.admitted);
  EXPECT_EQ(rule->calls, row.admitted ? 1 : 0);
  EXPECT_EQ(group_calls, row.admitted ? 1 : 0);
  EXPECT_EQ(report.errors.size(), row.admitted ? 1U : 0U);
}

INSTANTIATE_TEST_SUITE_P(
    Scopes, PackScope,
    testing::Values(
        ScopeCase{"OtherType", {"UTILMD"}, {}, {}, {"UNH+1+MSCONS:D:04B:UN:2.4c"}, false},
        ScopeCase{"NoUnhNoContext", {"UTILMD"}, {}, {}, {"BGM+E01"}, false},
        ScopeCase{"EmptyScopeOtherType", {}, {}, {}, {"UNH+1+MSCONS:D:04B:UN:2.4c"}, true},
        ScopeCase{"EmptyScopeNoUnh", {}, {}, {}, {"BGM+E01"}, true},
        ScopeCase{"LowerCaseEntry", {"utilmd"}, {}, {}, {"UNH+1+UTILMD:D:11A:UN"}, false},
        ScopeCase{"ContextTypeWins", {"UTILMD"}, {}, "UTILMD", {"UNH+1+MSCONS:D:04B:UN"}, true},
        ScopeCase{"ContextTypeRefuses", {"UTILMD"}, {}, "MSCONS", {"UNH+1+UTILMD:D:11A:UN"}, false},
        ScopeCase{"FirstUnhCounts", {"UTILMD"}, {}, {},
                  {"BGM+E01", "UNH+1+UTILMD:D:11A:UN", "UNH+2+MSCONS:D:04B:UN"}, true},
        ScopeCase{"UnhWithoutIdentifier", {"UTILMD"}, {}, {}, {"UNH+1"}, false},
        ScopeCase{"ThirdScopeEntry", {"MSCONS", "UTILMD", "ORDERS"}, {}, {},
                  {"UNH+1+ORDERS:D:09B:UN:1.4b"}, true},
        ScopeCase{"ReleaseMatches", {}, "S2.1", {}, {"UNH+1+UTILMD:D:11A:UN:S2.1"}, true},
        ScopeCase{"ReleaseMissing", {}, "S2.1", {}, {"UNH+1+UTILMD:D:11A:UN"}, false},
        ScopeCase{"ReleaseDiffers", {}, "S2.1", {}, {"UNH+1+UTILMD:D:11A:UN:S2.2"}, false},
        ScopeCase{"ReleaseNeedsUnhEvenWithContextType", {"UTILMD"}, "S2.1", "UTILMD", {"BGM+E01"},
                  false},
        ScopeCase{"TypeAndReleaseMatch", {"UTILMD"}, "S2.1", {}, {"UNH+1+UTILMD:D:11A:UN:S2.1"},
                  true}),
    [](const testing::TestParamInfo<ScopeCase>& info) { return info.param.label; });

TEST(PackScope, RepeatedTypeIsKeptOnce) {
  const ProfileRulePack pack = ProfileRulePack("P")
                                   .for_message_type("MSCONS")
                                   .for_message_type("UTILMD")
                                   .for_message_type("MSCONS")
                                   .for_message_type("ORDERS")
                                   .for_message_type("ORDERS");
  ASSERT_EQ(pack.message_types().size(), 3U);
  EXPECT_EQ(pack.message_types()[0], "MSCONS");
  EXPECT_EQ(pack.message_types()[1], "UTILMD");
  EXPECT_EQ(pack.message_types()[2], "ORDERS");
}

struct BatchCapCase {
  std::optional<std::size_t> cap;
  std::size_t produced;
  std::size_t added;
};

class BatchCap : public testing::TestWithParam<BatchCapCase> {};

TEST_P(BatchCap, KeepsTheFirstFindingsUpToTheCapAndStillRunsTheRule) {
  const BatchCapCase& row = GetParam();
  auto first = std::make_shared<ScriptedRule>(repeated(Severity::Warning, row.produced));
  auto second = std::make_shared<ScriptedRule>(repeated(Severity::Info, row.produced));
  ProfileRulePack pack = ProfileRulePack("P").with_rule(first).with_rule(second);
  if (row.cap) pack = std::move(pack).with_max_issues_per_rule(*row.cap);

  ValidationReport report;
  pack.validate_batch(utilmd_message(), report, {});
  EXPECT_EQ(first->calls, 1);
  EXPECT_EQ(second->calls, 1);
  ASSERT_EQ(report.warnings.size(), row.added);
  ASSERT_EQ(report.infos.size(), row.added);
  for (std::size_t index = 0; index < row.added; ++index) {
    EXPECT_EQ(report.warnings[index].message, std::to_string(index));
  }
}

INSTANTIATE_TEST_SUITE_P(Caps, BatchCap,
                         testing::Values(BatchCapCase{std::nullopt, 5, 5}, BatchCapCase{5, 5, 5},
                                         BatchCapCase{7, 5, 5}, BatchCapCase{2, 5, 2},
                                         BatchCapCase{0, 5, 0}));

// A root over `segment_count` segments with `instances` SG7 children of one segment each.
SegmentGroupIndexed tree_with_sg7(std::size_t instances, std::size_t segment_count) {
  SegmentGroupIndexed root{{}, "ROOT", 0, segment_count, 0};
  for (std::size_t index = 0; index < instances; ++index) {
    root.children.push_back({{}, "SG7", index + 1, index + 2, index});
  }
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
  const std::vector<Segment> segments =
      message({"UNH+1+INSRPT:D:01B:UN:1.1a", "DTM+163", "DTM+163", "DTM+163", "UNT+5+1"});
  int calls = 0;
  ProfileRulePack pack = ProfileRulePack("P").with_group_rule(
      [&calls, &row](const SegmentGroupIndexed&, std::span<const Segment>, const RuleContext&,
                     std::vector<ValidationIssue>& findings) {
        ++calls;
        for (std::size_t index = 0; index < row.produced_per_call; ++index) {
          findings.emplace_back(Severity::Error, "period");
        }
      },
      "SEM-INSRPT-SG7-PERIOD-ORDER", "SG7");
  if (row.cap) pack = std::move(pack).with_max_issues_per_rule(*row.cap);

  ValidationReport report;
  pack.validate_group_batch(tree_with_sg7(3, segments.size()), segments, report, {});
  EXPECT_EQ(calls, row.expected_calls);
  EXPECT_EQ(report.errors.size(), row.expected_findings);
}

INSTANTIATE_TEST_SUITE_P(Caps, GroupCap,
                         testing::Values(GroupCapCase{std::nullopt, 5, 3, 15},
                                         GroupCapCase{2, 5, 1, 2}, GroupCapCase{2, 1, 2, 2},
                                         GroupCapCase{4, 3, 2, 4}, GroupCapCase{0, 5, 0, 0}));

TEST(GroupCap, EachRuleHasItsOwnBudget) {
  const std::vector<Segment>& segments = utilmd_message();
  auto one_finding = [](const SegmentGroupIndexed&, std::span<const Segment>, const RuleContext&,
                        std::vector<ValidationIssue>& findings) {
    findings.emplace_back(Severity::Warning, "w");
  };
  const ProfileRulePack pack = ProfileRulePack("P")
                                   .with_group_rule(one_finding)
                                   .with_group_rule(one_finding)
                                   .with_max_issues_per_rule(2);
  ValidationReport report;
  pack.validate_group_batch(tree_with_sg7(2, segments.size()), segments, report, {});
  EXPECT_EQ(report.warnings.size(), 4U);
}

struct StopCase {
  std::string label;
  bool stop_after_first_error;
  std::optional<std::size_t> cap;
  std::vector<std::vector<Severity>> rules;
  std::vector<int> expected_calls;
};

class StopAfterFirstError : public testing::TestWithParam<StopCase> {};

TEST_P(StopAfterFirstError, OnlyErrorFindingsStopThePack) {
  const StopCase& row = GetParam();
  ProfileRulePack pack =
      ProfileRulePack("P").with_stop_after_first_error(row.stop_after_first_error);
  if (row.cap) pack = std::move(pack).with_max_issues_per_rule(*row.cap);
  std::vector<std::shared_ptr<ScriptedRule>> rules;
  for (const std::vector<Severity>& severities : row.rules) {
    rules.push_back(std::make_shared<ScriptedRule>(severities));
    pack = std::move(pack).with_rule(rules.back());
  }
  ValidationReport report;
  report.push(ValidationIssue(Severity::Error, "already there"));
  pack.validate_batch(utilmd_message(), report, {});
  for (std::size_t index = 0; index < rules.size(); ++index) {
    EXPECT_EQ(rules[index]->calls, row.expected_calls[index]) << "rule " << index;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Flags, StopAfterFirstError,
    testing::Values(
        StopCase{"WarningsDoNotStop", true, {},
                 {{Severity::Warning, Severity::Info}, {Severity::Error}, {Severity::Error}},
                 {1, 1, 0}},
        StopCase{"CriticalStops", true, {}, {{Severity::Critical}, {Severity::Warning}}, {1, 0}},
        StopCase{"NothingFound", true, {}, {{}, {}, {}}, {1, 1, 1}},
        StopCase{"FlagOff", false, {}, {{Severity::Error}, {Severity::Critical}, {}}, {1, 1, 1}},
        // An error dropped by the cap was never added, so it does not stop the pack.
        StopCase{"CappedAwayErrorDoesNotStop", true, 0, {{Severity::Error}, {Severity::Error}},
                 {1, 1}},
        StopCase{"ErrorBeyondTheCapDoesNotStop", true, 1,
                 {{Severity::Warning, Severity::Error}, {Severity::Error}}, {1, 1}},
        StopCase{"KeptErrorStops", true, 1, {{Severity::Error, Severity::Warning}, {}}, {1, 0}}),
    [](const testing::TestParamInfo<StopCase>& info) { return info.param.label; });

// ROOT(0..6) { SG2(1..3) { SG3(2..3) }, SG4(3..6) { SG5(4..5) } }
SegmentGroupIndexed nested_tree() {
  SegmentGroupIndexed sg2{{{{}, "SG3", 2, 3, 0}}, "SG2", 1, 3, 0};
  SegmentGroupIndexed sg4{{{{}, "SG5", 4, 5, 0}}, "SG4", 3, 6, 0};
  return SegmentGroupIndexed{{sg2, sg4}, "ROOT", 0, 6, 0};
}

const std::vector<Segment>& nested_message() {
  static const std::vector<Segment> segments =
      message({"UNH+1+UTILMD:D:11A:UN:S2.1", "NAD+MS", "CTA+IC", "IDE+24", "LOC+Z16", "UNT+6+1"});
  return segments;
}

TEST(GroupWalk, VisitsDepthFirstPreOrderWithEachNodesSegments) {
  std::vector<std::string> visits;
  const ProfileRulePack pack = ProfileRulePack("P").with_group_rule(
      [&visits](const SegmentGroupIndexed& node, std::span<const Segment> segments,
                const RuleContext&, std::vector<ValidationIssue>&) {
        std::string visit(node.name);
        for (const Segment& segment : segments) visit += " " + std::string(segment.tag());
        visits.push_back(visit);
      });
  ValidationReport report;
  pack.validate_group_batch(nested_tree(), nested_message(), report, {});
  EXPECT_EQ(visits, (std::vector<std::string>{"ROOT UNH NAD CTA IDE LOC UNT", "SG2 NAD CTA",
                                              "SG3 CTA", "SG4 IDE LOC UNT", "SG5 LOC"}));
}

TEST(GroupWalk, StopAfterFirstErrorEndsTheWholeWalk) {
  std::vector<std::string> visits;
  const ProfileRulePack pack =
      ProfileRulePack("P")
          .with_group_rule([&visits](const SegmentGroupIndexed& node, std::span<const Segment>,
                                     const RuleContext&, std::vector<ValidationIssue>& findings) {
            visits.emplace_back(node.name);
            findings.emplace_back(node.name == "SG3" ? Severity::Error : Severity::Warning, "f");
          })
          .with_group_rule([&visits](const SegmentGroupIndexed& node, std::span<const Segment>,
                                     const RuleContext&, std::vector<ValidationIssue>&) {
            visits.push_back("second " + std::string(node.name));
          })
          .with_stop_after_first_error(true);
  ValidationReport report;
  pack.validate_group_batch(nested_tree(), nested_message(), report, {});
  EXPECT_EQ(visits, (std::vector<std::string>{"ROOT", "second ROOT", "SG2", "second SG2", "SG3"}));
  EXPECT_EQ(report.errors.size(), 1U);
  EXPECT_EQ(report.warnings.size(), 2U);
}

TEST(GroupWalk, NamedGroupRuleRunsOnItsInstancesAndFillsMissingGroupNames) {
  const std::vector<Segment>& segments = nested_message();
  SegmentGroupIndexed root = nested_tree();
  root.children.push_back({{}, "SG7", 5, 6, 0});
  root.children.push_back({{}, "SG7", 5, 6, 1});
  std::vector<std::size_t> occurrences;
  const ProfileRulePack pack = ProfileRulePack("P").with_group_rule(
      [&occurrences](const SegmentGroupIndexed& node, std::span<const Segment>, const RuleContext&,
                     std::vector<ValidationIssue>& findings) {
        occurrences.push_back(node.occurrence);
        findings.emplace_back(Severity::Error, "no group");
        findings.push_back(ValidationIssue(Severity::Error, "own group").with_segment_group("SG4"));
        findings.emplace_back(Severity::Warning, "no group either");
      },
      "SEM-INSRPT-SG7-PERIOD-ORDER", "SG7");
  ValidationReport report;
  pack.validate_group_batch(root, segments, report, {});

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

struct RangeCase {
  std::size_t start;
  std::size_t end;
  std::size_t expected_count;
};

class NodeRange : public testing::TestWithParam<RangeCase> {};

TEST_P(NodeRange, RangesThatDoNotFitSeeNoSegments) {
  const RangeCase& row = GetParam();
  const std::vector<Segment>& segments = nested_message();
  std::optional<std::span<const Segment>> seen;
  const ProfileRulePack pack = ProfileRulePack("P").with_group_rule(
      [&seen](const SegmentGroupIndexed&, std::span<const Segment> node_segments,
              const RuleContext&, std::vector<ValidationIssue>&) { seen = node_segments; },
      std::nullopt, "SG9");
  SegmentGroupIndexed root{{{{}, "SG9", row.start, row.end, 0}}, "ROOT", 0, 6, 0};
  ValidationReport report;
  pack.validate_group_batch(root, segments, report, {});
  ASSERT_TRUE(seen);
  EXPECT_EQ(seen->size(), row.expected_count);
  if (row.expected_count > 0) {
    EXPECT_EQ(seen->data(), segments.data() + row.start);
  }
}

INSTANTIATE_TEST_SUITE_P(Ranges, NodeRange,
                         testing::Values(RangeCase{1, 3, 2}, RangeCase{0, 6, 6},
                                         RangeCase{6, 6, 0}, RangeCase{4, 2, 0},
                                         RangeCase{2, 7, 0}, RangeCase{7, 9, 0}));

}  // namespace

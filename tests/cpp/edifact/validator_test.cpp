#include <gtest/gtest.h>

#include <cstddef>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "edifact/model.hpp"
#include "edifact/model_builder.hpp"
#include "edifact/report.hpp"
#include "edifact/validator/pack/profile_rule_pack.hpp"
#include "edifact/validator/unh.hpp"
#include "edifact/validator/validator.hpp"

namespace {

using edifact::group::SegmentGroupIndexed;
using edifact::model::Segment;
using edifact::model::SegmentBuilder;
using edifact::report::Severity;
using edifact::report::ValidationIssue;
using edifact::report::ValidationReport;
using edifact::validator::RuleContext;
using edifact::validator::Validator;
using edifact::validator::pack::ProfileRule;
using edifact::validator::pack::ProfileRulePack;

// A segment from its tag and its elements' component texts.
Segment segment(std::string_view tag, const std::vector<std::vector<std::string_view>>& elements) {
  SegmentBuilder builder(tag);
  for (const auto& components : elements) {
    builder.element();
    for (std::string_view component : components) builder.component(component);
  }
  return builder.build_owned();
}

struct UnhCase {
  std::string label;
  std::vector<Segment> segments;
  std::optional<std::string_view> message_type;
  std::optional<std::string_view> association_code;
};

class UnhIdentifier : public testing::TestWithParam<UnhCase> {};

TEST_P(UnhIdentifier, ReadsTheFirstUnhsMessageIdentifier) {
  const UnhCase& row = GetParam();
  EXPECT_EQ(edifact::validator::unh_message_type(row.segments), row.message_type);
  EXPECT_EQ(edifact::validator::unh_association_code(row.segments), row.association_code);
}

INSTANTIATE_TEST_SUITE_P(
    Shapes, UnhIdentifier,
    testing::Values(
        UnhCase{"Full", {segment("UNH", {{"1"}, {"UTILMD", "D", "11A", "UN", "S2.1"}})}, "UTILMD",
                "S2.1"},
        UnhCase{"FourComponents", {segment("UNH", {{"1"}, {"UTILMD", "D", "11A", "UN"}})}, "UTILMD",
                std::nullopt},
        UnhCase{"EmptyType", {segment("UNH", {{"1"}, {"", "D", "11A", "UN", "S2.1"}})}, "", "S2.1"},
        UnhCase{"OneElement", {segment("UNH", {{"1"}})}, std::nullopt, std::nullopt},
        UnhCase{"NoComponents", {segment("UNH", {{"1"}, {}})}, std::nullopt, std::nullopt},
        UnhCase{"NoUnh", {segment("BGM", {{"E01"}, {"UTILMD"}})}, std::nullopt, std::nullopt},
        UnhCase{"Empty", {}, std::nullopt, std::nullopt},
        UnhCase{"FirstUnhOnly",
                {segment("UNB", {{"UNOC", "3"}}), segment("UNH", {{"1"}}),
                 segment("UNH", {{"2"}, {"MSCONS", "D", "04B", "UN", "2.4c"}})},
                std::nullopt, std::nullopt},
        UnhCase{"LaterRepetitionIgnored",
                {[] {
                  SegmentBuilder unh("UNH");
                  unh.element().component("1").element().component("UTILMD").repetition();
                  for (std::string_view text : {"X", "D", "11A", "UN", "S2.1"}) unh.component(text);
                  return unh.build();
                }()},
                "UTILMD", std::nullopt}),
    [](const testing::TestParamInfo<UnhCase>& info) { return info.param.label; });

class CountingRule final : public ProfileRule {
 public:
  void evaluate(std::span<const Segment>, const RuleContext&,
                std::vector<ValidationIssue>& findings) const override {
    ++calls;
    for (int index = 0; index < 3; ++index) findings.emplace_back(Severity::Error, "finding");
  }
  mutable int calls = 0;
};

const std::vector<Segment>& utilmd() {
  static const std::vector<Segment> segments{
      segment("UNH", {{"1"}, {"UTILMD", "D", "11A", "UN", "S2.1"}}),
      segment("UNT", {{"2"}, {"1"}})};
  return segments;
}

TEST(ValidatorFork, ForkSharesRulesKeepsSettingsAndOutlivesTheOriginal) {
  auto rule = std::make_shared<CountingRule>();
  auto original = std::make_unique<ProfileRulePack>(ProfileRulePack("UTILMD-SEM")
                                                        .for_message_type("UTILMD")
                                                        .with_rule(rule, "named")
                                                        .with_max_issues_per_rule(2));
  const long uses_before = rule.use_count();
  std::unique_ptr<Validator> fork = original->fork();
  EXPECT_EQ(rule.use_count(), uses_before + 1);
  original->set_message_type("MSCONS");  // the interface's default changes nothing
  original.reset();

  ValidationReport report;
  fork->validate_batch(utilmd(), report, {});
  EXPECT_EQ(rule->calls, 1);
  EXPECT_EQ(report.errors.size(), 2U);

  const auto& forked = dynamic_cast<const ProfileRulePack&>(*fork);
  EXPECT_EQ(forked.name(), "UTILMD-SEM");
  ASSERT_EQ(forked.rules().size(), 1U);
  EXPECT_EQ(*forked.rules()[0].name, "named");

  ValidationReport out_of_scope;
  const std::vector<Segment> mscons{segment("UNH", {{"1"}, {"MSCONS"}})};
  fork->validate_batch(mscons, out_of_scope, {});
  EXPECT_TRUE(out_of_scope.errors.empty());
}

TEST(ValidatorFork, ChangingACopyLeavesTheForkAlone) {
  auto rule = std::make_shared<CountingRule>();
  ProfileRulePack pack = ProfileRulePack("P").with_rule(rule);
  const std::unique_ptr<Validator> fork = pack.fork();
  pack = std::move(pack)
             .with_rule(rule)
             .for_message_type("MSCONS")
             .with_group_rule([](const SegmentGroupIndexed&, std::span<const Segment>,
                                 const RuleContext&, std::vector<ValidationIssue>&) {});

  EXPECT_FALSE(fork->has_group_rules());
  EXPECT_TRUE(pack.has_group_rules());
  ValidationReport report;
  fork->validate_batch(utilmd(), report, {});
  EXPECT_EQ(report.errors.size(), 3U);
  EXPECT_EQ(rule->calls, 1);
}

}  // namespace

#include <gtest/gtest.h>

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "edifact/report/finding_sink.hpp"

namespace {

using edifact::report::FindingBudget;
using edifact::report::FindingSink;
using edifact::report::Severity;
using edifact::report::ValidationIssue;

std::vector<std::string> messages(const std::vector<ValidationIssue>& issues) {
  std::vector<std::string> texts;
  for (const auto& issue : issues) texts.push_back(issue.message);
  return texts;
}

TEST(FindingSink, KeepsTheFirstFindingsUpToTheLimitAndCountsTheRestBySeverity) {
  std::vector<ValidationIssue> kept;
  std::vector<ValidationIssue> other;
  FindingBudget budget{.room = 2, .left_out = {}};
  const FindingSink sink(kept, budget);
  const FindingSink second(other, budget);  // another list of the same run shares the room
  sink.push_back(ValidationIssue(Severity::Warning, "a"));
  second.push_back(ValidationIssue(Severity::Error, "b"));
  sink.push_back(ValidationIssue(Severity::Info, "c"));
  second.push_back(ValidationIssue(Severity::Critical, "d"));
  sink.push_back(ValidationIssue(Severity::Error, "e"));
  EXPECT_EQ(messages(kept), (std::vector<std::string>{"a"}));
  EXPECT_EQ(messages(other), (std::vector<std::string>{"b"}));
  EXPECT_EQ(budget.left_out.by_severity, (std::array<std::size_t, 4>{1, 1, 0, 1}));
  EXPECT_EQ(budget.left_out.errors(), 2U);
  EXPECT_EQ(budget.left_out.total(), 3U);
  EXPECT_EQ(budget.left_out.most_severe(), Severity::Critical);

  sink.keep(ValidationIssue(Severity::Warning, "note"));
  EXPECT_EQ(messages(kept), (std::vector<std::string>{"a", "note"}));
  EXPECT_EQ(budget.left_out.total(), 3U);
}

TEST(FindingSink, OverABareVectorKeepsEverything) {
  std::vector<ValidationIssue> kept;
  const FindingSink sink(kept);
  for (int i = 0; i < 3000; ++i) sink.push_back(ValidationIssue(Severity::Error, "x"));
  EXPECT_EQ(kept.size(), 3000U);
}

TEST(FindingSink, ALimitOfNoneOnlyCounts) {
  std::vector<ValidationIssue> kept;
  FindingBudget budget{.room = 0, .left_out = {}};
  const FindingSink sink(kept, budget);
  sink.push_back(ValidationIssue(Severity::Warning, "w"));
  sink.push_back(ValidationIssue(Severity::Warning, "w"));
  EXPECT_TRUE(kept.empty());
  EXPECT_EQ(budget.left_out.of(Severity::Warning), 2U);
  EXPECT_EQ(budget.left_out.most_severe(), Severity::Warning);
  EXPECT_EQ(FindingBudget{}.left_out.most_severe(), std::nullopt);
}

}  // namespace

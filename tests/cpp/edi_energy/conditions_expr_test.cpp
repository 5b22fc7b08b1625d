// Parsing condition expressions, status cells and Paket references, and classifying references.
#include <gtest/gtest.h>

#include <string>

#include "conditions_render.hpp"
#include "edi_energy/profile/conditions/condition_kind.hpp"
#include "edi_energy/profile/conditions/paket.hpp"
#include "edi_energy/profile/conditions/status.hpp"

namespace {

namespace conditions = edi_energy::profile::conditions;
using conditions::ConditionKind;
using conditions::Expr;
using conditions::ExprError;
using conditions_test::render;
using ErrorKind = ExprError::Kind;

std::string repeat(std::string_view part, std::size_t times) {
  std::string out;
  for (std::size_t i = 0; i < times; ++i) out += part;
  return out;
}

struct TreeCase {
  std::string_view text;
  std::string_view tree;
};

TEST(ExprParse, BuildsTreesStrictlyFromTheLeft) {
  const TreeCase cases[] = {
      {"[1]", "1"},
      {"[ 1 ]", " 1 "},
      {"[a[b]", "a[b"},
      {"[1] [2] [3]", "Juxt(1, 2, 3)"},
      {"[1] ∧ [2] ∧ [3]", "And(1, 2, 3)"},
      {"[1] ∧ [2] ∨ [3]", "Or(And(1, 2), 3)"},
      {"[1] ∨ [2] ∧ [3]", "And(Or(1, 2), 3)"},
      {"[1] ∧ [2] ∨ [3] ∧ [4]", "And(Or(And(1, 2), 3), 4)"},
      {"[1] ⊻ ([2] ⊻ [3])", "Xor(1, Xor(2, 3))"},
      {"([1] ⊻ [2]) ⊻ [3]", "Xor(1, 2, 3)"},
      {"([1] ∧ [2]) ∧ [3]", "And(1, 2, 3)"},
      {"[1] [2] ∧ [3]", "And(Juxt(1, 2), 3)"},
      {"[1] ∧ [2] [3]", "And(1, Juxt(2, 3))"},
      {"(([1]))", "1"},
      {"((([97] ⊻ [98]) ∧ ([95] ⊻ [137])) ⊻ [99] ⊻ [139])", "Xor(And(Xor(97, 98), Xor(95, 137)), 99, 139)"},
      {"(([939] [321]) ∨ ([940] [322])) ∧ [514]", "And(Or(Juxt(939, 321), Juxt(940, 322)), 514)"},
      {"[4P0..1] ⊻ [5P0..1]", "Xor(4P0..1, 5P0..1)"},
      {"\t[1]\u00A0\u2227\u3000[2]\n", "And(1, 2)"},
  };
  for (const auto& [text, tree] : cases) {
    auto parsed = Expr::parse(text);
    ASSERT_TRUE(parsed.has_value()) << text;
    EXPECT_EQ(render(*parsed), tree) << text;
  }
}

TEST(ExprParse, ReportsTheFirstFault) {
  const std::pair<std::string_view, ExprError> cases[] = {
      {"", {ErrorKind::Empty}},
      {" \t\u2003", {ErrorKind::Empty}},
      {"[]", {ErrorKind::EmptyRef}},
      {"[1] ∧ [ \t]", {ErrorKind::EmptyRef}},
      {"[1] ∧ [2", {ErrorKind::UnterminatedRef}},
      {"∧ [2", {ErrorKind::UnterminatedRef}},  // tokens first, grammar after
      {"[1] U [2]", {ErrorKind::UnexpectedChar, U'U'}},
      {"[1] ∧ [2] x", {ErrorKind::UnexpectedChar, U'x'}},
      {"[1] ∧ ä", {ErrorKind::UnexpectedChar, U'ä'}},
      {"[1] \xFF", {ErrorKind::UnexpectedChar, U'\uFFFD'}},
      {"∧ [1]", {ErrorKind::ExpectedOperand}},
      {"[1] ∨", {ErrorKind::ExpectedOperand}},
      {"()", {ErrorKind::ExpectedOperand}},
      {"([1] ∧)", {ErrorKind::ExpectedOperand}},
      {"[1] ∧ ∨ [2]", {ErrorKind::ExpectedOperand}},
      {"([1]", {ErrorKind::UnbalancedParen}},
      {"[1])", {ErrorKind::UnbalancedParen}},
      {"([1] ∧ [2])) ∧ [3]", {ErrorKind::UnbalancedParen}},
  };
  for (const auto& [text, error] : cases) {
    auto parsed = Expr::parse(text);
    ASSERT_FALSE(parsed.has_value()) << text;
    EXPECT_EQ(parsed.error(), error) << text;
  }
}

TEST(ExprParse, BoundsNestingOfParenthesesAndOfOperatorChains) {
  const std::size_t limit = conditions::max_expr_depth;
  const std::pair<std::string, bool> cases[] = {
      {repeat("(", limit) + "[1]" + repeat(")", limit), true},
      {repeat("(", limit + 1) + "[1]" + repeat(")", limit + 1), false},
      {repeat("(", 100000), false},
      {"[0]" + repeat(" ∧ [1] ∨ [2]", limit), false},
      {"[0]" + repeat(" ∧ [1]", 10000), true},  // one flat node, however long
      {repeat("([1] ∧ ", limit) + "[2]" + repeat(")", limit), false},
  };
  for (const auto& [text, accepted] : cases) {
    auto parsed = Expr::parse(text);
    EXPECT_EQ(parsed.has_value(), accepted) << text.substr(0, 40);
    if (!accepted && !parsed) {
      EXPECT_EQ(parsed.error().kind, ErrorKind::TooDeep) << text.substr(0, 40);
    }
  }
}

TEST(ConditionKindOf, ClassifiesByPrefixAndNumberRange) {
  const std::pair<std::string_view, ConditionKind> cases[] = {
      {"UB1", ConditionKind::Unterbedingung},  {"UB", ConditionKind::Unterbedingung},
      {"U", ConditionKind::Other},             {"1P0..1", ConditionKind::Paket},
      {"UBP", ConditionKind::Unterbedingung},  {"+12", ConditionKind::Voraussetzung},
      {"0", ConditionKind::Other},             {"1", ConditionKind::Voraussetzung},
      {"0499", ConditionKind::Voraussetzung},  {"500", ConditionKind::Hinweis},
      {"899", ConditionKind::Hinweis},         {"900", ConditionKind::Formatbedingung},
      {"999", ConditionKind::Formatbedingung}, {"1000", ConditionKind::Other},
      {"1999", ConditionKind::Other},          {"2000", ConditionKind::Wiederholbarkeit},
      {"2061", ConditionKind::Wiederholbarkeit}, {"2499", ConditionKind::Wiederholbarkeit},
      {"2500", ConditionKind::Other},          {"4294967296", ConditionKind::Other},
      {"", ConditionKind::Other},              {"+", ConditionKind::Other},
      {"-", ConditionKind::Other},             {"-5", ConditionKind::Other},
      {" 12", ConditionKind::Other},           {"12a", ConditionKind::Other},
  };
  for (const auto& [reference, kind] : cases) EXPECT_EQ(conditions::kind_of(reference), kind) << reference;
}

TEST(StatusParse, ReadsTheWordAndTheCondition) {
  using conditions::StatusLevel;
  struct Case {
    std::string_view cell;
    std::optional<StatusLevel> level;
    std::string_view condition;  // empty: none
  };
  const Case cases[] = {
      {"Kann", StatusLevel::Kann, ""},
      {"Muss [12]", StatusLevel::Muss, "12"},
      {"X [931] [494]", StatusLevel::X, "Juxt(931, 494)"},
      {"Soll   \t [1] ∧\n[2]", StatusLevel::Soll, "And(1, 2)"},
      {"M ", StatusLevel::M, ""},
      {"S [1]", StatusLevel::S, "1"},
      {"K", StatusLevel::K, ""},
      {"X [4P0..1] ⊻ [5P0..1]", StatusLevel::X, "Xor(4P0..1, 5P0..1)"},
      {"", std::nullopt, ""},
      {"   ", std::nullopt, ""},
      {"muss [1]", std::nullopt, ""},
      {"N", std::nullopt, ""},
      {"X[1]", std::nullopt, ""},
      {"Muss [1", std::nullopt, ""},
      {"Muss [1] ∧", std::nullopt, ""},
  };
  for (const auto& [cell, level, condition] : cases) {
    auto status = conditions::Status::parse(cell);
    ASSERT_EQ(status.has_value(), level.has_value()) << cell;
    if (!status) continue;
    EXPECT_EQ(status->level, *level) << cell;
    EXPECT_EQ(status->condition ? render(*status->condition) : "", condition) << cell;
  }
}

TEST(PaketParse, ReadsNameAndBounds) {
  using conditions::Paket;
  const std::pair<std::string_view, std::optional<Paket>> cases[] = {
      {"1P0..1", Paket{"1P", 0, 1}},
      {"2P0..n", Paket{"2P", 0, std::nullopt}},
      {"4P1..1", Paket{"4P", 1, 1}},
      {"14P", Paket{"14P", 0, std::nullopt}},
      {"014P+2..+3", Paket{"014P", 2, 3}},
      {"P1..2", std::nullopt},
      {"1aP0..1", std::nullopt},
      {"1P0.1", std::nullopt},
      {"1P..1", std::nullopt},
      {"1P+..1", std::nullopt},
      {"1P0..m", std::nullopt},
      {"1P0..", std::nullopt},
      {"1P0..N", std::nullopt},
      {"1P99999999999999999999999..1", std::nullopt},
      {"12", std::nullopt},
  };
  for (const auto& [reference, paket] : cases) EXPECT_EQ(Paket::parse(reference), paket) << reference;
}

TEST(ExprPakete, ListsReadablePaketReferencesInOrderWithRepeats) {
  auto expr = Expr::parse("[1] ∧ ([3P1..2] ∨ [XP]) [931] ⊻ [3P1..2] [12P]");
  ASSERT_TRUE(expr.has_value());
  std::vector<std::string_view> references;
  expr->collect(references);
  EXPECT_EQ(references, (std::vector<std::string_view>{"1", "3P1..2", "XP", "931", "3P1..2", "12P"}));
  const std::vector<conditions::Paket> expected{{"3P", 1, 2}, {"3P", 1, 2}, {"12P", 0, std::nullopt}};
  EXPECT_EQ(expr->pakete(), expected);
}

}  // namespace

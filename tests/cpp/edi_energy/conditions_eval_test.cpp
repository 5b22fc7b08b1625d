// Four-valued evaluation through a callback: results, the order in which references are asked,
// and how errors end an evaluation.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "edi_energy/profile/conditions/expr.hpp"

namespace {

namespace conditions = edi_energy::profile::conditions;
using conditions::EvalError;
using conditions::Expr;
using conditions::Truth;
using conditions::TruthResult;

constexpr Truth T = Truth::True;
constexpr Truth F = Truth::False;
constexpr Truth U = Truth::Undecided;
constexpr Truth N = Truth::Neutral;

// Answers from a table and records each question; an unlisted reference is an error.
struct Recorder {
  std::map<std::string, TruthResult, std::less<>> answers;
  mutable std::vector<std::string> asked;

  TruthResult operator()(std::string_view reference) const {
    asked.emplace_back(reference);
    const auto found = answers.find(reference);
    if (found == answers.end()) return std::unexpected(EvalError::paket_cycle(std::string(reference)));
    return found->second;
  }
};

struct Case {
  std::string_view text;
  std::map<std::string, TruthResult, std::less<>> answers;
  TruthResult result;
  std::vector<std::string> asked;
};

TEST(ExprEval, CombinesWithoutShortCircuitInTreeOrder) {
  const Case cases[] = {
      {"[1] ∧ [501]", {{"1", T}, {"501", N}}, T, {"1", "501"}},
      {"[501] [931]", {{"501", N}, {"931", N}}, N, {"501", "931"}},
      {"[1] ∧ [2] ∧ [3]", {{"1", T}, {"2", U}, {"3", F}}, F, {"1", "2", "3"}},
      {"[1] [2]", {{"1", F}, {"2", T}}, F, {"1", "2"}},
      {"[1] ∧ [2]", {{"1", T}, {"2", U}}, U, {"1", "2"}},
      {"[1] ∨ [2]", {{"1", T}, {"2", F}}, T, {"1", "2"}},
      {"[1] ∨ [2]", {{"1", F}, {"2", U}}, U, {"1", "2"}},
      {"[1] ∨ [2]", {{"1", F}, {"2", F}}, F, {"1", "2"}},
      {"[1] ∨ [2]", {{"1", N}, {"2", F}}, F, {"1", "2"}},
      {"[1] ∨ [2]", {{"1", N}, {"2", N}}, N, {"1", "2"}},
      {"[501] ∨ [502]", {}, N, {}},
      {"[1] ∨ [501]", {{"1", F}}, F, {"1"}},
      {"[1] ⊻ [2] ⊻ [3]", {{"1", T}, {"2", T}, {"3", U}}, F, {"1", "2", "3"}},
      {"[1] ⊻ [2]", {{"1", T}, {"2", U}}, U, {"1", "2"}},
      {"[1] ⊻ [2]", {{"1", T}, {"2", F}}, T, {"1", "2"}},
      {"[1] ⊻ [2]", {{"1", F}, {"2", F}}, F, {"1", "2"}},
      {"[1] ⊻ [2]", {{"1", N}, {"2", N}}, N, {"1", "2"}},
      {"[4P0..1] ⊻ [5P0..1]", {{"4P0..1", T}, {"5P0..1", F}}, T, {"4P0..1", "5P0..1"}},
      {"[931] ∨ [932]", {{"931", T}, {"932", F}}, T, {"931", "932"}},
      {"[UB1] ∨ [12]", {{"UB1", T}, {"12", F}}, std::unexpected(EvalError::mixed_alternatives()), {}},
      {"([1] [931]) ∨ ([2] [932])", {{"1", F}, {"931", N}, {"2", T}, {"932", N}}, T, {"1", "931", "2", "932"}},
      {"[+501] ∨ [0501] ∨ [1]", {{"1", T}}, T, {"1"}},
      {"[1] ∨ [931]", {{"1", T}, {"931", N}}, std::unexpected(EvalError::mixed_alternatives()), {}},
      {"([1] ∧ [2]) ∨ [3]", {{"1", T}, {"2", F}, {"3", T}}, T, {"1", "2", "3"}},
      // the first error ends the evaluation: later children are not asked
      {"[1] ∧ [X] ∧ [3]", {{"1", T}, {"3", T}}, std::unexpected(EvalError::paket_cycle("X")), {"1", "X"}},
      {"[1P] ∨ [X1P] ∨ [3P]", {{"1P", F}, {"3P", T}}, std::unexpected(EvalError::paket_cycle("X1P")), {"1P", "X1P"}},
  };
  for (const Case& c : cases) {
    auto expr = Expr::parse(c.text);
    ASSERT_TRUE(expr.has_value()) << c.text;
    Recorder recorder{c.answers, {}};
    EXPECT_EQ(expr->eval(recorder), c.result) << c.text;
    EXPECT_EQ(recorder.asked, c.asked) << c.text;
  }
}

}  // namespace

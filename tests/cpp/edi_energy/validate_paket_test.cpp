// Pakete that reference other Pakete: bounded nesting, shared sub-Pakete, cycles.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "edi_energy/profile/validate/ctx.hpp"
#include "validate_fixture.hpp"

namespace {

namespace conditions = edi_energy::profile::conditions;
namespace structure = edi_energy::profile::structure;
using conditions::Truth;
using edi_energy::profile::validate::Ctx;
using edi_energy::profile::validate::max_paket_depth;

constexpr std::string_view conditions_json = R"({"1": "Wenn SG8 SEQ+Z01 vorhanden", "2": "Wenn SG8 SEQ+Z98 vorhanden"})";
// [1] holds in the root scope, [2] does not; [7] has no text and stays undecided.
constexpr std::string_view message_text = "UNH+1'BGM+E01+D1'IDE+24+V1'SEQ+Z01'UNT+5+1'";

// "1P" references "2P" … up to "{depth}P", which holds the leaf expression; `link` writes one
// level from the name of the next Paket.
std::string chain(std::size_t depth, const std::function<std::string(const std::string&)>& link,
                  std::string_view leaf) {
  std::string packages = "{";
  for (std::size_t level = 1; level < depth; ++level) {
    packages += "\"" + std::to_string(level) + "P\":\"" + link(std::to_string(level + 1) + "P") + "\",";
  }
  return packages + "\"" + std::to_string(depth) + "P\":\"" + std::string(leaf) + "\"}";
}

conditions::TruthResult evaluate(const std::string& packages, const std::vector<std::string_view>& references) {
  const auto profile = validate_fixture::profile(validate_fixture::mig(),
                                                 validate_fixture::ahb("[]", conditions_json, packages));
  const auto segments = validate_fixture::message(message_text);
  const auto resolution = profile.structure().resolve(segments);
  const Ctx ctx(profile.structure(), resolution, segments, profile.read_conditions(), profile.parsed_pakete());
  conditions::TruthResult last = Truth::Neutral;
  for (std::string_view reference : references) last = ctx.paket_truth(reference, structure::root_instance);
  return last;
}

struct DepthCase {
  std::size_t depth;
  conditions::TruthResult expected;
};

TEST(PaketNesting, DepthIsBoundedLikeAnExpression) {
  const auto too_deep = [](std::size_t level) {
    return std::unexpected(conditions::EvalError::paket_expr(std::to_string(level) + "P",
                                                             conditions::ExprError{conditions::ExprError::Kind::TooDeep}));
  };
  const std::vector<DepthCase> cases{
      {1, Truth::True},
      {max_paket_depth, Truth::True},
      {max_paket_depth + 1, too_deep(max_paket_depth + 1)},
      {10'000, too_deep(max_paket_depth + 1)},
  };
  for (const DepthCase& c : cases) {
    const std::string packages = chain(c.depth, [](const std::string& next) { return "[" + next + "]"; }, "[1]");
    EXPECT_EQ(evaluate(packages, {"1P"}), c.expected) << c.depth;
    // Inside the bound it is the distance to the end of the chain that counts.
    EXPECT_EQ(evaluate(packages, {std::to_string(c.depth) + "P"}), Truth::True) << c.depth;
  }
}

// The deepest evaluation an AHB can ask for: every Paket of the longest chain nested as deeply
// as an expression may be.
TEST(PaketNesting, DeepestChainOfDeepestExpressions) {
  const auto nested = [](const std::string& next) {
    std::string text = "[" + next + "]";
    for (std::size_t level = 0; level + 1 < conditions::max_expr_depth; ++level) {
      text = "[1] " + std::string(level % 2 == 0 ? "∨" : "∧") + " (" + text + ")";
    }
    return text;
  };
  ASSERT_TRUE(conditions::Expr::parse(nested("2P")).has_value());
  EXPECT_EQ(evaluate(chain(max_paket_depth, nested, "[1]"), {"1P"}), Truth::True);
}

struct SharedCase {
  std::string_view link;  // "{}" stands for the next Paket
  std::string_view leaf;
  Truth expected;
};

// Each level references the next one four times, so the levels below are reached along
// 4^depth paths; the verdict is what each level's operator makes of four equal operands.
TEST(PaketNesting, SharedSubPaketeGiveTheVerdictOfOneLevel) {
  const std::vector<SharedCase> cases{
      {"[{}] ∧ [{}0..1] ∧ [{}] ∧ [{}]", "[1]", Truth::True},
      {"[{}] ∧ [{}0..1] ∧ [{}] ∧ [{}]", "[2]", Truth::False},
      {"[{}] [{}1..n] [{}] [{}]", "[7]", Truth::Undecided},
      {"[{}] ∨ [{}] ∨ [{}] ∨ [{}]", "[2]", Truth::False},
      {"[{}] ∨ [{}] ∨ [{}] ∨ [{}]", "[1]", Truth::True},
      // Two true alternatives break an exclusive choice; every level above sees false ones only.
      {"[{}] ⊻ [{}] ⊻ [{}] ⊻ [{}]", "[1]", Truth::False},
      {"[{}] ⊻ [{}] ⊻ [{}] ⊻ [{}]", "[7]", Truth::Undecided},
  };
  for (const SharedCase& c : cases) {
    const auto link = [&](const std::string& next) {
      std::string text(c.link);
      for (std::size_t at; (at = text.find("{}")) != std::string::npos;) text.replace(at, 2, next);
      return text;
    };
    EXPECT_EQ(evaluate(chain(max_paket_depth, link, c.leaf), {"1P"}), c.expected) << c.link << " over " << c.leaf;
  }
}

struct CycleCase {
  std::vector<std::string_view> references;  // evaluated in order; the last one is checked
  conditions::TruthResult expected;
};

// A result that depends on the Pakete being evaluated above it is not remembered.
TEST(PaketNesting, CyclesAreFoundWhateverWasEvaluatedBefore) {
  const std::string packages = R"({"10P": "[11P] [12P]", "11P": "[1]", "12P": "[10P]", "13P": "[11P] ∧ [11P]"})";
  const auto cycle = [](std::string_view name) { return std::unexpected(conditions::EvalError::paket_cycle(std::string(name))); };
  const std::vector<CycleCase> cases{
      {{"10P"}, cycle("10P")},
      {{"11P", "10P"}, cycle("10P")},
      {{"10P", "12P"}, cycle("12P")},
      {{"12P", "10P", "12P"}, cycle("12P")},
      {{"10P", "13P"}, Truth::True},
  };
  for (const CycleCase& c : cases) {
    EXPECT_EQ(evaluate(packages, c.references), c.expected) << ::testing::PrintToString(c.references);
  }
}

}  // namespace

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "edi_energy/profile/skeleton/generator.hpp"
#include "edi_energy/profile/skeleton/unconditioned.hpp"
#include "skeleton_fixture.hpp"

namespace {

namespace skeleton = edi_energy::profile::skeleton;
using edi_energy::profile::conditions::Truth;
using skeleton::Generator;
using skeleton::Pin;

constexpr std::string_view conditions_json = R"({
  "1": "Wenn SG8 SEQ+Z01 vorhanden",
  "6": "Hinweis: Die ID ist anzugeben",
  "8": "sofern vorhanden"})";
constexpr std::string_view packages_json = R"({"1P": "", "2P": "  ", "3P": "[1]"})";

edi_energy::profile::Profile fixture(std::string_view elements = "[]") {
  const std::string anwendungsfall = R"({"pid":13002,"name":"a","rows":[],"elements":)" + std::string(elements) + "}";
  return validate_fixture::profile(skeleton_fixture::mini_mig(0, 1, 1),
                                   skeleton_fixture::mini_ahb(anwendungsfall, conditions_json, packages_json));
}

struct TruthCase {
  std::string_view reference;
  Truth expected;
};

TEST(Unconditioned, NeverDecidesWhatDependsOnTheMessage) {
  const auto profile = fixture();
  const std::vector<TruthCase> cases{
      {"1", Truth::Undecided},    // written as a precondition
      {"8", Truth::Undecided},
      {"6", Truth::Neutral},      // a Voraussetzung number whose text asks nothing of the message
      {"7", Truth::Undecided},    // not in the document
      {"501", Truth::Neutral},    // Hinweis
      {"931", Truth::Neutral},    // Formatbedingung
      {"2001", Truth::Neutral},
      {"UB1", Truth::Neutral},
      {"1P1..n", Truth::Neutral},  // empty Paket expression
      {"2P0..1", Truth::Neutral},  // blank counts as empty
      {"3P1..1", Truth::Undecided},
      {"4P1..n", Truth::Undecided},  // no such Paket
      {"P", Truth::Undecided},       // not readable as a Paket
  };
  for (const auto& [reference, expected] : cases) {
    EXPECT_EQ(skeleton::unconditioned_truth(profile, reference), expected) << reference;
    EXPECT_EQ(skeleton::unconditioned(profile)(reference), expected) << reference;
  }
}

struct RequiredCase {
  std::optional<std::vector<std::string>> status;
  bool expected;
};

TEST(Required, OnlyUnconditionalMandatoryStatusesCount) {
  const auto profile = fixture();
  const std::vector<RequiredCase> cases{
      {std::nullopt, false},
      {std::vector<std::string>{}, false},
      {std::vector<std::string>{"Muss"}, true},
      {std::vector<std::string>{"X"}, true},
      {std::vector<std::string>{"M"}, true},
      {std::vector<std::string>{"Soll"}, false},
      {std::vector<std::string>{"Kann"}, false},
      {std::vector<std::string>{"S"}, false},
      {std::vector<std::string>{"K"}, false},
      {std::vector<std::string>{"Soll [6]", "Kann"}, false},
      {std::vector<std::string>{"Muss [1]"}, false},
      {std::vector<std::string>{"Muss [6]"}, true},
      {std::vector<std::string>{"X [931]"}, true},
      {std::vector<std::string>{"Muss [1] ∧ [6]"}, false},
      {std::vector<std::string>{"Muss [1P1..n]"}, true},
      {std::vector<std::string>{"Muss [3P1..1]"}, false},
      {std::vector<std::string>{"Muss [1]", "Kann", "X [6]"}, true},
      {std::vector<std::string>{"((", "Muss"}, true},  // a cell that does not parse is passed over
      {std::vector<std::string>{"Muss [1] [2"}, false},
  };
  for (const auto& [status, expected] : cases) {
    EXPECT_EQ(Generator::required(profile, status ? &*status : nullptr), expected)
        << (status && !status->empty() ? status->front() : "none");
  }
}

struct PinCase {
  std::string_view name;
  std::string_view elements;
  std::vector<Pin> expected;
};

TEST(PaketPins, MandatoryCodesBehindPaketsWithAMinimum) {
  const std::vector<PinCase> cases{
      {"empty Paket pins",
       R"([{"nr":"00010","de":"1153","operands":[{"operand":"X [1P1..n]","code":"Z01"}]}])",
       {Pin{"1153", 0, "Z01"}}},
      {"Paket with an expression, missing Paket, minimum 0",
       R"([{"nr":"00010","de":"1153","operands":[{"operand":"X [3P1..1]","code":"Z01"},
          {"operand":"X [4P1..n]","code":"Z02"},{"operand":"X [2P0..1]","code":"Z03"}]}])",
       {}},
      {"not mandatory, no code, no condition, condition on a precondition",
       R"([{"nr":"00010","de":"1153","operands":[{"operand":"Kann [1P1..n]","code":"Z01"},
          {"operand":"X [1P1..n]"},{"operand":"X","code":"Z03"},{"operand":"X [1P1..n] ∧ [1]","code":"Z04"}]}])",
       {}},
      {"rule and operand order, occurrence kept, other segments ignored",
       R"([{"nr":"00011","de":"2005","operands":[{"operand":"X [1P1..n]","code":"137"}]},
          {"nr":"00010","de":"1154","occurrence":2,"operands":[{"operand":"Muss [1P1..n]","code":"B"},
           {"operand":"M [2P0..1] ∧ [1P2..3]","code":"A"}]},
          {"nr":"00010","de":"1153","operands":[{"operand":"X [6] ∧ [1P1..n]","code":"C"}]}])",
       {Pin{"1154", 2, "B"}, Pin{"1154", 2, "A"}, Pin{"1153", 0, "C"}}},
  };
  for (const auto& [name, elements, expected] : cases) {
    const auto profile = fixture(elements);
    const auto& rules = profile.ahb().anwendungsfaelle.front().elements;
    EXPECT_EQ(Generator::paket_pins(profile, rules, "00010"), expected) << name;
  }
}

struct RoundsCase {
  unsigned group_max;
  unsigned rff_max;
  std::size_t pins;
  std::size_t rff_rounds;
  std::size_t group_rounds;
};

TEST(PaketRounds, PinsDividedByTheMaximumRoundedUp) {
  const std::vector<RoundsCase> cases{
      {0, 1, 3, 3, 1}, {0, 0, 3, 1, 1}, {0, 2, 5, 3, 1}, {2, 2, 5, 3, 2}, {1, 1, 3, 3, 3},
      {0, 1, 0, 0, 1}, {4294967295U, 4294967295U, 2, 1, 1},
  };
  for (const auto& c : cases) {
    std::string operands;
    for (std::size_t i = 0; i < c.pins; ++i) {
      operands += std::string(i ? "," : "") + R"({"operand":"X [1P1..n]","code":"Z0)" + std::to_string(i) + "\"}";
    }
    const std::string anwendungsfall = R"({"pid":13002,"name":"a","rows":[],"elements":[{"nr":"00010","de":"1153",)"
                                       R"("operands":[)" + operands + "]}]}";
    const auto profile = validate_fixture::profile(skeleton_fixture::mini_mig(c.group_max, c.rff_max, 1),
                                                   skeleton_fixture::mini_ahb(anwendungsfall, "{}", packages_json));
    const auto& structure = profile.structure();
    const std::size_t group = structure.roots.at(1);
    const std::size_t rff = structure.nodes.at(group).children.at(0);
    std::vector<edifact::model::Segment> out;
    const skeleton::KeySets keys;
    const Generator generator(profile, profile.ahb().anwendungsfaelle.front(), skeleton_fixture::parties, keys, out);
    EXPECT_EQ(generator.paket_rounds(rff), c.rff_rounds) << c.pins << " pins, max " << c.rff_max;
    EXPECT_EQ(generator.paket_rounds(group), c.group_rounds) << c.pins << " pins, group max " << c.group_max;
  }
}

}  // namespace

#include <gtest/gtest.h>

#include <optional>
#include <span>
#include <string>
#include <vector>

#include "edi_energy/profile/validate/validate.hpp"
#include "skeleton_fixture.hpp"

namespace {

struct GenerateCase {
  std::string_view name;
  std::string_view rows;
  std::string_view seeds;  // empty: none
  std::string expected;
};

constexpr std::string_view conditions_json =
    R"({"3": "Wenn im UNH DE0062 = 1 vorhanden", "4": "Wenn im UNH DE0062 = 2 vorhanden"})";
constexpr std::string_view element_rules =
    R"([{"nr":"00001","de":"0062","operands":[{"operand":"X"}]},
        {"nr":"00010","de":"1153","operands":[{"operand":"X","code":"Z13"}]},
        {"nr":"00010","de":"1154","operands":[{"operand":"X"}]},
        {"nr":"00009","de":"0074","operands":[{"operand":"X"}]},
        {"nr":"00009","de":"0062","operands":[{"operand":"X"}]}])";

TEST(Generate, RoundsUntilTheColumnIsSatisfied) {
  const std::vector<GenerateCase> cases{
      {"first walk already satisfies", "", "", "UNH+1'UNT+2+1'"},
      {"a missing conditional group is forced in a later round",
       R"(,{"group":"SG5","before":"00010","status":["Muss [3]"]},{"nr":"00010","status":["Muss [3]"]})", "",
       "UNH+1'RFF+Z13:REF13002'UNT+3+1'"},
      {"a condition that does not hold adds nothing",
       R"(,{"group":"SG5","before":"00010","status":["Muss [4]"]},{"nr":"00010","status":["Muss [4]"]})", "",
       "UNH+1'UNT+2+1'"},
      {"seeds are kept and the count covers them",
       R"(,{"group":"SG5","before":"00010","status":["Kann"]},{"nr":"00010","status":["Kann"]})", "UNH+9'RFF+Z13:R1'UNT+1+9'", "UNH+9'RFF+Z13:R1'UNT+3+9'"},
      {"a seed condition decides the column",
       R"(,{"group":"SG5","before":"00010","status":["Muss [4]"]},{"nr":"00010","status":["Muss [4]"]})",
       "UNH+2'UNT+1+2'", "UNH+2'RFF+Z13:REF13002'UNT+3+2'"},
  };
  for (const auto& c : cases) {
    const std::string af = R"({"pid":13002,"name":"a","rows":[{"nr":"00001","status":["M"]},)"
                           R"({"nr":"00009","status":["M"]})" +
                           std::string(c.rows) + R"(],"elements":)" + std::string(element_rules) + "}";
    const auto profile = validate_fixture::profile(skeleton_fixture::mini_mig(0, 1, 1),
                                                   skeleton_fixture::mini_ahb(af, conditions_json));
    const auto& anwendungsfall = profile.ahb().anwendungsfaelle.front();
    const auto seeds = validate_fixture::message(c.seeds);
    const auto out = profile.generate(c.seeds.empty() ? std::nullopt : std::optional(std::span(seeds)),
                                      anwendungsfall, skeleton_fixture::parties);
    EXPECT_EQ(skeleton_fixture::render(out), c.expected) << c.name;
    const auto findings = edi_energy::profile::validate::validate(profile, out, 13002);
    EXPECT_TRUE(findings.empty()) << c.name << ": " << (findings.empty() ? "" : findings.front().rule_id.value_or(""));
  }
}

TEST(Generate, AnEmptySeedListCompletesLikeNoSeeds) {
  const std::string af = R"({"pid":13002,"name":"a","rows":[{"nr":"00001","status":["M"]},)"
                         R"({"nr":"00009","status":["M"]}],"elements":)" + std::string(element_rules) + "}";
  const auto profile = validate_fixture::profile(skeleton_fixture::mini_mig(0, 1, 1),
                                                 skeleton_fixture::mini_ahb(af, conditions_json));
  const std::vector<edifact::model::Segment> none;
  const auto out = profile.generate(std::span(none), profile.ahb().anwendungsfaelle.front(), skeleton_fixture::parties);
  EXPECT_EQ(skeleton_fixture::render(out), "UNH+1'UNT+2+1'");
}

}  // namespace

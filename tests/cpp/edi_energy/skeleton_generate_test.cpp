#include <gtest/gtest.h>

#include <optional>
#include <span>
#include <string>
#include <vector>

#include "edi_energy/profile/validate/validate.hpp"
#include "skeleton_fixture.hpp"
#include "support/diag.hpp"

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
    ASSERT_TRUE(out.has_value()) << c.name << ": " << out.error().message();
    EXPECT_EQ(skeleton_fixture::render(*out), c.expected) << c.name;
    const auto findings = edi_energy::profile::validate::validate(profile, *out, 13002);
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
  ASSERT_TRUE(out.has_value());
  EXPECT_EQ(skeleton_fixture::render(*out), "UNH+1'UNT+2+1'");
}

}  // namespace

namespace {

namespace skeleton = edi_energy::profile::skeleton;

std::string simple_column(std::string_view rows = "", std::string_view rules = element_rules) {
  return R"({"pid":13002,"name":"a","rows":[{"nr":"00001","status":["M"]},{"nr":"00009","status":["M"]})" +
         std::string(rows) + R"(],"elements":)" + std::string(rules) + "}";
}

struct SeedCase {
  std::string_view name;
  std::string_view seeds;
  std::size_t index;
  std::string_view tag;
};

TEST(Generate, RefusesToDropASeedSegment) {
  const auto profile = validate_fixture::profile(skeleton_fixture::mini_mig(0, 1, 1),
                                                 skeleton_fixture::mini_ahb(simple_column(), conditions_json));
  const std::vector<SeedCase> cases{
      {"a tag the layout does not know", "UNH+1'BGM+X'UNT+2+1'", 1, "BGM"},
      {"a segment after the trailer", "UNH+1'UNT+2+1'RFF+Z13:R'", 2, "RFF"},
      {"a group member before its trigger, and all after it", "UNH+1'DTM+137:1:303'RFF+Z13:R'UNT+3+1'", 1, "DTM"},
  };
  for (const auto& c : cases) {
    const auto seeds = validate_fixture::message(c.seeds);
    const auto out = profile.generate(std::span(seeds), profile.ahb().anwendungsfaelle.front(), skeleton_fixture::parties);
    ASSERT_FALSE(out.has_value()) << c.name << ": " << skeleton_fixture::render(*out);
    EXPECT_EQ(out.error(), skeleton::CompletionError::seed_not_placed(c.index, std::string(c.tag))) << c.name;
  }
  const auto seeds = validate_fixture::message("UNH+1'BGM+X'UNT+2+1'");
  EXPECT_EQ(profile.generate(std::span(seeds), profile.ahb().anwendungsfaelle.front(), skeleton_fixture::parties)
                .error()
                .message(),
            "segment BGM (message segment 1) fits no place of the Nachrichtenstruktur; the message cannot be "
            "completed without dropping it");
}

// The rounds and the way completion ended, as its diagnostic event tells them.
struct Ending {
  std::string rounds;
  std::string end;
};

Ending complete_and_watch(const edi_energy::profile::Profile& profile, std::string_view seed_text,
                          std::string& rendered) {
  Ending ending;
  const auto previous = support::diag::set_sink([&](const support::diag::Event& event) {
    if (event.message != "completion finished") return;
    for (const auto& field : event.fields) {
      if (field.name == "rounds") ending.rounds = field.value;
      if (field.name == "end") ending.end = field.value;
    }
  });
  const auto seeds = validate_fixture::message(seed_text);
  const auto out = profile.generate(seed_text.empty() ? std::nullopt : std::optional(std::span(seeds)),
                                    profile.ahb().anwendungsfaelle.front(), skeleton_fixture::parties);
  support::diag::set_sink(previous);
  rendered = out ? skeleton_fixture::render(*out) : out.error().message();
  return ending;
}

struct LoopCase {
  std::string_view name;
  std::string_view seeds;
  std::string rows;
  std::string rules;
  std::string expected;
  std::string rounds;
  std::string end;
};

TEST(Generate, LoopEndsCleanWithoutProgressOrAtTheRoundLimit) {
  const std::string group = R"(,{"group":"SG5","before":"00010","status":["Muss"]},{"nr":"00010","status":["Muss"]})";
  // Seven codes that the message never admits: every round rotates to the next one, so the code
  // that stands tells which round's output came back (round 24 takes code 23 mod 7).
  const std::string never_admitted =
      R"([{"nr":"00010","de":"1153","operands":[{"operand":"X [4]","code":"Z01"},{"operand":"X [4]","code":"Z02"},)"
      R"({"operand":"X [4]","code":"Z03"},{"operand":"X [4]","code":"Z04"},{"operand":"X [4]","code":"Z05"},)"
      R"({"operand":"X [4]","code":"Z06"},{"operand":"X [4]","code":"Z07"}]},)"
      R"({"nr":"00010","de":"1154","operands":[{"operand":"X"}]},)"
      R"({"nr":"00001","de":"0062","operands":[{"operand":"X"}]},)"
      R"({"nr":"00009","de":"0074","operands":[{"operand":"X"}]},{"nr":"00009","de":"0062","operands":[{"operand":"X"}]}])";
  const std::vector<LoopCase> cases{
      {"satisfied by the first walk", "", "", std::string(element_rules), "UNH+1'UNT+2+1'", "1", "clean"},
      // The seed segment outside the column cannot be taken away; suppressing it again is no news.
      {"findings that add no key end the loop", "UNH+1'RFF+Z13:R1'UNT+3+1'", "", std::string(element_rules),
       "UNH+1'RFF+Z13:R1'UNT+3+1'", "2", "no progress"},
      {"code findings that never go away stop at the 24th round", "", group, never_admitted,
       "UNH+1'RFF+Z03:REF13002'UNT+3+1'", "24", "round limit"},
      // The seed's code is kept whatever the rotation says, so more rounds would only repeat the first.
      {"code findings on a seed's value end the loop at once", "UNH+1'RFF+Z01:R1'UNT+3+1'", group, never_admitted,
       "UNH+1'RFF+Z01:R1'UNT+3+1'", "1", "settled"},
  };
  for (const auto& c : cases) {
    const auto profile = validate_fixture::profile(
        skeleton_fixture::mini_mig(0, 1, 1), skeleton_fixture::mini_ahb(simple_column(c.rows, c.rules), conditions_json));
    std::string rendered;
    const Ending ending = complete_and_watch(profile, c.seeds, rendered);
    EXPECT_EQ(rendered, c.expected) << c.name;
    EXPECT_EQ(ending.rounds, c.rounds) << c.name;
    EXPECT_EQ(ending.end, c.end) << c.name;
  }
}

}  // namespace

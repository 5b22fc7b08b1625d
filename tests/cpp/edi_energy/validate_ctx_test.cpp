#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "edi_energy/profile/validate/ctx.hpp"
#include "validate_fixture.hpp"

namespace {

namespace conditions = edi_energy::profile::conditions;
namespace structure = edi_energy::profile::structure;
using conditions::Truth;
using edi_energy::profile::validate::Ctx;
using edi_energy::profile::validate::OwnSegment;
using edi_energy::profile::validate::Requirement;

constexpr std::string_view conditions_json = R"({
  "1": "Wenn in dieser SG8 SEQ+Z01 vorhanden",
  "2": "Wenn SG8 SEQ+Z98 vorhanden",
  "4": "Wenn SG8 SEQ+Z98 in dieser SG8 nicht vorhanden",
  "6": "Hinweis: Die ID ist anzugeben",
  "7": "Falls es regnet",
  "8": "Wenn in diesem CCI DE1131 = 123",
  "9": "Wenn im DE7059 in demselben CCI der Code Z30 vorhanden ist",
  "2001": "Einmal für jede SG8  SEQ+Z01, die angegeben ist"})";
constexpr std::string_view packages_json =
    R"({"1P": "[1]", "2P": " ", "3P": "[3P0..1]", "4P": "[5P]", "5P": "[4P]", "6P": "[1] ((", "7P": "[2P] [1P]",)"
    R"( "8P": "[8]"})";

// Segment indices of the triggers below, to name scopes by.
constexpr std::size_t sg4_first = 2, sg8_z01 = 4, cci_first = 5, sg4_second = 7, sg8_z98 = 8;
constexpr std::string_view message_text =
    "UNH+1'BGM+E01+D1'IDE+24+V1'STS+E'SEQ+Z01'CCI+Z30+123'CCI+Z30'IDE+24+V2'SEQ+Z98'UNT+9+1'";

class CtxTest : public ::testing::Test {
 protected:
  CtxTest()
      : profile_(validate_fixture::profile(validate_fixture::mig(),
                                           validate_fixture::ahb("[]", conditions_json, packages_json))),
        segments_(validate_fixture::message(message_text)),
        resolution_(profile_.structure().resolve(segments_)),
        ctx_(profile_.structure(), resolution_, segments_, profile_.read_conditions(),
             edi_energy::profile::validate::parse_pakete(profile_.ahb().packages)) {}

  structure::InstanceIndex scope_of(std::optional<std::size_t> trigger) const {
    return trigger ? resolution_.placements[*trigger]->instance : structure::root_instance;
  }

  conditions::TruthResult eval(std::string_view text, std::optional<std::size_t> trigger) const {
    const auto expr = conditions::Expr::parse(text);
    EXPECT_TRUE(expr.has_value()) << text;
    return ctx_.eval(*expr, scope_of(trigger));
  }

  edi_energy::profile::Profile profile_;
  std::vector<edifact::model::Segment> segments_;
  structure::Resolution resolution_;
  Ctx ctx_;
};

TEST_F(CtxTest, MessagePlacesAsTheScopesAssume) {
  EXPECT_TRUE(resolution_.unplaced.empty());
  EXPECT_NE(scope_of(sg8_z01), scope_of(sg8_z98));
  EXPECT_NE(scope_of(cci_first), scope_of(sg8_z01));
}

struct TruthCase {
  std::string_view expression;
  std::optional<std::size_t> scope;  // trigger segment of the scope; none: message root
  conditions::TruthResult expected;
};

TEST_F(CtxTest, ConditionKindsInScope) {
  const std::vector<TruthCase> cases{
      // A text that points at the instance ("in dieser SG8") reads the one around the scope, and
      // every instance from outside one.
      {"[1]", std::nullopt, Truth::True},
      {"[1]", sg8_z98, Truth::False},
      {"[1]", sg8_z01, Truth::True},
      {"[1]", cci_first, Truth::True},
      {"[2]", sg4_first, Truth::False},
      {"[2]", sg4_second, Truth::True},
      {"[4]", sg8_z01, Truth::True},
      {"[4]", sg8_z98, Truth::False},
      {"[4]", std::nullopt, Truth::False},
      {"[6]", std::nullopt, Truth::Neutral},
      {"[7]", std::nullopt, Truth::Undecided},
      {"[99]", std::nullopt, Truth::Undecided},
      // Wiederholbarkeit: found in the enclosing SG4 instance, else never false.
      {"[2001]", cci_first, Truth::True},
      {"[2001]", sg4_second, Truth::Undecided},
      {"[2001]", sg8_z98, Truth::Undecided},
      {"[2001]", std::nullopt, Truth::True},
      {"[2002]", std::nullopt, Truth::Neutral},
      {"[501]", std::nullopt, Truth::Neutral},
      {"[931]", std::nullopt, Truth::Neutral},
      {"[UB1]", std::nullopt, Truth::Neutral},
      {"[1P]", sg8_z98, Truth::False},
      {"[1P0..1]", sg8_z01, Truth::True},
      {"[2P]", std::nullopt, Truth::True},
      {"[7P]", sg8_z98, Truth::False},
      {"[9P]", std::nullopt, Truth::Undecided},
      {"[3P]", std::nullopt, std::unexpected(conditions::EvalError::paket_cycle("3P"))},
      {"[4P]", std::nullopt, std::unexpected(conditions::EvalError::paket_cycle("4P"))},
      {"[6P]", std::nullopt,
       std::unexpected(conditions::EvalError::paket_expr("6P", conditions::Expr::parse("[1] ((").error()))},
      // The stack is restored after a cycle.
      {"[1P]", std::nullopt, Truth::True},
  };
  for (const TruthCase& c : cases) {
    EXPECT_EQ(eval(c.expression, c.scope), c.expected) << c.expression << " in scope of " << c.scope.value_or(99);
  }
}

struct OwnSegmentCase {
  std::string_view expression;
  OwnSegment own;
  Truth expected;
};

TEST_F(CtxTest, TextsAboutTheirOwnSegmentAskThatSegmentAlone) {
  // Both CCI of the SG8 are Z30; only the first carries 123.
  const std::vector<OwnSegmentCase> cases{
      {"[8]", {"CCI", cci_first}, Truth::True},
      {"[8]", {"CCI", cci_first + 1}, Truth::False},
      // the same through a Paket, which keeps no truth for one segment
      {"[8P]", {"CCI", cci_first}, Truth::True},
      {"[8P]", {"CCI", cci_first + 1}, Truth::False},
      {"[8P]", {"CCI", cci_first}, Truth::True},
      {"[9]", {"CCI", cci_first + 1}, Truth::True},
      // no CCI placed yet: nothing to look at
      {"[8]", {"CCI", std::nullopt}, Truth::Undecided},
      // asked for another segment, or for none, the text looks at its scope as every text does
      {"[8]", {"STS", 3}, Truth::True},
      {"[8]", {}, Truth::True},
  };
  for (const OwnSegmentCase& c : cases) {
    const auto expr = conditions::Expr::parse(c.expression);
    ASSERT_TRUE(expr.has_value());
    EXPECT_EQ(ctx_.eval(*expr, scope_of(cci_first), c.own), c.expected)
        << c.expression << " for " << c.own.tag << " " << c.own.index.value_or(99);
  }
  // Asked from a row beside a CCI, the text means the CCI of the row's own SG10, not another
  // one; where no instance around holds a CCI of its own, it looks where every text does.
  const std::vector<std::pair<std::optional<std::size_t>, Truth>> beside{
      {cci_first, Truth::True}, {cci_first + 1, Truth::False}, {sg8_z01, Truth::True}, {std::nullopt, Truth::True}};
  const auto beside_expr = conditions::Expr::parse("[8]");
  ASSERT_TRUE(beside_expr.has_value());
  for (const auto& [trigger, expected] : beside) {
    EXPECT_EQ(ctx_.eval(*beside_expr, scope_of(trigger), {"STS", 3}), expected) << trigger.value_or(99);
    EXPECT_EQ(ctx_.eval(*beside_expr, scope_of(trigger)), expected) << trigger.value_or(99);
  }
  const std::vector<std::string> own_cell{"Muss [1]", "Muss [8]"};
  EXPECT_EQ(ctx_.requirement(own_cell, scope_of(cci_first), {"CCI", cci_first + 1}), Requirement::Required);
  EXPECT_FALSE(ctx_.asked_own());  // [1] held first
  const std::vector<std::string> only_own{"Muss [8]"};
  EXPECT_EQ(ctx_.requirement(only_own, scope_of(cci_first), {"CCI", cci_first + 1}), Requirement::NotPermitted);
  EXPECT_TRUE(ctx_.asked_own());
}

struct RequirementCase {
  std::vector<std::string> cells;
  Requirement expected;
};

TEST_F(CtxTest, RequirementOfStatusCells) {
  // In the SG8 instance of SEQ+Z98: [1] is False, [2] True, [7] Undecided.
  const std::vector<RequirementCase> cases{
      {{}, Requirement::Optional},
      {{"Muss"}, Requirement::Required},
      {{"X [501]"}, Requirement::Required},
      {{"Muss [1]"}, Requirement::NotPermitted},
      {{"Muss [1]", "X [1]"}, Requirement::NotPermitted},
      {{"Muss [1]", "Kann"}, Requirement::Optional},
      {{"Muss [1]", "Muss [7]"}, Requirement::Optional},
      {{"Muss [1]", "Muss [2]"}, Requirement::Required},
      {{"Muss [2]", "Muss [1]"}, Requirement::Required},
      {{"Muss [1]", "Unsinn"}, Requirement::Optional},
      {{"Muss [3P]"}, Requirement::Optional},
      {{"Soll [2]"}, Requirement::Optional},
  };
  for (const RequirementCase& c : cases) {
    EXPECT_EQ(ctx_.requirement(c.cells, scope_of(sg8_z98)), c.expected) << ::testing::PrintToString(c.cells);
  }
}

conditions::SegmentPattern pattern(std::string_view text) { return *conditions::SegmentPattern::parse(text); }

struct VoraussetzungCase {
  std::string_view name;
  conditions::Voraussetzung voraussetzung;
  std::optional<std::size_t> scope;
  Truth expected;
};

TEST_F(CtxTest, VoraussetzungShapes) {
  using V = conditions::Voraussetzung;
  using Check = conditions::ShapeCheck;
  const std::vector<VoraussetzungCase> cases{
      {"count above one", V{V::Count{pattern("CCI+Z30"), "SG8", 1, std::nullopt}}, sg8_z01, Truth::True},
      {"count not above two", V{V::Count{pattern("CCI+Z30"), "SG8", 2, std::nullopt}}, sg8_z01, Truth::False},
      {"count in other instance", V{V::Count{pattern("CCI+Z30"), "SG8", 0, std::nullopt}}, sg8_z98, Truth::False},
      {"chain in order", V{V::Present{{pattern("SEQ+Z01"), pattern("CCI+Z30")}, std::nullopt, false, false, {}, {}}},
       std::nullopt, Truth::True},
      {"chain out of order", V{V::Present{{pattern("CCI+Z30"), pattern("SEQ+Z01")}, std::nullopt, false, false, {}, {}}},
       std::nullopt, Truth::False},
      {"any of a chain", V{V::Present{{pattern("CCI+Z19"), pattern("SEQ+Z98")}, std::nullopt, true, false, {}, {}}},
       std::nullopt, Truth::True},
      {"negated absent", V{V::Present{{pattern("CCI+Z19")}, std::nullopt, false, true, {}, {}}}, std::nullopt, Truth::True},
      {"value equal", V{V::DeValue{"STS", "9015", {"E"}, std::nullopt, false, false, {}, {}}}, std::nullopt, Truth::True},
      {"suffix of one character", V{V::DeValue{"STS", "9015", {"E"}, std::nullopt, false, true, {}, {}}}, std::nullopt,
       Truth::False},
      {"suffix", V{V::DeValue{"SEQ", "1229", {"98"}, std::nullopt, false, true, {}, {}}}, std::nullopt, Truth::True},
      {"suffix longer than value", V{V::DeValue{"SEQ", "1229", {"XZ98"}, std::nullopt, false, true, {}, {}}}, std::nullopt,
       Truth::False},
      {"value in scope only", V{V::DeValue{"SEQ", "1229", {"Z98"}, "SG8", false, false, {}, {}}}, sg8_z01, Truth::False},
      {"negated value", V{V::DeValue{"SEQ", "1229", {"Z98"}, "SG8", true, false, {}, {}}}, sg8_z01, Truth::True},
      {"element the MIG lacks", V{V::DeValue{"SEQ", "9999", {""}, std::nullopt, false, false, {}, {}}}, std::nullopt,
       Truth::False},
      {"component of a composite", V{V::DeValue{"IDE", "7402", {"V2"}, std::nullopt, false, false, {}, {}}}, std::nullopt,
       Truth::True},
      {"length", V{V::DeShape{Check{Check::Kind::Length, "", 3}, pattern("CCI+Z30"), "1131", std::nullopt, false, {}}},
       std::nullopt, Truth::True},
      {"length differs", V{V::DeShape{Check{Check::Kind::Length, "", 2}, pattern("CCI+Z30"), "1131", std::nullopt, false, {}}},
       std::nullopt, Truth::False},
      {"filled in scope", V{V::DeShape{Check{Check::Kind::Filled, "", 0}, pattern("CCI"), "1131", "SG10", false, {}}},
       cci_first, Truth::True},
      {"empty in scope", V{V::DeShape{Check{Check::Kind::Filled, "", 0}, pattern("CCI"), "1131", "SG10", false, {}}},
       cci_first + 1, Truth::False},
      {"format condition", V{V::DeShape{Check{Check::Kind::Formatbedingung, "908", 0}, pattern("CCI"), "1131",
                                        std::nullopt, false, {}}},
       std::nullopt, Truth::True},
      {"format condition broken", V{V::DeShape{Check{Check::Kind::Formatbedingung, "903", 0}, pattern("CCI"), "1131",
                                               std::nullopt, false, {}}},
       std::nullopt, Truth::False},
      {"unknown format condition", V{V::DeShape{Check{Check::Kind::Formatbedingung, "911", 0}, pattern("CCI"), "1131",
                                                std::nullopt, false, {}}},
       std::nullopt, Truth::False},
  };
  for (const VoraussetzungCase& c : cases) {
    EXPECT_EQ(ctx_.truth(c.voraussetzung, scope_of(c.scope)), c.expected) << c.name;
  }
}

// Segments that a text pairs ("in derselben SG8 SEQ+Z98 das CCI+Z30") count only together in one
// instance of its group; the SG8 of SEQ+Z01 holds the CCI+Z30 segments, that of SEQ+Z98 none.
TEST_F(CtxTest, PairedSegmentsStandInOneInstance) {
  using V = conditions::Voraussetzung;
  const auto present = [](std::vector<conditions::SegmentPattern> chain, std::vector<conditions::SegmentPattern> with,
                          bool negated) {
    return V{V::Present{std::move(chain), "SG8", false, negated, std::move(with), {}}};
  };
  const std::vector<VoraussetzungCase> cases{
      {"chain across instances", present({pattern("CCI+Z30"), pattern("SEQ+Z98")}, {}, false), std::nullopt,
       Truth::False},
      {"chain in one instance", present({pattern("SEQ+Z01"), pattern("CCI+Z30")}, {}, false), std::nullopt,
       Truth::True},
      {"denied chain across instances", present({pattern("SEQ+Z98"), pattern("CCI")}, {}, true), std::nullopt,
       Truth::True},
      {"with its companion", present({pattern("CCI+Z30")}, {pattern("SEQ+Z01")}, false), std::nullopt, Truth::True},
      {"companion elsewhere", present({pattern("CCI+Z30")}, {pattern("SEQ+Z98")}, false), std::nullopt,
       Truth::False},
      {"companion in scope", present({pattern("CCI+Z30")}, {pattern("SEQ+Z01")}, false), sg8_z01, Truth::True},
      {"companion not in scope", present({pattern("CCI+Z30")}, {pattern("SEQ+Z98")}, false), sg8_z01,
       Truth::False},
      // A denial speaks of the instance its companion names; another instance is left open.
      {"denial in the companion's instance", present({pattern("CCI+Z30")}, {pattern("SEQ+Z98")}, true), sg8_z98,
       Truth::True},
      {"denial elsewhere", present({pattern("CCI+Z30")}, {pattern("SEQ+Z98")}, true), sg8_z01, Truth::Undecided},
      {"denial of what the companion's instance holds", present({pattern("CCI+Z30")}, {pattern("SEQ+Z01")}, true),
       std::nullopt, Truth::False},
      {"denial of a companion absent everywhere", present({pattern("CCI+Z30")}, {pattern("SEQ+Z77")}, true),
       std::nullopt, Truth::Undecided},
  };
  for (const VoraussetzungCase& c : cases) {
    EXPECT_EQ(ctx_.truth(c.voraussetzung, scope_of(c.scope)), c.expected) << c.name;
  }
}

// A text that names a group looks at the instance of it around the row, where there is one and
// the fixture's single variant of the group holds what it names; from outside such an instance,
// at every instance of it within the row's Vorgang (the whole message from outside one). The
// segments a text pairs must stand in one instance.
constexpr std::string_view named_conditions = R"({
  "1": "Wenn SG2 NAD+MR vorhanden",
  "2": "Wenn in dieser SG2 NAD+MR vorhanden",
  "3": "Wenn SG8 SEQ+Z01 vorhanden",
  "4": "Wenn SG8 SEQ+Z01 SG10 CCI+Z19 vorhanden",
  "5": "Wenn SG8 SEQ+Z98 SG10 CCI+Z19 vorhanden",
  "6": "Wenn SG10 CCI+Z19 (Bilanzkreis) im Vorgang mehr als einmal vorhanden",
  "7": "Wenn SG10 CCI+Z19 (Bilanzkreis) im Vorgang zweimal vorhanden",
  "8": "Wenn kein SG8 SEQ+Z01 vorhanden"})";
// Segment indices of the scopes' triggers.
constexpr std::size_t nad_ms = 2, nad_mr = 3, v1_z98 = 5, v1_z01 = 7, v1_cci = 10, v2_z98 = 12, v2_cci = 13;
constexpr std::string_view named_message =
    "UNH+1'BGM+E01+D1'NAD+MS+9900000000003::293'NAD+MR+9900000000010::293'IDE+24+V1'SEQ+Z98'CCI+Z19'SEQ+Z01'"
    "CCI+Z30+1'SEQ+Z98'CCI+Z19'IDE+24+V2'SEQ+Z98'CCI+Z19'UNT+15+1'";

TEST(CtxNamedGroups, LookInEveryInstanceUnlessTheTextPointsAtOne) {
  const auto profile = validate_fixture::profile(validate_fixture::mig(),
                                                 validate_fixture::ahb("[]", named_conditions));
  const auto segments = validate_fixture::message(named_message);
  const structure::Resolution resolution = profile.structure().resolve(segments);
  ASSERT_TRUE(resolution.unplaced.empty());
  const Ctx ctx(profile.structure(), resolution, segments, profile.read_conditions(),
                edi_energy::profile::validate::parse_pakete(profile.ahb().packages));
  const std::vector<TruthCase> cases{
      {"[1]", nad_ms, Truth::False},  {"[1]", nad_mr, Truth::True},   {"[1]", std::nullopt, Truth::True},
      {"[2]", nad_ms, Truth::False},  {"[2]", nad_mr, Truth::True},
      {"[3]", v1_z98, Truth::False},  {"[3]", v1_z01, Truth::True},   {"[3]", v2_z98, Truth::False},
      {"[3]", std::nullopt, Truth::True},
      {"[4]", v1_z98, Truth::False},  {"[4]", std::nullopt, Truth::False}, {"[5]", v1_z01, Truth::False},
      {"[5]", v2_z98, Truth::True},   {"[6]", v1_cci, Truth::True},   {"[6]", v2_cci, Truth::False},
      {"[7]", v1_cci, Truth::True},   {"[7]", v2_cci, Truth::False},  {"[8]", v2_z98, Truth::True},
      {"[8]", nad_ms, Truth::False},
  };
  for (const TruthCase& c : cases) {
    const auto scope = c.scope ? resolution.placements[*c.scope]->instance : structure::root_instance;
    EXPECT_EQ(ctx.eval(*conditions::Expr::parse(c.expression), scope), c.expected)
        << c.expression << " in scope of " << c.scope.value_or(99);
  }
}

// A group named from inside a Vorgang is looked for in that Vorgang only, however the other
// ones fill it; a group nested in the row's own group, in that instance only.
constexpr std::string_view vorgang_conditions = R"({
  "1": "Wenn SG8 SEQ+Z01 vorhanden",
  "2": "Wenn kein SG8 SEQ+Z01 vorhanden",
  "3": "Wenn SG10 CCI+Z30 vorhanden",
  "4": "Wenn SG8 SEQ+Z98 zweimal vorhanden"})";

TEST(CtxNamedGroups, DecidedWithinTheRowsOwnVorgang) {
  const auto profile = validate_fixture::profile(validate_fixture::mig(),
                                                 validate_fixture::ahb("[]", vorgang_conditions));
  const auto segments = validate_fixture::message(named_message);
  const structure::Resolution resolution = profile.structure().resolve(segments);
  ASSERT_TRUE(resolution.unplaced.empty());
  const Ctx ctx(profile.structure(), resolution, segments, profile.read_conditions(),
                edi_energy::profile::validate::parse_pakete(profile.ahb().packages));
  constexpr std::size_t v1 = 4, v2 = 11;
  const std::vector<TruthCase> cases{
      {"[1]", v1, Truth::True},          {"[1]", v1_z98, Truth::False},    {"[1]", v1_z01, Truth::True},
      {"[1]", v2, Truth::False},         {"[1]", v2_z98, Truth::False},    {"[1]", v2_cci, Truth::False},
      {"[1]", std::nullopt, Truth::True},  {"[1]", nad_ms, Truth::True},   {"[2]", v2_cci, Truth::True},
      {"[2]", v1_cci, Truth::True},      {"[2]", v1, Truth::False},
      {"[3]", v1, Truth::True},          {"[3]", v1_z01, Truth::True},     {"[3]", v1_z98, Truth::False},
      {"[3]", v1_cci, Truth::False},     {"[3]", v2, Truth::False},        {"[4]", v1_cci, Truth::True},
      {"[4]", v2_z98, Truth::False},     {"[4]", std::nullopt, Truth::False},
  };
  for (const TruthCase& c : cases) {
    const auto scope = c.scope ? resolution.placements[*c.scope]->instance : structure::root_instance;
    EXPECT_EQ(ctx.eval(*conditions::Expr::parse(c.expression), scope), c.expected)
        << c.expression << " in scope of " << c.scope.value_or(99);
  }
}


// The fixture with one variant of SG2 per NAD qualifier and of SG8 per SEQ code, as the published
// MIGs write them.
std::string variant_mig() {
  std::string mig = validate_fixture::mig();
  const auto split = [&mig](std::string_view one_of_two, std::string_view first, std::string_view second) {
    const std::size_t at = mig.find(one_of_two);
    if (at == std::string::npos) {
      ADD_FAILURE() << "fixture changed";
      return;
    }
    const std::size_t group = mig.rfind("{\"group\"", at);
    std::size_t depth = 0;
    std::size_t end = group;
    for (; end < mig.size(); ++end) {
      if (mig[end] == '{') ++depth;
      if (mig[end] == '}' && --depth == 0) break;
    }
    const std::size_t length = end + 1 - group;
    std::string text = mig.substr(group, length);
    // One Zähler for the group and one for its trigger make the two groups variants of one.
    text.insert(text.find(',') + 1, R"("zaehler":"0900",)");
    const std::size_t trigger = text.find("{\"nr\"") + 1;
    text.insert(text.find(',', trigger) + 1, R"("zaehler":"0910",)");
    std::string left = text;
    std::string right = text;
    left.replace(left.find(one_of_two), one_of_two.size(), first);
    right.replace(right.find(one_of_two), one_of_two.size(), second);
    mig.replace(group, length, left + ",\n " + right);
  };
  split(R"("codes":[{"code":"MS","name":"a"},{"code":"MR","name":"b"}])", R"("codes":[{"code":"MS","name":"a"}])",
        R"("codes":[{"code":"MR","name":"b"}])");
  split(R"("codes":[{"code":"Z01","name":"a"},{"code":"Z98","name":"b"}])", R"("codes":[{"code":"Z01","name":"a"}])",
        R"("codes":[{"code":"Z98","name":"b"}])");
  return mig;
}

// A text that names another variant of the group around the row looks at every instance of the
// group (within the Vorgang); one that names the row's own variant, at the row's instance only.
TEST(CtxNamedGroups, AnotherVariantIsLookedForBeyondTheRowsInstance) {
  const auto profile = validate_fixture::profile(variant_mig(), validate_fixture::ahb("[]", named_conditions));
  const auto segments = validate_fixture::message(named_message);
  const structure::Resolution resolution = profile.structure().resolve(segments);
  ASSERT_TRUE(resolution.unplaced.empty());
  ASSERT_NE(resolution.placements[nad_ms]->node, resolution.placements[nad_mr]->node);
  const Ctx ctx(profile.structure(), resolution, segments, profile.read_conditions(),
                edi_energy::profile::validate::parse_pakete(profile.ahb().packages));
  const std::vector<TruthCase> cases{
      {"[1]", nad_ms, Truth::True},   {"[2]", nad_ms, Truth::False},  {"[3]", v1_z98, Truth::True},
      {"[3]", v1_cci, Truth::True},   {"[3]", v2_z98, Truth::False},  {"[4]", v1_z98, Truth::False},
      {"[5]", v1_z01, Truth::True},   {"[5]", v2_cci, Truth::True},   {"[8]", v1_z98, Truth::False},
      {"[8]", v2_z98, Truth::True},   {"[6]", v1_cci, Truth::True},
  };
  for (const TruthCase& c : cases) {
    const auto scope = c.scope ? resolution.placements[*c.scope]->instance : structure::root_instance;
    EXPECT_EQ(ctx.eval(*conditions::Expr::parse(c.expression), scope), c.expected)
        << c.expression << " in scope of " << c.scope.value_or(99);
  }
}

}  // namespace

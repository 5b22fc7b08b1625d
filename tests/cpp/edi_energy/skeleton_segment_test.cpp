#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "edi_energy/profile/conditions/voraussetzung.hpp"
#include "edi_energy/profile/formatbedingung/formatbedingung.hpp"
#include "edi_energy/profile/skeleton/generator.hpp"
#include "skeleton_fixture.hpp"

namespace {

namespace model = edi_energy::profile::model;
namespace skeleton = edi_energy::profile::skeleton;
using skeleton::KeySets;
using skeleton::Pin;

model::Element simple(std::string id, std::string status, std::optional<std::string> format = "an..35",
                      std::vector<std::string> codes = {}) {
  model::Element element{.id = std::move(id), .status = std::move(status), .format = std::move(format)};
  for (auto& code : codes) element.codes.push_back(model::Code{std::move(code), "c"});
  return element;
}

model::Element composite(std::string id, std::string status, std::vector<model::Element> components) {
  return model::Element{.id = std::move(id), .status = std::move(status), .components = std::move(components)};
}

model::SegmentNode layout(std::string tag, std::vector<model::Element> elements) {
  return model::SegmentNode{.nr = "00050", .tag = std::move(tag), .max = 1, .elements = std::move(elements)};
}

constexpr std::string_view conditions_json = R"({
  "12": "Wenn SG8 SEQ+Z01 vorhanden",
  "20": "Wenn in diesem RFF DE1154 = ABC/DEF vorhanden",
  "21": "Wenn in diesem DTM DE2005 = 137 vorhanden",
  "22": "Wenn in diesem RFF DE1154 ≠ ABC vorhanden",
  "23": "Wenn im DE3155 in demselben COM der Code EM vorhanden ist",
  "24": "Wenn im DE3155 in demselben COM der Code TE / FX vorhanden ist",
  "360": "Es sind nur Antwortcodes aus dem Cluster Zustimmung erlaubt"})";

struct SegmentCase {
  std::string_view name;
  model::SegmentNode node;
  std::string_view rules;  // element rules of segment 00050
  KeySets keys;
  std::optional<Pin> pin;
  std::string expected;
  std::optional<std::uint32_t> pid = 11001;
  skeleton::SkeletonParties parties = skeleton_fixture::parties;
};

KeySets with(std::initializer_list<const char*> forced, std::initializer_list<const char*> suppressed,
             std::size_t rotation = 0) {
  KeySets keys;
  for (const char* de : forced) keys.forced_elements.insert({"00050", de});
  for (const char* de : suppressed) keys.suppressed_elements.insert({"00050", de});
  for (const char* de : {"4000", "4001", "1153", "1154", "0001"}) {
    if (rotation != 0) keys.code_rotation[{"00050", de}] = rotation;
  }
  return keys;
}

std::string run(const SegmentCase& c) {
  const std::string pid = c.pid ? "\"pid\":" + std::to_string(*c.pid) + "," : "";
  const std::string anwendungsfall = "{" + pid + R"("name":"a","rows":[],"elements":)" + std::string(c.rules) + "}";
  const auto profile = validate_fixture::profile(skeleton_fixture::mini_mig(0, 1, 1),
                                                 skeleton_fixture::mini_ahb(anwendungsfall, conditions_json));
  std::vector<edifact::model::Segment> out;
  const skeleton::Generator generator(profile, profile.ahb().anwendungsfaelle.front(), c.parties, c.keys, out);
  const auto segment = generator.segment(c.node, c.pin ? &*c.pin : nullptr);
  return skeleton_fixture::render(std::span(&segment, 1));
}

constexpr std::string_view rotation_rule =
    R"([{"nr":"00050","de":"0001","operands":[{"operand":"X [12]","code":"Z01"},{"operand":"X","code":"Z02"}]}])";
constexpr std::string_view conditional_component =
    R"([{"nr":"00050","de":"4001","operands":[{"operand":"X [12]","code":"Z09"}]}])";

TEST(SegmentSynthesis, ValueSources) {
  const auto one = [](model::Element element) { return layout("TST", {std::move(element)}); };
  const auto optional_composite = [] {
    return layout("TST", {composite("C100", "C", {simple("4000", "M", "an..3"), simple("4001", "R", "an..3"),
                                                   simple("4002", "C", "an..3")})});
  };
  const std::vector<SegmentCase> cases{
      {"conditional element without rule stays empty", one(simple("0001", "C")), "[]", {}, {}, "TST'"},
      {"mandatory element takes the first MIG code", one(simple("0001", "M", "an..3", {"Z05", "Z06"})), "[]", {}, {},
       "TST+Z05'"},
      {"rotation walks the MIG codes", one(simple("0001", "M", "an..3", {"Z05", "Z06"})), "[]", with({}, {}, 3), {},
       "TST+Z06'"},
      {"mandatory element without codes gets a sample", one(simple("0001", "M", "an3")), "[]", {}, {}, "TST+XXX'"},
      {"unconditional code first", one(simple("0001", "C")), rotation_rule, {}, {}, "TST+Z02'"},
      {"rotation 1 reaches the conditional code", one(simple("0001", "C")), rotation_rule, with({}, {}, 1), {},
       "TST+Z01'"},
      {"rotation wraps", one(simple("0001", "C")), rotation_rule, with({}, {}, 2), {}, "TST+Z02'"},
      {"only conditional codes on an optional leaf: empty", one(simple("4001", "C")), conditional_component, {}, {},
       "TST'"},
      {"only conditional codes on a required leaf: taken", one(simple("4001", "M")), conditional_component, {}, {},
       "TST+Z09'"},
      {"optional composite with conditional component stays empty", optional_composite(), conditional_component, {},
       {}, "TST'"},
      {"pinned component fills the composite's M and R components", optional_composite(), conditional_component, {},
       Pin{"4001", 0, "Z09"}, "TST+X:Z09'"},
      {"pin beats suppression", one(simple("0001", "M", "an..3", {"Z05"})), "[]", with({}, {"0001"}),
       Pin{"0001", 0, "P1"}, "TST+P1'"},
      {"pin of another occurrence does not apply",
       layout("TST", {simple("0001", "C"), simple("0001", "C")}), "[]", {}, Pin{"0001", 1, "P1"}, "TST++P1'"},
      {"suppression beats forcing", one(simple("0001", "M", "an..3", {"Z05"})), "[]", with({"0001"}, {"0001"}), {},
       "TST'"},
      {"forced leaf takes a rule code, conditional ones included", one(simple("4001", "C")), conditional_component,
       with({"4001"}, {}), {}, "TST+Z09'"},
      {"forced leaf without rule takes a sample", one(simple("0001", "C", "n2")), "[]", with({"0001"}, {}), {},
       "TST+10'"},
      {"forced leaf whose id other rules name but not at its occurrence",
       layout("TST", {simple("0001", "C"), simple("0001", "C")}),
       R"([{"nr":"00050","de":"0001","operands":[{"operand":"X [12]","code":"Z01"}]}])", with({"0001"}, {}), {},
       "TST+Z01'"},
      {"trailing empty elements and components dropped",
       layout("TST", {simple("0001", "M", "an..3", {"A"}), composite("C1", "M", {simple("4000", "M", "an1"),
                                                                               simple("4002", "C")}),
                      simple("0003", "C")}),
       "[]", {}, {}, "TST+A+X'"},
      {"RFF reference in the qualifier's own element", layout("RFF", {composite("C506", "M", {
           simple("1153", "M", "an..3", {"Z13"}), simple("1154", "R")})}), "[]", {}, {}, "RFF+Z13:REF11001'"},
      {"pid text without Pruefidentifikator", layout("RFF", {composite("C506", "M", {
           simple("1153", "M", "an..3", {"Z13"}), simple("1154", "R")})}), "[]", {}, {}, "RFF+Z13:REF00000'",
       std::nullopt},
      {"reference under a qualifier element", layout("RFF", {simple("1153", "M", "an..3", {"Z13"}),
                                                            simple("1154", "M", "n5")}),
       "[]", {}, {}, "RFF+Z13+11001'"},
      {"reference fitted to a numeric format", layout("RFF", {simple("1153", "M", "an..3", {"ACW"}),
                                                             simple("1154", "M", "n5")}),
       "[]", {}, {}, "RFF+ACW+11001'"},
      {"code-less operand rejecting the sample takes the example",
       one(simple("0001", "C")), R"([{"nr":"00050","de":"0001","operands":[{"operand":"X [950]"}]}])", {}, {},
       "TST+41373559241'"},
      {"code-less operand the sample passes", one(simple("0074", "C", "n..6")),
       R"([{"nr":"00050","de":"0074","operands":[{"operand":"X [926]"}]}])", {}, {}, "TST+0'"},
      {"conditional code-less operand on an optional leaf", one(simple("0001", "C")),
       R"([{"nr":"00050","de":"0001","operands":[{"operand":"X [12]"}]}])", {}, {}, "TST'"},
      {"conditional code-less operand in a required composite: the segment's value is written",
       layout("DTM", {composite("C507", "M", {simple("2005", "M", "an..3", {"293"}), simple("2380", "C"),
                                              simple("2379", "C", "an..3", {"303"})})}),
       R"([{"nr":"00050","de":"2380","operands":[{"operand":"X [12]"}]}])", {}, {}, "DTM+293:202610010000+00'"},
      {"required composite whose codes all hang on the message takes the first",
       layout("CAV", {composite("C889", "M", {simple("7111", "C", "an..3"), simple("7110", "C")})}),
       R"([{"nr":"00050","de":"7111","operands":[{"operand":"X [12]","code":"BKE"},)"
       R"({"operand":"X [12]","code":"Z31"}]}])",
       {}, {}, "CAV+BKE'"},
      {"required composite with a value leaves its conditional codes out",
       layout("TST", {composite("C100", "M", {simple("4000", "M", "an..3"), simple("4001", "C", "an..3")})}),
       conditional_component, {}, {}, "TST+X'"},
      {"conditional code-less operand in an optional composite stays empty", optional_composite(),
       R"([{"nr":"00050","de":"4002","operands":[{"operand":"X [12]"}]}])", {}, {}, "TST'"},
      {"implied value from the chosen code's condition",
       layout("RFF", {composite("C506", "M", {simple("1153", "M", "an..3"), simple("1154", "C")})}),
       R"([{"nr":"00050","de":"1153","operands":[{"operand":"X [20]","code":"Z13"}]}])", {}, {}, "RFF+Z13:ABC'"},
      {"negated condition implies nothing",
       layout("RFF", {composite("C506", "M", {simple("1153", "M", "an..3"), simple("1154", "C")})}),
       R"([{"nr":"00050","de":"1153","operands":[{"operand":"X [22]","code":"Z13"}]}])", {}, {}, "RFF+Z13'"},
      {"condition on another segment implies nothing",
       layout("RFF", {composite("C506", "M", {simple("1153", "M", "an..3"), simple("2005", "C")})}),
       R"([{"nr":"00050","de":"1153","operands":[{"operand":"X [21]","code":"Z13"}]}])", {}, {}, "RFF+Z13'"},
      {"implied value never overwrites or fills a suppressed leaf",
       layout("RFF", {composite("C506", "M", {simple("1153", "M", "an..3"), simple("1154", "C")})}),
       R"([{"nr":"00050","de":"1153","operands":[{"operand":"X [20]","code":"Z13"}]}])", with({}, {"1154"}), {},
       "RFF+Z13'"},
  };
  for (const auto& c : cases) EXPECT_EQ(run(c), c.expected) << c.name;
}

// The code written into the same COM decides which contact format the sample must have.
TEST(SegmentSynthesis, ContactSampleFollowsTheCodeOfItsOwnSegment) {
  const auto com = layout("COM", {composite("C076", "M", {simple("3148", "M"), simple("3155", "M")})});
  const auto rules = [](std::string_view code) {
    return R"j([{"nr":"00050","de":"3148","operands":[{"operand":"X (([939] [23]) ∨ ([940] [24]))"}]},)j"
           R"j({"nr":"00050","de":"3155","operands":[{"operand":"X","code":")j" +
           std::string(code) + R"j("}]}])j";
  };
  const std::string mail(*edi_energy::profile::formatbedingung::example("939"));
  const std::string phone(*edi_energy::profile::formatbedingung::example("940"));
  for (const auto& [code, sample] : {std::pair{"EM", mail}, std::pair{"TE", phone}, std::pair{"FX", phone}}) {
    const std::string element_rules = rules(code);
    const SegmentCase c{"contact", com, element_rules, {}, {}, "COM+" + sample + ":" + code + "'"};
    EXPECT_EQ(run(c), c.expected) << code;
  }
}

// The records tell a Bestätigung from an Ablehnung; where they cannot, or no listed tree holds a
// code of that kind, the first tree's first fitting code stays.
TEST(SegmentSynthesis, SampleAnswerCodeIsOfTheAnswersKind) {
  const auto sts = layout("STS", {composite("C556", "M", {simple("9013", "M", "an..3"), simple("1131", "R", "an..17")})});
  const auto rules = [](std::string_view code_operand, std::string_view trees) {
    return R"([{"nr":"00050","de":"9013","operands":[{"operand":")" + std::string(code_operand) +
           R"("}]},{"nr":"00050","de":"1131","operands":[)" + std::string(trees) + "]}]";
  };
  const std::string both = rules("X", R"({"operand":"X","code":"E_0622"},{"operand":"X","code":"E_0623"})");
  const std::string vorpruefung_only = rules("X", R"({"operand":"X","code":"E_0622"})");
  const std::string zustimmung_asked = rules("X [360]", R"({"operand":"X","code":"E_0623"})");
  const std::vector<SegmentCase> cases{
      {"a Bestätigung passes the Vorprüfung, which only refuses", sts, both, {}, {}, "STS+A51:E_0623'", 55002},
      {"an Ablehnung keeps the first tree", sts, both, {}, {}, "STS+A07:E_0622'", 55003},
      {"one PID answering both ways", sts, both, {}, {}, "STS+A07:E_0622'", 55137},
      {"no tree agrees", sts, vorpruefung_only, {}, {}, "STS+A07:E_0622'", 55002},
      {"the cluster the column asks for wins", sts, zustimmung_asked, {}, {}, "STS+A51:E_0623'", 55003},
  };
  for (const auto& c : cases) EXPECT_EQ(run(c), c.expected) << c.name;
}

TEST(SegmentSynthesis, ImpliedValueConditionsReadAsExpected) {
  using edi_energy::profile::conditions::Voraussetzung;
  const auto read = Voraussetzung::parse("Wenn in diesem RFF DE1154 = ABC/DEF vorhanden");
  ASSERT_TRUE(read.has_value());
  const auto* value = std::get_if<Voraussetzung::DeValue>(&read->shape);
  ASSERT_NE(value, nullptr);
  EXPECT_EQ(value->tag, "RFF");
  EXPECT_FALSE(value->negated);
}

struct PartyCase {
  std::string sender;
  std::string qualifier;
  std::string expected;
};

TEST(SegmentSynthesis, PartiesAndAgencies) {
  const auto nad = layout("NAD", {simple("3035", "M", "an..3"),
                                  composite("C082", "M", {simple("3039", "M", "an..35"), simple("1131", "C"),
                                                          simple("3055", "M", "an..3")})});
  const std::vector<PartyCase> cases{
      {"9900000000003", "MS", "NAD+MS+9900000000003::293'"}, {"9800000000006", "MS", "NAD+MS+9800000000006::332'"},
      {"4000000000000", "MS", "NAD+MS+4000000000000::9'"},   {"12345", "MS", "NAD+MS+12345::293'"},
      {"4000000000000", "MR", "NAD+MR+9800000000006::332'"}, {"4000000000000", "DP", "NAD+DP+9900357000004::293'"},
      {"4000000000000", "MSX", "NAD+MSX+9900357000004::293'"},
  };
  for (const auto& [sender, qualifier, expected] : cases) {
    const std::string rules =
        R"([{"nr":"00050","de":"3035","operands":[{"operand":"X","code":")" + qualifier + "\"}]}]";
    SegmentCase c{"party", nad, rules, {}, {}, expected};
    c.parties = skeleton::SkeletonParties{sender, "9800000000006"};
    EXPECT_EQ(run(c), expected) << sender << ' ' << qualifier;
  }
}

struct DtmCase {
  std::string_view ahb_code;  // empty: no rule
  std::vector<std::string> mig_codes;
  std::string expected_value;
};

TEST(SegmentSynthesis, DateValueFollowsTheFormatCode) {
  const std::vector<DtmCase> cases{
      {"102", {"303"}, "20261001"},     {"", {"303", "102"}, "202610010000+00"}, {"", {}, "202610010000+00"},
      {"610", {}, "202610"},            {"802", {}, "2026"},                   {"106", {}, "1001"},
      {"203", {}, "202610010000"},      {"204", {}, "20261001000000"},         {"401", {}, "0000"},
      {"502", {}, "00000000"},          {"Z99", {}, "20261001"},               {"1020", {}, "20261001"},
  };
  for (const auto& c : cases) {
    const auto node = layout("DTM", {composite("C507", "M", {simple("2005", "M", "an..3", {"137"}),
                                                             simple("2380", "M", "an..35"),
                                                             simple("2379", "C", "an..3", c.mig_codes)})});
    const std::string rules =
        c.ahb_code.empty() ? "[]"
                           : R"([{"nr":"00050","de":"2379","operands":[{"operand":"X","code":")" + std::string(c.ahb_code) +
                                 "\"}]}]";
    const std::string rendered = run(SegmentCase{"dtm", node, rules, {}, {}, ""});
    EXPECT_TRUE(rendered.starts_with("DTM+137:" + c.expected_value)) << c.ahb_code << " gives " << rendered;
  }
  // Without a format element the value is written in format 303.
  const auto bare = layout("DTM", {composite("C507", "M", {simple("2005", "M", "an..3", {"137"}),
                                                           simple("2380", "M", "an..35")})});
  EXPECT_EQ(run(SegmentCase{"dtm", bare, "[]", {}, {}, ""}), "DTM+137:202610010000+00'");
}

TEST(SegmentSynthesis, MessageTrailerSample) {
  const auto unt = layout("UNT", {simple("0074", "M", "n..6"), simple("0062", "M", "an..14")});
  EXPECT_EQ(run(SegmentCase{"unt", unt, "[]", {}, {}, ""}), "UNT+0+1'");
}

struct FormatCase {
  std::string_view value;
  std::optional<std::string> format;
  std::string expected;
};

TEST(FitMigFormat, CutsPadsAndKeepsDigits) {
  const std::vector<FormatCase> cases{
      {"Musterstr. 1", "an..35", "Musterstr. 1"},
      {"X", "an3", "XXX"},
      {"A", "a3", "AXX"},
      {"1", "n3", "100"},
      {"12345", "n3", "123"},
      {"DE", "n13", "1000000000000"},
      {"10.00", "n..35", "1000"},
      {"10.00", "an..3", "10."},
      {"REF11001", "n5", "11001"},
      {"abc", std::nullopt, "abc"},
      {"abc", "", "abc"},
      {"abc", "an", "abc"},
      {"abc", "an..", "abc"},
      {"abc", "an+", "abc"},
      {"abc", "an..+2", "ab"},
      {"abc", "an+5", "abcXX"},
      {"abc", "an3x", "abc"},
      {"abc", "an99999999999999999999999", "abc"},
      {"abc", "an0", ""},
      {"abc", "an4096", std::string("abc") + std::string(4093, 'X')},
      {"abc", "an4097", "abc"},
      {"abc", "an18446744073709551615", "abc"},
      {"abc", "n", "1"},
      {"\xc3\xa4\xc3\xb6\xc3\xbc", "an..2", "\xc3\xa4\xc3\xb6"},
      {"\xc3\xa4", "an3", "\xc3\xa4XX"},
  };
  for (const auto& [value, format, expected] : cases) {
    EXPECT_EQ(skeleton::fit_mig_format(std::string(value), format), expected) << value << " / " << format.value_or("-");
  }
}

}  // namespace

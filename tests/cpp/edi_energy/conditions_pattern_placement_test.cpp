// Placing the codes of a condition's segment pattern where the MIG and the AHB lines put them.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "conditions_render.hpp"
#include "edi_energy/profile/conditions/pattern_placement.hpp"
#include "edi_energy/profile/conditions/read_conditions.hpp"

namespace {

namespace conditions = edi_energy::profile::conditions;
namespace model = edi_energy::profile::model;
using conditions::CodeSlot;
using conditions::SegmentCodes;
using conditions::SegmentPattern;
using conditions_test::render;

CodeSlot closed(std::size_t element, std::vector<std::string> codes) {
  return {element, 0, false, true, std::move(codes)};
}
CodeSlot open(std::size_t element, std::vector<std::string> named = {}) {
  return {element, 0, false, false, std::move(named)};
}
CodeSlot unused(std::size_t element) { return {element, 0, true, false, {}}; }

// Shaped like the MIG segments of UTILMD the texts speak of; codes sorted as segment_codes keeps them.
const std::vector<SegmentCodes> definitions{
    {"CCI", {closed(0, {"Z17", "Z19"}), unused(1), unused(2)}},
    {"CCI", {unused(0), unused(1), closed(2, {"E03"})}},
    {"IMD", {open(0), closed(1, {"Z36"}), closed(2, {"Z12", "Z13"})}},
    // Status der Antwort: the answer codes are open; AHB lines name some of them.
    {"STS", {closed(0, {"E01"}), unused(1), open(2, {"A04", "A08", "ZG2"})}},
    // Transaktionsgrund: E01 and E03 stand in the first and the third reason.
    {"STS", {closed(0, {"7"}), unused(1), closed(2, {"E01", "E03", "Z33"}), closed(3, {"ZAP", "ZW4"}),
             closed(4, {"E01", "E03"})}},
    {"PIA", {closed(0, {"5"}), open(1)}},
    {"QTY", {closed(0, {"220"})}},
    {"QTY", {unused(0), closed(1, {"220"})}},
    {"QTY", {unused(0), unused(1), closed(2, {"220"})}},
    // Code der Produkteigenschaft: one composite, whose value is the only open component.
    {"CAV", {closed(0, {"ZH9"}), {0, 1, true, false, {}}, {0, 2, true, false, {}}, {0, 3, false, false, {}}}},
    {"FTX", {closed(0, {"Z01"}), open(1), open(2)}},
};

TEST(PlacePattern, PutsEachCodeWhereTheMigNamesIt) {
  const std::pair<std::string_view, std::string_view> cases[] = {
      {"CCI+Z19", "CCI[Z19]"},                     // as written
      {"CCI+E03", "CCI[][][E03]"},                 // the qualifier of the third element
      {"CCI+++E03", "CCI[][][E03]"},
      {"IMD+Z36+Z13", "IMD[][Z36][Z13]"},          // past the open first element
      {"STS+E01+ZG2", "STS[E01][][ZG2]"},          // past the unused second element
      {"STS+E01++A08", "STS[E01][][A08]"},
      {"STS+E01++A99", "STS[E01][][A99]"},         // an open value where written
      {"STS+E01+Q12", "STS[E01][][Q12]"},          // named nowhere: past the element no message carries
      {"STS++Q12", "STS[][][Q12]"},
      {"STS+7+++Z33", "STS[7][][Z33][]"},
      {"STS+7++xxx+ZW4", "STS[7][][*][ZW4]"},
      {"STS+7++xxx+xxx+E01/E03", "STS[7][][*][*][E01/E03]"},
      {"PIA+5+1-b?:1.8.e", "PIA[5][1-b:1.8.e]"},  // placeholders stand where written
      {"CCI+Q99", "CCI[Q99]"},                     // named nowhere: as written
      {"IMD+Q99", "IMD[Q99]"},                     // an open value where written
      {"NAD+MS", "NAD[MS]"},                       // no definition of the tag
  };
  for (const auto& [token, placed] : cases) {
    const auto pattern = SegmentPattern::parse(token);
    ASSERT_TRUE(pattern.has_value()) << token;
    const auto result = conditions::place_pattern(*pattern, definitions);
    EXPECT_EQ(result ? render(*result) : "unplaced", placed) << token;
  }
}

TEST(PlacePattern, LeavesAPatternWhoseCodesCouldStandInSeveralPlacesUnplaced) {
  // E01 is a reason code twice over in the Transaktionsgrund; 220 stands in three QTY places;
  // Q12, named nowhere, is written past the last element in use, and the answer code may hold it.
  for (std::string_view token : {"STS+7+++++E01", "QTY+++++220", "STS+7++++++E03", "STS++++Q12"}) {
    const auto pattern = SegmentPattern::parse(token);
    ASSERT_TRUE(pattern.has_value()) << token;
    EXPECT_FALSE(conditions::place_pattern(*pattern, definitions).has_value()) << token;
  }
}

// A code the text names for a segment without its place goes to the one open value the segment
// has; with two, the reading is left unread.
TEST(PlaceReadings, PutsACodeNamedForASegmentInItsOneOpenValue) {
  const conditions::ConditionTexts texts{
      {"1", "Wenn in keinem SG8 SEQ+Z79 CCI+Z66/CAV+ZH9 (Code) der Code 9991000002933 vorhanden ist"},
      {"2", "Wenn SG4 FTX+Z01 (Bemerkung) der Code ABC vorhanden"},
  };
  auto read = conditions::read_conditions(texts);
  ASSERT_TRUE(read.at("2").voraussetzung.has_value());
  conditions::place_readings(read, definitions);
  ASSERT_TRUE(read.at("1").voraussetzung.has_value());
  const auto& chain = std::get<conditions::Voraussetzung::Present>(read.at("1").voraussetzung->shape);
  EXPECT_EQ(render(chain.chain.back()), "CAV[ZH9,*,*,9991000002933]");
  EXPECT_TRUE(chain.codes.empty());
  EXPECT_FALSE(read.at("2").voraussetzung.has_value());
}

TEST(SegmentCodes, AddTheCodesOfTheAhbLinesToTheirOccurrence) {
  const auto element = [](std::string id, std::string status, std::vector<std::string> codes) {
    model::Element e{std::move(id), "", std::move(status), std::nullopt, std::nullopt, {}, {}};
    for (auto& code : codes) e.codes.push_back({std::move(code), ""});
    return e;
  };
  model::Element reason{"C556", "", "D", std::nullopt, std::nullopt, {},
                        {element("9013", "M", {}), element("1131", "C", {})}};
  model::Element unused_status{"C555", "", "N", std::nullopt, std::nullopt, {}, {element("4405", "M", {})}};
  model::SegmentNode sts{"00013", "STS", "0250", "M", 1, "Status", {}, std::nullopt};
  sts.elements = {model::Element{"C601", "", "M", std::nullopt, std::nullopt, {}, {element("9015", "M", {"E01"})}},
                  unused_status, reason, reason};
  model::AhbProfile ahb;
  model::Anwendungsfall column;
  column.elements = {
      {"00013", "9013", {{"X", "A08"}, {"X", "A04"}}, 1},
      {"00013", "9013", {{"X", "A04"}}, 1},
      {"00013", "1131", {{"X", "E_0017"}}, 0},
      {"00013", "C601", {{"X", std::nullopt}}, 0},  // a composite names its components
      {"00099", "9013", {{"X", "Z99"}}, 0},  // no such segment
      {"00013", "9013", {{"X", "Z98"}}, 5},  // no such occurrence
  };
  ahb.anwendungsfaelle = {column};
  const std::vector<model::SegmentNode> nodes{sts};
  const auto codes = conditions::segment_codes(nodes, ahb);
  ASSERT_EQ(codes.size(), 1u);
  ASSERT_EQ(codes[0].slots.size(), 6u);
  const auto& slots = codes[0].slots;
  EXPECT_EQ(slots[0].codes, (std::vector<std::string>{"E01"}));
  EXPECT_TRUE(slots[0].closed);
  EXPECT_TRUE(slots[2].codes.empty());
  EXPECT_EQ(slots[3].codes, (std::vector<std::string>{"E_0017"}));
  EXPECT_FALSE(slots[3].closed);
  EXPECT_EQ(slots[4].codes, (std::vector<std::string>{"A04", "A08"}));
  EXPECT_EQ(slots[4].element, 3u);
  // No column names the first reason code nor the second list: no message carries a value there.
  const std::vector<bool> unused{false, true, true, false, false, true};
  for (std::size_t k = 0; k < slots.size(); ++k) EXPECT_EQ(slots[k].unused, unused[k]) << k;
}

TEST(PlaceReadings, UnreadsAReadingWithAPatternThatCannotBePlaced) {
  const conditions::ConditionTexts texts{
      {"1", "Wenn SG10 CCI+E03 vorhanden"},
      {"2", "Wenn SG4 STS+7+++++E01 vorhanden"},
      {"3", "Wenn SG10 CCI+E03 im Vorgang mehr als einmal vorhanden"},
      {"4", "Wenn in diesem STS DE9013 = A04"},
      {"5", "Wenn in derselben SG10 das CCI+E03 im CCI+Z17 vorhanden"},
  };
  auto read = conditions::read_conditions(texts);
  conditions::place_readings(read, definitions);
  ASSERT_TRUE(read.at("1").voraussetzung.has_value());
  EXPECT_EQ(render(*read.at("1").voraussetzung), "present CCI[][][E03] in SG10");
  EXPECT_FALSE(read.at("2").voraussetzung.has_value());
  ASSERT_TRUE(read.at("3").voraussetzung.has_value());
  EXPECT_EQ(render(*read.at("3").voraussetzung), "CCI[][][E03] more than 1 in SG4");
  EXPECT_EQ(read.at("4").voraussetzung, conditions::Voraussetzung::parse(texts.at("4")));
  ASSERT_TRUE(read.at("5").voraussetzung.has_value());
  const auto& paired = std::get<conditions::Voraussetzung::Present>(read.at("5").voraussetzung->shape);
  ASSERT_EQ(paired.companions.size(), 1u);
  EXPECT_EQ(render(paired.companions[0]), "CCI[][][E03]");
}

}  // namespace

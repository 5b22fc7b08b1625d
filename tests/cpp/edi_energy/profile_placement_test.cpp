#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include <fmt/format.h>
#include <fmt/ranges.h>

#include "edi_energy/profile/structure.hpp"
#include "validate_fixture.hpp"

namespace {

namespace model = edi_energy::profile::model;
namespace structure = edi_energy::profile::structure;
using edifact::model::Segment;
using structure::Structure;

model::Element qualifier(std::vector<std::string> codes, std::string status = "M") {
  model::Element element{.id = "1000", .status = std::move(status)};
  for (std::string& code : codes) element.codes.push_back(model::Code{std::move(code), ""});
  return element;
}

// The nr doubles as the node's name in the expectations.
model::Node segment(std::string nr, std::vector<std::string> codes = {}, std::uint32_t max = 1) {
  model::SegmentNode node{.nr = nr, .tag = nr.substr(0, 3), .status = "M", .max = max};
  if (!codes.empty()) node.elements.push_back(qualifier(std::move(codes)));
  return model::Node{std::move(node)};
}

model::Node group(std::string name, std::uint32_t max, std::vector<model::Node> children) {
  return model::Node{model::GroupNode{.group = std::move(name), .status = "D", .max = max, .children = std::move(children)}};
}

Structure compiled(std::vector<model::Node> nodes) {
  model::MigProfile mig;
  mig.structure = std::move(nodes);
  return Structure::compile(mig);
}

using validate_fixture::message;

// Per segment: the nr of its node, "@instance" outside the root, "*occurrence" after the first;
// "!" when unplaced.
std::string shown_placements(const Structure& compiled_structure, const structure::Resolution& resolution) {
  std::vector<std::string> parts;
  for (const auto& placement : resolution.placements) {
    if (!placement) {
      parts.emplace_back("!");
      continue;
    }
    std::string part = compiled_structure.nodes[placement->node].segment()->nr;
    if (placement->instance != structure::root_instance) part += fmt::format("@{}", placement->instance);
    if (placement->occurrence > 0) part += fmt::format("*{}", placement->occurrence);
    parts.push_back(std::move(part));
  }
  return fmt::format("{}", fmt::join(parts, " "));
}

// Per group instance: "index:group(parent)[start,end)".
std::string shown_instances(const Structure& compiled_structure, const structure::Resolution& resolution) {
  std::vector<std::string> parts;
  for (std::size_t index = 1; index < resolution.instances.size(); ++index) {
    const structure::Instance& instance = resolution.instances[index];
    parts.push_back(fmt::format("{}:{}({})[{},{})", index, compiled_structure.nodes[*instance.node].group()->group,
                                *instance.parent, instance.start, instance.end));
  }
  return fmt::format("{}", fmt::join(parts, " "));
}

// A UTILMD-like tree: party groups, then transactions with nested groups.
const Structure& utilmd() {
  static const Structure compiled_structure = compiled({
      segment("UNH"), segment("BGM"), segment("DTM-137", {"137"}),
      group("SG2", 99, {segment("NAD-SG2", {"MS", "MR"}), group("SG3", 9, {segment("CTA"), segment("COM", {}, 5)})}),
      group("SG4", 99999,
            {segment("IDE", {"24"}), segment("DTM-SG4", {"92", "93"}), group("SG5", 99, {segment("LOC", {"Z16", "Z17"})}),
             group("SG12", 99, {segment("NAD-SG12", {"Z09", "Z04"})}), segment("FTX-SG4", {}, 5)}),
      segment("FTX"), segment("UNT"),
  });
  return compiled_structure;
}

// An MSCONS-like tree: three levels of repeated groups below the delivery point.
const Structure& mscons() {
  static const Structure compiled_structure = compiled({
      segment("UNH"), segment("BGM"), segment("DTM-137", {"137"}),
      group("SG1", 2, {segment("RFF", {"Z13"}), segment("DTM-SG1", {"171"})}),
      group("SG2", 99, {segment("NAD-SG2", {"MS", "MR"}), group("SG4", 5, {segment("CTA"), segment("COM", {}, 5)})}),
      segment("UNS"),
      group("SG5", 99999,
            {segment("NAD-SG5", {"DP"}),
             group("SG6", 99999,
                   {segment("LOC", {"172"}), segment("DTM-SG6", {"163", "164"}, 9),
                    group("SG9", 99999,
                          {segment("LIN"), segment("PIA"),
                           group("SG10", 99999, {segment("QTY"), segment("DTM-SG10", {"163", "164", "306"}, 9)})})})}),
      segment("UNT"),
  });
  return compiled_structure;
}

// Groups that can never be entered, and a qualifier that must be present.
const Structure& odd_groups() {
  static const Structure compiled_structure = [] {
    model::Node required_rff = segment("RFF-SG1", {"Z13"});
    model::Node optional_rff = segment("RFF", {"Z13"});
    std::get<model::SegmentNode>(optional_rff.kind).elements[0].status = "O";
    return compiled({segment("UNH"), group("SG8", 9, {}), group("SG9", 9, {group("SG10", 9, {segment("BGM")})}),
                     group("SG1", 1, {std::move(required_rff)}), std::move(optional_rff)});
  }();
  return compiled_structure;
}

// The pass ends once the last top-level group has reached its max.
const Structure& ends_with_group() {
  static const Structure compiled_structure = compiled({segment("UNH"), group("SG1", 1, {segment("RFF")})});
  return compiled_structure;
}

// Qualifier variants of one group (same group id and Zähler, triggers of one tag and Zähler),
// beside a group of the same id that the MIG counts apart.
model::Node variant(std::string name, std::uint32_t max, std::vector<model::Node> children,
                    std::string zaehler = "0570") {
  std::get<model::SegmentNode>(children.front().kind).zaehler = "0580";
  model::Node node = group(std::move(name), max, std::move(children));
  std::get<model::GroupNode>(node.kind).zaehler = std::move(zaehler);
  return node;
}

const Structure& variants() {
  static const Structure compiled_structure = compiled({
      segment("UNH"), segment("BGM"),
      group("SG4", 99999,
            {segment("IDE", {"24"}), variant("SG12", 99, {segment("NAD-Z09", {"Z09"}), segment("RFF-Z09", {"Z46"})}),
             variant("SG12", 99, {segment("NAD-Z04", {"Z04"}), segment("RFF-Z04", {"Z46"})}),
             variant("SG12", 1, {segment("NAD-VY", {"VY"})}),
             variant("SG12", 9, {segment("NAD-DP", {"DP"})}, "0590")}),
      segment("UNT"),
  });
  return compiled_structure;
}

model::Node counted(model::Node node, std::string zaehler) {
  std::get<model::SegmentNode>(node.kind).zaehler = std::move(zaehler);
  return node;
}

// Qualifier variants of one segment position (one tag and Zähler) at the top and inside a group,
// where the group's trigger shares the Zähler of its variants but opens every instance.
const Structure& dated() {
  static const Structure compiled_structure = compiled({
      segment("UNH"), segment("BGM"), counted(segment("DTM-137", {"137"}), "0030"),
      counted(segment("DTM-472", {"472"}), "0030"), counted(segment("DTM-203", {"203"}), "0030"),
      counted(segment("DTM-469", {"469", "292"}), "0030"), counted(segment("DTM-Z01", {"Z01"}), "0040"),
      group("SG1", 9,
            {counted(segment("RFF-ON", {"ON"}), "0100"), counted(segment("RFF-Z13", {"Z13"}), "0100"),
             counted(segment("DTM-171", {"171"}), "0110"), counted(segment("DTM-Z02", {"Z02"}), "0110")}),
      segment("UNT"),
  });
  return compiled_structure;
}

// Codes at one component of a composite, nothing at the others; no codes: free text.
model::Element composite(std::vector<std::vector<std::string>> codes, std::string status = "C") {
  model::Element element{.id = "C889", .status = std::move(status)};
  for (auto& component_codes : codes) {
    model::Element component = qualifier(std::move(component_codes), "C");
    element.components.push_back(std::move(component));
  }
  return element;
}

model::Node coded(std::string nr, std::vector<model::Element> elements) {
  model::SegmentNode node{.nr = nr, .tag = nr.substr(0, 3), .status = "D", .max = 1};
  node.elements = std::move(elements);
  return model::Node{std::move(node)};
}

// Characteristics whose class sits either in the first element or in the third, and values whose
// code sits either in the first or in the fourth component, as the gas MIG has them.
const Structure& characteristics() {
  static const Structure compiled_structure = compiled({
      segment("UNH"),
      group("SG8", 99999,
            {segment("SEQ"),
             group("SG10", 1, {coded("CCI-MARKTGEBIET", {qualifier({"Z21"}, "C"), composite({{}}), composite({{}})})}),
             group("SG10", 1,
                   {coded("CCI-DRUCK", {qualifier({}, "C"), composite({{}}), composite({{"Y01"}})}),
                    coded("CAV-DRUCK", {composite({{"Y01", "Y02"}, {}, {}, {}})})}),
             group("SG10", 1, {coded("CCI-PROGNOSE", {qualifier({}, "C"), composite({{}}), composite({{"ZC0"}})})}),
             group("SG10", 1,
                   {coded("CCI-ZAEHLER", {qualifier({}, "C"), composite({{}}), composite({{"E13"}})}),
                    coded("CAV-TYP", {composite({{"NMG", "DKZ"}, {}, {}, {}})}),
                    coded("CAV-GROESSE", {composite({{}, {}, {}, {"G4", "G6"}})}),
                    coded("CAV-NUMMER", {composite({{"Z30"}, {}, {}, {}})}),
                    coded("CAV-ERFASSUNG", {composite({{"ZC0"}, {}, {}, {"Z16"}})})}),
             group("SG10", 1, {coded("CCI-UMWERTER", {qualifier({}, "C"), composite({{}}), composite({{"Z64"}})}),
                               coded("CAV-VOLUMEN", {composite({{"ZC0"}, {}, {}, {"Z17"}})})})}),
      segment("UNT"),
  });
  return compiled_structure;
}

struct PlacementCase {
  std::string name;
  const Structure& (*tree)();
  std::string message;
  std::string placements;
  std::string instances;
};

// Checks that a resolution is one consistent tree over the segments, whatever they were.
void expect_consistent(const Structure& compiled_structure, std::span<const Segment> segments,
                       const structure::Resolution& resolution) {
  ASSERT_EQ(resolution.placements.size(), segments.size());
  ASSERT_FALSE(resolution.instances.empty());
  EXPECT_EQ(resolution.instances[0].end, segments.size());
  EXPECT_TRUE(std::ranges::is_sorted(resolution.unplaced) &&
              std::ranges::adjacent_find(resolution.unplaced) == resolution.unplaced.end());
  for (std::size_t position = 0; position < segments.size(); ++position) {
    const auto& placement = resolution.placements[position];
    EXPECT_NE(placement.has_value(), std::ranges::binary_search(resolution.unplaced, position)) << position;
    if (!placement) continue;
    const structure::SNode& node = compiled_structure.nodes[placement->node];
    const structure::Instance& instance = resolution.instances.at(placement->instance);
    EXPECT_EQ(node.segment()->tag, segments[position].tag());
    EXPECT_EQ(node.parent, instance.node) << position;
    EXPECT_TRUE(std::ranges::binary_search(instance.segments, position)) << position;
    EXPECT_TRUE(instance.start <= position && position < instance.end) << position;
    const auto earlier = std::ranges::count_if(instance.segments, [&](std::size_t other) {
      return other < position && resolution.placements[other]->node == placement->node;
    });
    EXPECT_EQ(placement->occurrence, static_cast<std::uint32_t>(earlier)) << position;
  }
  for (std::size_t index = 1; index < resolution.instances.size(); ++index) {
    const structure::Instance& instance = resolution.instances[index];
    const structure::Instance& parent = resolution.instances.at(*instance.parent);
    EXPECT_LT(*instance.parent, index);
    EXPECT_EQ(std::ranges::count(parent.children, index), 1);
    EXPECT_TRUE(parent.start <= instance.start && instance.start < instance.end && instance.end <= parent.end) << index;
    // The trigger opens the instance.
    EXPECT_EQ(resolution.placements[instance.start]->instance, index);
    EXPECT_EQ(resolution.placements[instance.start]->node, compiled_structure.nodes[*instance.node].children.front());
  }
}

class PlacementTest : public testing::TestWithParam<PlacementCase> {};

TEST_P(PlacementTest, PlacesSegmentsIntoGroupInstances) {
  const Structure& compiled_structure = GetParam().tree();
  const std::vector<Segment> segments = message(GetParam().message);
  const structure::Resolution resolution = compiled_structure.resolve(segments);
  EXPECT_EQ(shown_placements(compiled_structure, resolution), GetParam().placements);
  EXPECT_EQ(shown_instances(compiled_structure, resolution), GetParam().instances);
  expect_consistent(compiled_structure, segments, resolution);
}

const PlacementCase placement_cases[] = {
    {"utilmd_in_order", utilmd,
     "UNH+1+UTILMD'BGM+E01'DTM+137'NAD+MS'CTA+IC'COM+1'NAD+MR'IDE+24'DTM+92'LOC+Z16'NAD+Z09'UNT+12+1",
     "UNH BGM DTM-137 NAD-SG2@1 CTA@2 COM@2 NAD-SG2@3 IDE@4 DTM-SG4@4 LOC@5 NAD-SG12@6 UNT",
     "1:SG2(0)[3,6) 2:SG3(1)[4,6) 3:SG2(0)[6,7) 4:SG4(0)[7,11) 5:SG5(4)[9,10) 6:SG12(4)[10,11)"},
    {"repeated_transactions_and_trigger_within_group", utilmd,
     "UNH'BGM'IDE+24'LOC+Z16'LOC+Z17'IDE+24'NAD+Z04'NAD+Z09'UNT",
     "UNH BGM IDE@1 LOC@2 LOC@3 IDE@4 NAD-SG12@5 NAD-SG12@6 UNT",
     "1:SG4(0)[2,5) 2:SG5(1)[3,4) 3:SG5(1)[4,5) 4:SG4(0)[5,8) 5:SG12(4)[6,7) 6:SG12(4)[7,8)"},
    {"unknown_qualifier_goes_to_first_node_reached", utilmd, "UNH'BGM'NAD+XX'IDE+24'NAD+XX'UNT",
     "UNH BGM NAD-SG2@1 IDE@2 NAD-SG12@3 UNT", "1:SG2(0)[2,3) 2:SG4(0)[3,5) 3:SG12(2)[4,5)"},
    {"qualifier_of_other_group_is_refused", utilmd, "UNH'BGM'NAD+MS'CTA'NAD+Z09'UNT",
     "UNH BGM NAD-SG2@1 CTA@2 ! UNT", "1:SG2(0)[2,5) 2:SG3(1)[3,5)"},
    {"current_node_repeats_before_later_or_enclosing_nodes", utilmd, "UNH'BGM'IDE+24'FTX'FTX'UNT",
     "UNH BGM IDE@1 FTX-SG4@1 FTX-SG4@1*1 UNT", "1:SG4(0)[2,5)"},
    {"top_level_segment_beyond_its_max", utilmd, "UNH'BGM'BGM'BGM'UNT", "UNH BGM BGM*1 BGM*2 UNT", ""},
    {"earlier_segment_is_unplaced_and_group_stays_open", utilmd, "UNH'BGM'DTM+137'NAD+MS'BGM'NAD+MR'UNT",
     "UNH BGM DTM-137 NAD-SG2@1 ! NAD-SG2@2 UNT", "1:SG2(0)[3,5) 2:SG2(0)[5,6)"},
    {"segments_after_unt", utilmd, "UNH'BGM'UNT'BGM'UNH'UNT", "UNH BGM UNT ! ! UNT*1", ""},
    {"empty_message", utilmd, "", "", ""},
    {"mscons_nested_repetitions", mscons,
     "UNH+1'BGM+7'DTM+137'RFF+Z13'NAD+MS'NAD+MR'UNS+D'NAD+DP'LOC+172'DTM+163'DTM+164'LIN+1'PIA+5'QTY+220'DTM+163'"
     "DTM+164'QTY+220'DTM+163'DTM+164'LOC+172'LIN+1'QTY+220'UNT",
     "UNH BGM DTM-137 RFF@1 NAD-SG2@2 NAD-SG2@3 UNS NAD-SG5@4 LOC@5 DTM-SG6@5 DTM-SG6@5*1 LIN@6 PIA@6 QTY@7 "
     "DTM-SG10@7 DTM-SG10@7*1 QTY@8 DTM-SG10@8 DTM-SG10@8*1 LOC@9 LIN@10 QTY@11 UNT",
     "1:SG1(0)[3,4) 2:SG2(0)[4,5) 3:SG2(0)[5,6) 4:SG5(0)[7,22) 5:SG6(4)[8,19) 6:SG9(5)[11,19) 7:SG10(6)[13,16) "
     "8:SG10(6)[16,19) 9:SG6(4)[19,22) 10:SG9(9)[20,22) 11:SG10(10)[21,22)"},
    {"qualifier_of_later_group_closes_the_current_one", mscons, "UNH'BGM'DTM+137'NAD+MS'CTA'NAD+DP'LOC+172'UNT",
     "UNH BGM DTM-137 NAD-SG2@1 CTA@2 NAD-SG5@3 LOC@4 UNT", "1:SG2(0)[3,5) 2:SG4(1)[4,5) 3:SG5(0)[5,7) 4:SG6(3)[6,7)"},
    {"group_beyond_its_max_leaves_its_would_be_instance_unplaced", mscons,
     "UNH'BGM'DTM+137'RFF+Z13'RFF+Z13'RFF+Z13'DTM+171'NAD+MS'UNT",
     "UNH BGM DTM-137 RFF@1 RFF@2 ! ! NAD-SG2@3 UNT", "1:SG1(0)[3,4) 2:SG1(0)[4,5) 3:SG2(0)[7,8)"},
    {"groups_without_segment_trigger_are_never_entered", odd_groups, "UNH'BGM'RFF+Z13", "UNH ! RFF-SG1@1",
     "1:SG1(0)[2,3)"},
    {"required_qualifier_refuses_an_empty_value", odd_groups, "UNH'RFF+:1", "UNH RFF", ""},
    {"required_qualifier_with_value", odd_groups, "UNH'RFF+Z13", "UNH RFF-SG1@1", "1:SG1(0)[1,2)"},
    {"pass_that_ends_early_leaves_the_rest_unplaced", ends_with_group, "UNH'BGM'RFF'RFF'BGM", "UNH ! RFF@1 ! !",
     "1:SG1(0)[2,3)"},
    {"variants_repeat_in_any_order", variants,
     "UNH'BGM'IDE+24'NAD+Z09'RFF+Z46:1'NAD+Z04'RFF+Z46:1'NAD+Z09'RFF+Z46:2'NAD+Z04'RFF+Z46:2'NAD+VY'NAD+Z09'UNT",
     "UNH BGM IDE@1 NAD-Z09@2 RFF-Z09@2 NAD-Z04@3 RFF-Z04@3 NAD-Z09@4 RFF-Z09@4 NAD-Z04@5 RFF-Z04@5 NAD-VY@6 "
     "NAD-Z09@7 UNT",
     "1:SG4(0)[2,13) 2:SG12(1)[3,5) 3:SG12(1)[5,7) 4:SG12(1)[7,9) 5:SG12(1)[9,11) 6:SG12(1)[11,12) 7:SG12(1)[12,13)"},
    // As for any group beyond its max: the trigger and the rest of its would-be instance.
    {"variant_beyond_its_max_stays_unplaced", variants, "UNH'BGM'IDE+24'NAD+VY'NAD+Z09'NAD+VY'RFF+Z46'UNT",
     "UNH BGM IDE@1 NAD-VY@2 NAD-Z09@3 ! ! UNT", "1:SG4(0)[2,7) 2:SG12(1)[3,4) 3:SG12(1)[4,5)"},
    {"group_of_another_zaehler_keeps_its_place", variants, "UNH'BGM'IDE+24'NAD+DP'NAD+Z09'RFF+Z46'UNT",
     "UNH BGM IDE@1 NAD-DP@2 ! ! UNT", "1:SG4(0)[2,6) 2:SG12(1)[3,4)"},
    {"segment_variants_stand_in_any_order", dated, "UNH'BGM'DTM+137'DTM+469'DTM+203'DTM+472'DTM+Z01'UNT",
     "UNH BGM DTM-137 DTM-469 DTM-203 DTM-472 DTM-Z01 UNT", ""},
    // A variant repeated in a row is taken and counted, for the engine to report beyond its max;
    // one come back to beyond its max is unplaced, as a group variant is.
    {"segment_variant_beyond_its_max", dated, "UNH'DTM+469'DTM+469'DTM+472'DTM+469'DTM+472'UNT",
     "UNH DTM-469 DTM-469*1 DTM-472 ! DTM-472*1 UNT", ""},
    {"segment_of_another_zaehler_keeps_its_place", dated, "UNH'DTM+Z01'DTM+472'UNT", "UNH DTM-Z01 ! UNT", ""},
    {"segment_variants_in_a_group_count_per_instance", dated,
     "UNH'RFF+ON'DTM+Z02'DTM+171'RFF+ON'DTM+Z02'DTM+171'DTM+Z02'UNT",
     "UNH RFF-ON@1 DTM-Z02@1 DTM-171@1 RFF-ON@2 DTM-Z02@2 DTM-171@2 ! UNT", "1:SG1(0)[1,4) 2:SG1(0)[4,8)"},
    // The trigger opens the next instance, never takes its variant's place in this one.
    {"trigger_is_no_variant", dated, "UNH'RFF+ON'RFF+Z13'RFF+ON'UNT", "UNH RFF-ON@1 RFF-Z13@1 RFF-ON@2 UNT",
     "1:SG1(0)[1,3) 2:SG1(0)[3,4)"},
    {"empty_code_position_yields_to_a_place_the_values_match", characteristics,
     "UNH'SEQ'CCI+++E13'CAV+NMG'CAV+:::G4'CAV+Z30:::12345'CAV+ZC0:::Z16'UNT",
     "UNH SEQ@1 CCI-ZAEHLER@2 CAV-TYP@2 CAV-GROESSE@2 CAV-NUMMER@2 CAV-ERFASSUNG@2 UNT",
     "1:SG8(0)[1,7) 2:SG10(1)[2,7)"},
    {"empty_class_yields_to_the_group_whose_class_matches", characteristics, "UNH'SEQ'CCI+++Y01'CAV+Y01'UNT",
     "UNH SEQ@1 CCI-DRUCK@2 CAV-DRUCK@2 UNT", "1:SG8(0)[1,4) 2:SG10(1)[2,4)"},
    {"without_a_matching_place_the_first_fit_keeps_the_segment", characteristics,
     "UNH'SEQ'CCI+++E13'CAV+NMG'CAV+:::XX'CCI+++XX'UNT",
     "UNH SEQ@1 CCI-ZAEHLER@2 CAV-TYP@2 CAV-TYP@2*1 CCI-UMWERTER@3 UNT", "1:SG8(0)[1,6) 2:SG10(1)[2,5) 3:SG10(1)[5,6)"},
};

INSTANTIATE_TEST_SUITE_P(Placement, PlacementTest, testing::ValuesIn(placement_cases),
                         [](const auto& info) { return info.param.name; });

TEST(Placement, AnyOrderOfSegmentsGivesAConsistentResolution) {
  const std::vector<std::string_view> pool{"UNH",     "BGM",     "DTM+137", "RFF+Z13", "DTM+171", "NAD+MS", "NAD+MR",
                                           "NAD+DP",  "NAD+XX",  "CTA",     "COM",     "UNS",     "LOC+172", "DTM+163",
                                           "DTM+306", "LIN",     "PIA",     "QTY",     "UNT",     "FTX",     "DTM"};
  std::mt19937 random(20260401);
  for (int round = 0; round < 200; ++round) {
    std::string text;
    const std::size_t length = random() % 400;
    for (std::size_t index = 0; index < length; ++index) text += fmt::format("{}'", pool[random() % pool.size()]);
    const std::vector<Segment> segments = message(text);
    const structure::Resolution resolution = mscons().resolve(segments);
    expect_consistent(mscons(), segments, resolution);
    if (testing::Test::HasFailure()) {
      ADD_FAILURE() << text;
      return;
    }
  }
}

// Coming back to earlier group and segment variants and passing over weakly fitting nodes keep the result
// one consistent tree.
TEST(Placement, AnyOrderOverVariantsAndCodeTestsGivesAConsistentResolution) {
  const std::vector<std::string_view> pool{
      "UNH",      "BGM",       "IDE+24",    "NAD+Z09",   "NAD+Z04",       "NAD+VY",       "NAD+DP",
      "NAD+XX",   "RFF+Z46",   "SEQ",       "CCI+Z21",   "CCI+++Y01",     "CCI+++E13",    "CCI+++Z64",
      "CAV+NMG",  "CAV+:::G4", "CAV+Z30:::1", "CAV+ZC0:::Z16", "CAV+ZC0:::Z17", "CAV+Y01", "CAV+:::XX", "UNT",
      "DTM+137",  "DTM+472",   "DTM+469",   "DTM+Z01",   "DTM+171",       "DTM+Z02",      "RFF+ON",
      "RFF+Z13"};
  std::mt19937 random(20261001);
  for (const Structure* tree : {&variants(), &characteristics(), &dated()}) {
    for (int round = 0; round < 200; ++round) {
      std::string text;
      const std::size_t length = random() % 300;
      for (std::size_t index = 0; index < length; ++index) text += fmt::format("{}'", pool[random() % pool.size()]);
      const std::vector<Segment> segments = message(text);
      expect_consistent(*tree, segments, tree->resolve(segments));
      if (testing::Test::HasFailure()) {
        ADD_FAILURE() << text;
        return;
      }
    }
  }
}

}  // namespace

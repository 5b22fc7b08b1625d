#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include <fmt/format.h>
#include <fmt/ranges.h>

#include "edi_energy/profile/structure.hpp"
#include "edifact/model/segment_builder.hpp"

namespace {

namespace model = edi_energy::profile::model;
namespace structure = edi_energy::profile::structure;
using structure::Structure;

model::Element simple(std::string status, std::vector<std::string> codes = {}) {
  model::Element element{.id = "1000", .status = std::move(status)};
  for (std::string& code : codes) element.codes.push_back(model::Code{std::move(code), ""});
  return element;
}

model::Element composite(std::string status, std::vector<model::Element> components) {
  return model::Element{.id = "C000", .status = std::move(status), .components = std::move(components)};
}

model::Node segment(std::string nr, std::string tag, std::vector<model::Element> elements = {}, std::uint32_t max = 1) {
  return model::Node{model::SegmentNode{
      .nr = std::move(nr), .tag = std::move(tag), .status = "M", .max = max, .name = "", .elements = std::move(elements)}};
}

model::Node group(std::string name, std::uint32_t max, std::vector<model::Node> children) {
  return model::Node{model::GroupNode{
      .group = std::move(name), .status = "D", .max = max, .name = "", .children = std::move(children)}};
}

Structure compiled(std::vector<model::Node> nodes) {
  model::MigProfile mig;
  mig.structure = std::move(nodes);
  return Structure::compile(mig);
}

// "0.2:303|102 not 137 required": position, allowed codes (or "absent"), excluded, required.
std::string shown(const std::vector<structure::Discriminator>& tests) {
  std::vector<std::string> parts;
  for (const structure::Discriminator& test : tests) {
    std::string part = fmt::format("{}.{}:{}", test.element, test.component,
                                   test.absent ? std::string("absent") : fmt::format("{}", fmt::join(test.allowed, "|")));
    if (!test.excluded.empty()) part += fmt::format(" not {}", fmt::join(test.excluded, "|"));
    if (test.required) part += " required";
    parts.push_back(std::move(part));
  }
  return fmt::format("{}", fmt::join(parts, "; "));
}

std::string discriminators_of(const Structure& compiled_structure, const std::string& nr) {
  auto found = compiled_structure.nr_index.find(nr);
  if (found == compiled_structure.nr_index.end()) return "no such nr";
  return shown(compiled_structure.nodes[found->second].segment()->discriminators);
}

TEST(StructureCompile, NestedGroupsInPreOrder) {
  const Structure compiled_structure = compiled({
      segment("00001", "UNH"),
      group("SG2", 99, {segment("00002", "NAD"), group("SG3", 5, {segment("00003", "CTA"), segment("00004", "COM", {}, 5)})}),
      segment("00005", "UNT"),
  });
  ASSERT_EQ(compiled_structure.nodes.size(), 7u);
  EXPECT_EQ(compiled_structure.roots, (std::vector<structure::NodeIndex>{0, 1, 6}));
  EXPECT_EQ(compiled_structure.nodes[1].children, (std::vector<structure::NodeIndex>{2, 3}));
  EXPECT_EQ(compiled_structure.nodes[3].children, (std::vector<structure::NodeIndex>{4, 5}));
  EXPECT_EQ(compiled_structure.nodes[3].max, 5u);
  EXPECT_EQ(compiled_structure.nodes[3].parent, std::optional<structure::NodeIndex>(1));
  EXPECT_EQ(compiled_structure.nodes[4].parent, std::optional<structure::NodeIndex>(3));
  EXPECT_EQ(compiled_structure.nodes[0].parent, std::nullopt);
  // Definitions are numbered in the order the segment nodes were made.
  EXPECT_EQ(compiled_structure.segment_defs.size(), 5u);
  EXPECT_EQ(compiled_structure.nodes[5].segment()->def, 3u);
  EXPECT_EQ(compiled_structure.segment_defs[3].tag, "COM");
  EXPECT_EQ(compiled_structure.nr_index.at("00004"), 5u);
}

TEST(StructureCompile, LaterSegmentWinsASharedNumber) {
  const Structure compiled_structure = compiled({
      segment("00001", "UNH"), group("SG1", 9, {segment("00007", "RFF")}), segment("00007", "UNT")});
  EXPECT_EQ(compiled_structure.nr_index.at("00007"), 3u);
}

struct DiscriminatorCase {
  std::string name;
  std::vector<model::Node> structure;
  std::vector<std::pair<std::string, std::string>> expected;  // nr, shown discriminators
};

class DiscriminatorTest : public testing::TestWithParam<DiscriminatorCase> {};

TEST_P(DiscriminatorTest, KeepsTheTestsThatTellSameTagNodesApart) {
  const Structure compiled_structure = compiled(GetParam().structure);
  for (const auto& [nr, expected] : GetParam().expected) EXPECT_EQ(discriminators_of(compiled_structure, nr), expected) << nr;
}

model::Element dtm_composite(std::string qualifier, std::vector<std::string> formats) {
  return composite("M", {simple("M", {std::move(qualifier)}), simple("M"), simple("M", std::move(formats))});
}

const DiscriminatorCase discriminator_cases[] = {
    // One node per tag: only codes at the test positions, from real code lists, count.
    {"single_nodes",
     {segment("1", "UNH", {simple("M"), composite("M", {simple("M", {"UTILMD"}), simple("M", {"D"})})}),
      segment("2", "BGM", {simple("Muss", {"E01"})}), segment("3", "IDE", {simple("M", {"24"}), simple("M", {"A", "B"})}),
      segment("5", "LOC", {composite("C", {simple("M", {"Z16"})})}),
      segment("6", "QTY", {composite("R", {simple("M", {"220"})})})},
     // A long status word is not mandatory; a component is required as its composite is.
     {{"1", ""}, {"2", "0.0:E01"}, {"3", "0.0:24 required"}, {"5", "0.0:Z16"}, {"6", "0.0:220 required"}}},
    {"qualifiers_exclude_each_other",
     {segment("1", "NAD", {simple("M", {"MS"})}), segment("2", "NAD", {simple("M", {"MR", "MS"})}),
      segment("3", "NAD", {simple("M", {"MR", "DP"})})},
     {{"1", "0.0:MS not MR|DP required"}, {"2", "0.0:MR|MS not DP required"}, {"3", "0.0:MR|DP not MS required"}}},
    // Each sibling code once, in the order the siblings first name it.
    {"excluded_codes_in_order_of_first_mention",
     {segment("1", "SEQ", {simple("M", {"Z01"})}), segment("2", "SEQ", {simple("M", {"Z03", "Z02"})}),
      segment("3", "SEQ", {simple("M", {"Z02", "Z04"})}), segment("4", "SEQ", {simple("M", {"Z05"})})},
     {{"1", "0.0:Z01 not Z03|Z02|Z04|Z05 required"}, {"3", "0.0:Z02|Z04 not Z01|Z03|Z05 required"},
      {"4", "0.0:Z05 not Z01|Z03|Z02|Z04 required"}}},
    {"first_difference_beyond_the_qualifier",
     {segment("1", "DTM", {dtm_composite("137", {"303"})}), segment("2", "DTM", {dtm_composite("137", {"102"})})},
     {{"1", "0.0:137 required; 0.2:303 not 102"}, {"2", "0.0:137 required; 0.2:102 not 303"}}},
    {"identical_nodes_add_no_position",
     {segment("1", "DTM", {dtm_composite("137", {"303"})}), segment("2", "DTM", {dtm_composite("137", {"303"})})},
     {{"1", "0.0:137 required"}, {"2", "0.0:137 required"}}},
    {"status_n_is_must_be_absent_even_with_codes",
     {segment("1", "STS", {simple("M", {"7"}), simple("N", {"E01"})}),
      segment("2", "STS", {simple("M", {"7"}), simple("R", {"E02"})})},
     {{"1", "0.0:7 required; 1.0:absent not E02"}, {"2", "0.0:7 required; 1.0:E02"}}},
    {"code_test_after_the_first_element_is_never_required",
     {segment("1", "CCI", {simple("M", {"Z30"}), simple("M", {"A"})}),
      segment("2", "CCI", {simple("M", {"Z30"}), simple("M", {"B"})})},
     {{"1", "0.0:Z30 required; 1.0:A not B"}, {"2", "0.0:Z30 required; 1.0:B not A"}}},
    {"missing_position_is_must_be_absent_unless_no_elements",
     {segment("1", "RFF", {simple("M", {"AAA"}), simple("O"), composite("O", {simple("O"), simple("O", {"X1"})})}),
      segment("2", "RFF", {simple("M", {"AAA"}), simple("O")}), segment("3", "RFF")},
     {{"1", "0.0:AAA required; 2.1:X1"}, {"2", "0.0:AAA required; 2.1:absent not X1"}, {"3", ""}}},
    {"placeholder_codes_give_no_test",
     {segment("1", "RFF", {composite("M", {simple("M", {"XYZ"})})}), segment("2", "RFF", {simple("M", {"Z13"})})},
     {{"1", ""}, {"2", "0.0:Z13 required"}}},
};

INSTANTIATE_TEST_SUITE_P(Structure, DiscriminatorTest, testing::ValuesIn(discriminator_cases),
                         [](const auto& info) { return info.param.name; });

edifact::model::Segment segment_with(std::vector<std::vector<std::string_view>> elements,
                                     std::vector<std::string_view> repetition = {}) {
  edifact::model::SegmentBuilder builder("RFF");
  for (const auto& components : elements) {
    builder.element();
    for (std::string_view text : components) builder.component(text);
  }
  if (!repetition.empty()) {
    builder.repetition();
    for (std::string_view text : repetition) builder.component(text);
  }
  return builder.build();
}

struct AcceptCase {
  std::string name;
  structure::Discriminator test;
  edifact::model::Segment segment;
  bool accepted;
};

class AcceptTest : public testing::TestWithParam<AcceptCase> {};

TEST_P(AcceptTest, JudgesTheValueAtItsPosition) {
  EXPECT_EQ(GetParam().test.accepts(GetParam().segment), GetParam().accepted);
}

structure::Discriminator codes_at(std::size_t element, std::size_t component, bool required = false) {
  return structure::Discriminator{{"Z13", "Z14"}, {"AAA"}, element, component, false, required};
}

const structure::Discriminator must_be_absent{{}, {}, 1, 0, true, false};

const AcceptCase accept_cases[] = {
    {"allowed_code", codes_at(0, 1), segment_with({{"x", "Z14"}}), true},
    {"excluded_code", codes_at(0, 1), segment_with({{"x", "AAA"}}), false},
    {"codes_compared_exactly", codes_at(0, 1), segment_with({{"x", "aaa"}}), true},
    {"missing_element_without_requirement", codes_at(2, 0), segment_with({{"Z13"}}), true},
    {"missing_component_with_requirement", codes_at(0, 1, true), segment_with({{"AAA"}}), false},
    {"empty_text_is_no_value", codes_at(0, 0, true), segment_with({{"", "Z13"}}), false},
    {"empty_text_passes_a_test_that_does_not_require", codes_at(0, 0), segment_with({{""}}), true},
    {"absent_with_value", must_be_absent, segment_with({{"Z13"}, {"Z13"}}), false},
    {"absent_without_value", must_be_absent, segment_with({{"Z13"}, {""}}), true},
    {"repetitions_play_no_part", codes_at(0, 0, true), segment_with({{"x"}}, {"AAA"}), true},
};

INSTANTIATE_TEST_SUITE_P(Structure, AcceptTest, testing::ValuesIn(accept_cases),
                         [](const auto& info) { return info.param.name; });

}  // namespace

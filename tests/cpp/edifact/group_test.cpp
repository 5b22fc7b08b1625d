#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "edifact/group/group_tree.hpp"
#include "edifact/model/segment.hpp"

namespace {

using edifact::group::GroupSchema;
using edifact::group::GroupSchemaEntry;
using edifact::group::message_group_tree;
using edifact::group::SegmentGroupIndexed;
using edifact::model::Segment;

// "UNH BGM NAD" -> segments with those tags; only tags matter to the tree.
std::vector<Segment> segments_with_tags(const std::string& tags) {
  std::vector<Segment> segments;
  std::istringstream words(tags);
  for (std::string tag; words >> tag;) segments.push_back(Segment::from_texts(tag, {}));
  return segments;
}

// SG2[2,4)#0{SG3[3,4)#0}: name, half-open range, occurrence, children.
std::string render(const SegmentGroupIndexed& node) {
  std::string text = std::string(node.name) + "[" + std::to_string(node.start) + "," + std::to_string(node.end) +
                     ")#" + std::to_string(node.occurrence);
  for (std::size_t i = 0; i < node.children.size(); ++i) {
    text += (i == 0 ? "{" : " ") + render(node.children[i]);
  }
  return node.children.empty() ? text : text + "}";
}

const GroupSchema utilmd_like{
    {"SG2", "NAD", {{"SG3", "CTA", {}}}},
    {"SG4", "IDE", {{"SG5", "LOC", {}}, {"SG6", "RFF", {}}}},
};

struct TreeCase {
  std::string name;
  std::string tags;
  GroupSchema schema;
  std::string expected;
  friend void PrintTo(const TreeCase& c, std::ostream* out) { *out << c.name; }
};

class GroupTree : public testing::TestWithParam<TreeCase> {};

TEST_P(GroupTree, PlacesSegmentsIntoInstances) {
  EXPECT_EQ(render(message_group_tree(segments_with_tags(GetParam().tags), GetParam().schema)),
            GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Messages, GroupTree,
    testing::Values(
        TreeCase{"SiblingsCountOccurrencesAndTrailerStaysInLastInstance", "UNH BGM NAD CTA NAD IDE DTM UNT",
                 utilmd_like, "ROOT[0,8)#0{SG2[2,4)#0{SG3[3,4)#0} SG2[4,5)#1 SG4[5,8)#0}"},
        TreeCase{"OuterTriggerClosesNestedInstances", "UNH IDE LOC RFF IDE NAD UNT", utilmd_like,
                 "ROOT[0,7)#0{SG4[1,4)#0{SG5[2,3)#0 SG6[3,4)#0} SG4[4,5)#1 SG2[5,7)#0}"},
        TreeCase{"OccurrencesRestartUnderEachParent", "UNH IDE LOC LOC IDE LOC UNT", utilmd_like,
                 "ROOT[0,7)#0{SG4[1,4)#0{SG5[2,3)#0 SG5[3,4)#1} SG4[4,7)#1{SG5[5,7)#0}}"},
        TreeCase{"UnknownTagsStayInInnermostOpenInstance", "UNH NAD CTA COM DTM UNT", utilmd_like,
                 "ROOT[0,6)#0{SG2[1,6)#0{SG3[2,6)#0}}"},
        TreeCase{"FirstOfTwoDefinitionsWithOneTriggerWins", "UNH NAD NAD UNT",
                 GroupSchema{{"SG2", "NAD", {}}, {"SG9", "NAD", {}}}, "ROOT[0,4)#0{SG2[1,2)#0 SG2[2,4)#1}"},
        TreeCase{"ChildTriggerBeatsTheSameTagHigherUp", "UNH RFF NAD RFF UNT",
                 GroupSchema{{"SG1", "NAD", {{"SG2", "RFF", {}}}}, {"SG3", "RFF", {}}},
                 "ROOT[0,5)#0{SG3[1,2)#0 SG1[2,5)#0{SG2[3,5)#0}}"},
        TreeCase{"SameNameUnderDifferentDefinitionsSharesTheCount", "UNH NAD IDE UNT",
                 GroupSchema{{"SG2", "NAD", {}}, {"SG2", "IDE", {}}}, "ROOT[0,4)#0{SG2[1,2)#0 SG2[2,4)#1}"}),
    [](const testing::TestParamInfo<TreeCase>& info) { return info.param.name; });

TEST(GroupRecursiveIndexed, FillsAGivenInstanceFromItsBaseAndHonoursInheritedStops) {
  const std::vector<Segment> segments = segments_with_tags("UNH NAD CTA COM IDE UNT");
  const GroupSchema children{{"SG3", "CTA", {}}};
  SegmentGroupIndexed instance{{}, "SG2", 1, 2, 3};
  const std::vector<std::string_view> stops{"NAD", "IDE"};
  EXPECT_EQ(edifact::group::group_recursive_indexed(std::span(segments).subspan(2), instance, children, stops, 2),
            2u);
  EXPECT_EQ(render(instance), "SG2[1,4)#3{SG3[2,4)#0}");
}

TEST(GroupRecursiveIndexed, DeepSchemaIsWalkedWithoutExhaustingTheStack) {
  constexpr std::size_t depth = 5000;
  // Each level's child opens on the next "AAA"; a message of `depth` such segments nests fully.
  GroupSchema schema{{"SG1", "AAA", {}}};
  GroupSchemaEntry* innermost = &schema.front();
  for (std::size_t level = 1; level < depth; ++level) {
    innermost->children.push_back({"SG1", "AAA", {}});
    innermost = &innermost->children.front();
  }
  const SegmentGroupIndexed root = message_group_tree(std::vector<Segment>(depth, Segment::from_texts("AAA", {})), schema);

  const SegmentGroupIndexed* node = &root;
  std::size_t levels = 0;
  while (!node->children.empty()) {
    ASSERT_EQ(node->children.size(), 1u);
    node = &node->children.front();
    EXPECT_EQ(node->start, levels);
    EXPECT_EQ(node->end, depth);
    ++levels;
  }
  EXPECT_EQ(levels, depth);
}

}  // namespace


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

// Three capitals spelling `index` in base 26: "AAA", "AAB", ...
std::string capital_tag(std::size_t index) {
  std::string tag(3, 'A');
  for (std::size_t position = 3; position-- > 0; index /= 26) tag[position] = static_cast<char>('A' + index % 26);
  return tag;
}

// A group with `child_count` child definitions, opened `instances` times. Each instance holds
// two instances of one of the children and a segment that no definition names, which stays in
// the second. Deduplicating the stop tags anew for every instance made this quadratic in the
// child definitions.
TEST(GroupRecursiveIndexed, ManyInstancesOfAGroupWithManyChildDefinitions) {
  constexpr std::size_t child_count = 3000;
  constexpr std::size_t instances = 1500;
  std::vector<std::string> names;
  std::vector<std::string> triggers;
  for (std::size_t i = 0; i < child_count; ++i) {
    names.push_back("SG" + std::to_string(i + 2));
    triggers.push_back(capital_tag(i + 1));  // "AAA" is the parent's trigger
  }
  GroupSchema schema{{"SG1", "AAA", {}}};
  for (std::size_t i = 0; i < child_count; ++i) schema.front().children.push_back({names[i], triggers[i], {}});

  std::vector<Segment> segments{Segment::from_texts("UNH", {})};
  for (std::size_t i = 0; i < instances; ++i) {
    const std::string& child_trigger = triggers[(i * 7) % child_count];
    for (const std::string& tag : {std::string("AAA"), child_trigger, child_trigger, std::string("ZZZ")}) {
      segments.push_back(Segment::from_texts(tag, {}));
    }
  }
  segments.push_back(Segment::from_texts("UNT", {}));

  const SegmentGroupIndexed root = message_group_tree(segments, schema);
  ASSERT_EQ(root.children.size(), instances);
  EXPECT_EQ(root.end, segments.size());
  for (std::size_t i = 0; i < instances; ++i) {
    SCOPED_TRACE(i);
    const SegmentGroupIndexed& group = root.children[i];
    const std::size_t first = 1 + 4 * i;
    const bool last = i + 1 == instances;
    EXPECT_EQ(render(group), "SG1[" + std::to_string(first) + "," + std::to_string(first + (last ? 5 : 4)) + ")#" +
                                 std::to_string(i) + "{" + names[(i * 7) % child_count] + "[" +
                                 std::to_string(first + 1) + "," + std::to_string(first + 2) + ")#0 " +
                                 names[(i * 7) % child_count] + "[" + std::to_string(first + 2) + "," +
                                 std::to_string(first + (last ? 5 : 4)) + ")#1}");
  }
}

// A schema nested `depth` levels deep, the level at nesting n opened by trigger n modulo
// `distinct_triggers`. Taken apart from the innermost level out, so that the test's own
// clean-up does not recurse either.
class NestedSchema {
 public:
  NestedSchema(std::size_t depth, std::size_t distinct_triggers) {
    for (std::size_t i = 0; i < distinct_triggers; ++i) triggers_.push_back(capital_tag(i));
    GroupSchema* level = &schema_;
    for (std::size_t nesting = 0; nesting < depth; ++nesting) {
      level->push_back({"SG1", triggers_[nesting % distinct_triggers], {}});
      level = &level->back().children;
    }
  }
  NestedSchema(const NestedSchema&) = delete;
  NestedSchema& operator=(const NestedSchema&) = delete;
  ~NestedSchema() {
    std::vector<GroupSchema> levels;
    levels.push_back(std::move(schema_));
    while (!levels.back().empty() && !levels.back().front().children.empty()) {
      levels.push_back(std::move(levels.back().front().children));
    }
    while (!levels.empty()) levels.pop_back();
  }

  const GroupSchema& schema() const { return schema_; }
  const std::string& trigger(std::size_t nesting) const { return triggers_[nesting % triggers_.size()]; }

 private:
  std::vector<std::string> triggers_;
  GroupSchema schema_;
};

struct DeepCase {
  std::string name;
  std::size_t depth;
  std::size_t distinct_triggers;
  friend void PrintTo(const DeepCase& c, std::ostream* out) { *out << c.name; }
};

class DeepGroupTree : public testing::TestWithParam<DeepCase> {};

// Every trigger in turn opens the next level down; then the first trigger once more, which
// ends every level below the deepest one it opens a group of, and opens a second instance
// there. Built, checked and destroyed without recursion.
TEST_P(DeepGroupTree, IsBuiltAndReleasedWithoutExhaustingTheStack) {
  const std::size_t depth = GetParam().depth;
  const std::size_t distinct = GetParam().distinct_triggers;
  const NestedSchema nested(depth, distinct);
  std::vector<Segment> segments;
  for (std::size_t nesting = 0; nesting < depth; ++nesting) {
    segments.push_back(Segment::from_texts(nested.trigger(nesting), {}));
  }
  segments.push_back(Segment::from_texts(nested.trigger(0), {}));
  const std::size_t reopened_at = (depth - 1) / distinct * distinct;

  const SegmentGroupIndexed root = message_group_tree(segments, nested.schema());
  const SegmentGroupIndexed* node = &root;
  for (std::size_t level = 0; level <= depth; ++level) {
    ASSERT_EQ(node->start, level == 0 ? 0 : level - 1) << "level " << level;
    ASSERT_EQ(node->end, level <= reopened_at ? depth + 1 : depth) << "level " << level;
    ASSERT_EQ(node->children.size(), level == depth ? 0u : level == reopened_at ? 2u : 1u) << "level " << level;
    if (level == reopened_at) {
      EXPECT_EQ(render(node->children[1]), "SG1[" + std::to_string(depth) + "," + std::to_string(depth + 1) + ")#1");
    }
    if (level < depth) node = &node->children.front();
  }
}

INSTANTIATE_TEST_SUITE_P(
    HostileSchemas, DeepGroupTree,
    testing::Values(DeepCase{"OneTriggerAtEveryLevel", 100000, 1}, DeepCase{"ThousandsOfStopTags", 100000, 5000}),
    [](const testing::TestParamInfo<DeepCase>& info) { return info.param.name; });

}  // namespace


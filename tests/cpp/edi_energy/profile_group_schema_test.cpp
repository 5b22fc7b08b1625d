#include <gtest/gtest.h>

#include <memory>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include <fmt/format.h>
#include <fmt/ranges.h>

#include "edi_energy/profile/group_schema.hpp"
#include "edi_energy/profile/profile.hpp"
#include "edifact/group/group_tree.hpp"
#include "edifact/model/segment.hpp"

namespace {

namespace model = edi_energy::profile::model;
namespace structure = edi_energy::profile::structure;
namespace leak_group_schema = edi_energy::profile::leak_group_schema;
using edi_energy::profile::GroupSchema;

model::Node segment(std::string tag) { return model::Node{model::SegmentNode{.nr = "00001", .tag = std::move(tag), .max = 1}}; }

model::Node group(std::string name, std::vector<model::Node> children) {
  return model::Node{model::GroupNode{.group = std::move(name), .max = 9, .children = std::move(children)}};
}

// "SG2/NAD{SG3/CTA}": name, trigger and children of each entry.
std::string shown(const GroupSchema& schema) {
  std::vector<std::string> entries;
  for (const auto& entry : schema) {
    std::string text = fmt::format("{}/{}", entry.name, entry.trigger);
    if (!entry.children.empty()) text += "{" + shown(entry.children) + "}";
    entries.push_back(std::move(text));
  }
  return fmt::format("{}", fmt::join(entries, " "));
}

struct SchemaCase {
  std::string name;
  std::vector<model::Node> structure;
  std::string expected;
};

class GroupSchemaTest : public testing::TestWithParam<SchemaCase> {};

TEST_P(GroupSchemaTest, ListsTheGroupsThatOpenWithASegment) {
  model::MigProfile mig;
  mig.structure = GetParam().structure;
  EXPECT_EQ(shown(leak_group_schema::build(structure::Structure::compile(mig))), GetParam().expected);
}

const SchemaCase schema_cases[] = {
    {"nested_groups_in_order",
     {segment("UNH"), group("SG2", {segment("NAD"), segment("DTM"), group("SG3", {segment("CTA"), segment("COM")})}),
      group("SG4", {segment("IDE"), group("SG5", {segment("LOC")}), group("SG6", {segment("RFF")})}), segment("UNT")},
     "SG2/NAD{SG3/CTA} SG4/IDE{SG5/LOC SG6/RFF}"},
    {"variants_of_one_group_share_an_entry_with_all_child_groups",
     {group("SG2", {segment("NAD"), group("SG3", {segment("CTA")})}),
      group("SG2", {segment("NAD"), group("SG9", {segment("RFF")})})},
     "SG2/NAD{SG3/CTA SG9/RFF}"},
    {"only_a_later_variant_holds_children",
     {group("SG6", {segment("LOC"), segment("DTM")}),
      group("SG6", {segment("LOC"), group("SG9", {segment("LIN"), group("SG10", {segment("QTY")})})})},
     "SG6/LOC{SG9/LIN{SG10/QTY}}"},
    {"merged_children_merge_again_and_keep_first_seen_order",
     {group("SG6", {segment("LOC"), group("SG9", {segment("LIN"), group("SG10", {segment("QTY")})})}),
      group("SG7", {segment("RFF")}),
      group("SG6", {segment("LOC"), group("SG8", {segment("SEQ")}),
                    group("SG9", {segment("LIN"), group("SG10", {segment("QTY"), group("SG11", {segment("STS")})}),
                                  group("SG10", {segment("QTY")})})})},
     "SG6/LOC{SG9/LIN{SG10/QTY{SG11/STS}} SG8/SEQ} SG7/RFF"},
    {"variants_with_other_trigger_stay_apart_from_the_merge",
     {group("SG4", {segment("IDE"), group("SG5", {segment("LOC")})}),
      group("SG4", {segment("DTM"), group("SG6", {segment("RFF")})}),
      group("SG4", {segment("IDE"), group("SG6", {segment("RFF")})})},
     "SG4/IDE{SG5/LOC SG6/RFF} SG4/DTM{SG6/RFF}"},
    {"same_name_with_other_trigger_is_another_entry",
     {group("SG7", {segment("RFF")}), group("SG7", {segment("DTM")})},
     "SG7/RFF SG7/DTM"},
    {"duplicates_are_judged_per_list",
     {group("SG2", {segment("NAD"), group("SG3", {segment("CTA")})}), group("SG3", {segment("CTA")})},
     "SG2/NAD{SG3/CTA} SG3/CTA"},
    {"groups_without_segment_trigger_are_skipped_with_their_subtree",
     {group("SG1", {}), group("SG3", {group("SG4", {segment("NAD")})}), group("SG5", {segment("NAD")})},
     "SG5/NAD"},
};

INSTANTIATE_TEST_SUITE_P(GroupSchema, GroupSchemaTest, testing::ValuesIn(schema_cases),
                         [](const auto& info) { return info.param.name; });

TEST(GroupSchema, OutlivesTheStructureItWasBuiltFrom) {
  model::MigProfile mig;
  // Names longer than any small-string buffer, so that a view into the structure would dangle.
  mig.structure = {group(std::string(40, 'G'), {segment(std::string(40, 'T')), group("SG3", {segment("CTA")})})};
  auto compiled = std::make_unique<structure::Structure>(structure::Structure::compile(mig));
  const GroupSchema& schema = leak_group_schema::build(*compiled);
  compiled.reset();
  EXPECT_EQ(shown(schema), fmt::format("{}/{}{{SG3/CTA}}", std::string(40, 'G'), std::string(40, 'T')));
}

// SG6[5,13)#1{...}: name, half-open segment range, occurrence, children.
std::string rendered(const edifact::group::SegmentGroupIndexed& node) {
  std::string text = fmt::format("{}[{},{})#{}", node.name, node.start, node.end, node.occurrence);
  std::vector<std::string> children;
  for (const auto& child : node.children) children.push_back(rendered(child));
  return children.empty() ? text : fmt::format("{}{{{}}}", text, fmt::join(children, " "));
}

std::vector<edifact::model::Segment> segments_with_tags(const std::string& tags) {
  std::vector<edifact::model::Segment> segments;
  std::istringstream words(tags);
  for (std::string tag; words >> tag;) segments.push_back(edifact::model::Segment::from_texts(tag, {}));
  return segments;
}

std::string json_segment(std::string_view nr, std::string_view tag) {
  return fmt::format(R"({{"nr":"{}","tag":"{}","status":"M","max":1}})", nr, tag);
}

std::string json_group(std::string_view name, const std::vector<std::string>& children) {
  return fmt::format(R"({{"group":"{}","status":"C","max":99,"children":[{}]}})", name, fmt::join(children, ","));
}

// Metering data as the MIG lists it: a location variant without time series, then one with.
TEST(GroupSchema, KeepsTheTimeSeriesOfALaterGroupVariantThroughDocumentAndTree) {
  const std::string structure = fmt::format(
      "[{},{},{},{}]", json_segment("00001", "UNH"), json_segment("00002", "BGM"),
      json_group("SG5",
                 {json_segment("00003", "NAD"),
                  json_group("SG6", {json_segment("00004", "LOC"), json_segment("00005", "DTM")}),
                  json_group("SG6", {json_segment("00006", "LOC"),
                                     json_group("SG9", {json_segment("00007", "LIN"), json_segment("00008", "PIA"),
                                                        json_group("SG10", {json_segment("00009", "QTY"),
                                                                            json_segment("00010", "DTM")})})})}),
      json_segment("00011", "UNT"));
  const std::string head = R"("message_type":"MSCONS","release":"2.4c","schema_version":2,"ahb_version":"3.1g",)"
                           R"("source":{"file":"m.pdf"},)";
  const std::string mig = "{" + head + R"("valid_from":"2026-04-01","structure":)" + structure + "}";
  const std::string ahb = "{" + head + R"("anwendungsfaelle":[]})";
  auto profile = edi_energy::profile::Profile::from_json(mig, ahb);
  ASSERT_TRUE(profile.has_value()) << profile.error().message();

  EXPECT_EQ(shown(profile->group_schema()), "SG5/NAD{SG6/LOC{SG9/LIN{SG10/QTY}}}");
  const auto message = segments_with_tags("UNH BGM NAD LOC DTM LOC LIN PIA QTY DTM QTY DTM UNT");
  EXPECT_EQ(rendered(edifact::group::message_group_tree(message, profile->group_schema())),
            "ROOT[0,13)#0{SG5[2,13)#0{SG6[3,5)#0 SG6[5,13)#1{SG9[6,13)#0{SG10[8,10)#0 SG10[10,13)#1}}}}");
}

}  // namespace

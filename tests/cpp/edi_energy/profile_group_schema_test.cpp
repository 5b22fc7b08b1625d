#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include <fmt/format.h>
#include <fmt/ranges.h>

#include "edi_energy/profile/group_schema.hpp"

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
    {"repeated_group_counts_once_from_its_first_node",
     {group("SG2", {segment("NAD"), group("SG3", {segment("CTA")})}),
      group("SG2", {segment("NAD"), group("SG9", {segment("RFF")})})},
     "SG2/NAD{SG3/CTA}"},
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

}  // namespace

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "edi_energy/profile/model.hpp"

namespace {

using edi_energy::profile::model::Anwendungsfall;
using edi_energy::profile::model::Code;
using edi_energy::profile::model::Element;
using edi_energy::profile::model::Row;

TEST(CodeList, OnlyShortPlainCodesThatAreNoPlaceholderMakeAList) {
  const std::pair<std::vector<std::string>, bool> cases[] = {
      {{}, false},
      {{"Z01", "E_0815", "1.1", "ABCDEFGH", ""}, true},
      {{"Z01", "ABCDEFGHI"}, false},
      {{"Z-1"}, false},
      {{"Ä1"}, false},
      {{"xYz"}, false},
      {{"Z01", "XXX"}, false},
      {{"XYZA", "XX"}, true},
  };
  for (const auto& [codes, is_code_list] : cases) {
    Element element{.id = "3055", .status = "M"};
    for (const auto& code : codes) element.codes.push_back(Code{code, "name"});
    EXPECT_EQ(element.is_code_list(), is_code_list) << testing::PrintToString(codes);
  }
}

TEST(SegmentStatus, TakesTheFirstRowOfTheSegmentByExactNumber) {
  Anwendungsfall anwendungsfall;
  anwendungsfall.rows = {
      // A group row names its group and the segment that follows it, but no segment of its own.
      Row{.status = {"Muss"}, .group = "00042", .before = "00042"},
      Row{.status = {"Soll [1]"}, .nr = "00042"},
      Row{.status = {"Kann"}, .nr = "00042"},
      Row{.status = {}, .nr = "00001"},
  };
  const auto* status = anwendungsfall.segment_status("00042");
  ASSERT_NE(status, nullptr);
  EXPECT_EQ(*status, std::vector<std::string>{"Soll [1]"});
  // An empty status is told apart from an absent row.
  ASSERT_NE(anwendungsfall.segment_status("00001"), nullptr);
  EXPECT_TRUE(anwendungsfall.segment_status("00001")->empty());
  EXPECT_EQ(anwendungsfall.segment_status("42"), nullptr);
  EXPECT_EQ(anwendungsfall.segment_status("00002"), nullptr);
}

}  // namespace

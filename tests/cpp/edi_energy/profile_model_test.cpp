#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "edi_energy/profile/model.hpp"

namespace {

using edi_energy::profile::model::Anwendungsfall;
using edi_energy::profile::model::Code;
using edi_energy::profile::model::Element;
using edi_energy::profile::model::Row;

struct CodeListCase {
  std::string name;
  std::vector<std::string> codes;
  bool is_code_list;
};

class CodeListTest : public testing::TestWithParam<CodeListCase> {};

TEST_P(CodeListTest, JudgesTheCodesOfAnElement) {
  Element element{.id = "3055", .status = "M"};
  for (const auto& code : GetParam().codes) element.codes.push_back(Code{code, "name"});
  EXPECT_EQ(element.is_code_list(), GetParam().is_code_list);
}

INSTANTIATE_TEST_SUITE_P(
    Codes, CodeListTest,
    testing::Values(CodeListCase{"no_codes", {}, false},
                    CodeListCase{"letters_digits_dot_underscore", {"Z01", "E_0815", "1.1"}, true},
                    CodeListCase{"eight_characters", {"ABCDEFGH"}, true},
                    CodeListCase{"empty_code", {""}, true},
                    CodeListCase{"nine_characters", {"Z01", "ABCDEFGHI"}, false},
                    CodeListCase{"hyphen", {"Z-1"}, false},
                    CodeListCase{"space", {"Z 1"}, false},
                    CodeListCase{"non_ascii_letter", {"Ä1"}, false},
                    CodeListCase{"placeholder_xyz_lower", {"xyz"}, false},
                    CodeListCase{"placeholder_xyz_mixed", {"xYz"}, false},
                    CodeListCase{"placeholder_XXX", {"XXX"}, false},
                    CodeListCase{"placeholder_among_real_codes", {"Z01", "XYZ"}, false},
                    CodeListCase{"longer_than_placeholder", {"XYZA", "XX"}, true}),
    [](const testing::TestParamInfo<CodeListCase>& info) { return info.param.name; });

Anwendungsfall with_rows(std::vector<Row> rows) {
  Anwendungsfall anwendungsfall;
  anwendungsfall.name = "Fall";
  anwendungsfall.rows = std::move(rows);
  return anwendungsfall;
}

TEST(SegmentStatus, TakesTheFirstRowOfTheSegment) {
  const auto anwendungsfall = with_rows({
      Row{.status = {"Muss"}, .group = "SG2", .before = "00042"},
      Row{.status = {"Soll [1]"}, .nr = "00042"},
      Row{.status = {"Kann"}, .nr = "00042"},
  });
  const auto* status = anwendungsfall.segment_status("00042");
  ASSERT_NE(status, nullptr);
  EXPECT_EQ(*status, std::vector<std::string>{"Soll [1]"});
}

TEST(SegmentStatus, ComparesNumbersAsExactTexts) {
  const auto anwendungsfall = with_rows({Row{.status = {"Muss"}, .nr = "00042"}});
  EXPECT_EQ(anwendungsfall.segment_status("42"), nullptr);
  EXPECT_EQ(anwendungsfall.segment_status("SG2"), nullptr);
}

TEST(SegmentStatus, TellsAnEmptyStatusFromAnAbsentRow) {
  const auto anwendungsfall = with_rows({Row{.status = {}, .nr = "00001"}});
  const auto* status = anwendungsfall.segment_status("00001");
  ASSERT_NE(status, nullptr);
  EXPECT_TRUE(status->empty());
  EXPECT_EQ(anwendungsfall.segment_status("00002"), nullptr);
}

TEST(SegmentStatus, GroupRowsNeverMatch) {
  // A group row names its group and the segment that follows it, but no segment of its own.
  const auto anwendungsfall = with_rows({Row{.status = {"Muss"}, .group = "00042", .before = "00042"}});
  EXPECT_EQ(anwendungsfall.segment_status("00042"), nullptr);
}

}  // namespace

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "edi_energy/profile/formatbedingung/formatbedingung.hpp"
#include "edi_energy/profile/validate/validate.hpp"
#include "validate_fixture.hpp"

namespace {

namespace model = edi_energy::profile::model;
using edi_energy::profile::validate::check_leaf;
using edi_energy::profile::validate::LeafAt;

model::Element leaf(std::string status, std::optional<std::string> format, std::vector<std::string> codes = {}) {
  model::Element element{.id = "3039", .name = "MP-ID", .status = std::move(status), .format = std::move(format)};
  for (std::string& code : codes) element.codes.push_back(model::Code{std::move(code), ""});
  return element;
}

struct LeafCase {
  std::string_view name;
  model::Element element;
  std::string_view value;
  bool check_empty;
  bool column_names;
  std::vector<std::string> messages;  // "rule id: message"
};

TEST(CheckLeaf, FormatsCodesAndStatuses) {
  const std::string at = "NAD (Nr 00004): DE 3039 „MP-ID“ ";
  const std::vector<LeafCase> cases{
      {"up to 35", leaf("M", "an..35"), "12345678901234567890123456789012345", true, true, {}},
      {"longer than 35", leaf("M", "an..35"), "123456789012345678901234567890123456", true, true,
       {"FORMAT: " + at + "is an..35 in the MIG; \"123456789012345678901234567890123456\" is 36 characters long"}},
      {"fixed too short", leaf("M", "an3"), "ab", true, true,
       {"FORMAT: " + at + "is an3 in the MIG; \"ab\" is 2 characters long, not 3"}},
      {"fixed too long", leaf("M", "an3"), "abcd", true, true,
       {"FORMAT: " + at + "is an3 in the MIG; \"abcd\" is 4 characters long"}},
      {"characters not bytes", leaf("M", "an3"), "äöü", true, true, {}},
      {"numeric counts digits", leaf("M", "n..3"), "-1.23", true, true, {}},
      {"numeric with exponent", leaf("M", "n..15"), "1E5", true, true,
       {"FORMAT: " + at + "is n..15 in the MIG; \"1E5\" is not numeric"}},
      {"numeric with letter", leaf("M", "n3"), "1a2", true, true,
       {"FORMAT: " + at + "is n3 in the MIG; \"1a2\" is not numeric"}},
      {"alphabetic with digit", leaf("M", "a3"), "ab1", true, true,
       {"FORMAT: " + at + "is a3 in the MIG; \"ab1\" contains digits"}},
      {"plus sign before length", leaf("M", "an+2"), "abc", true, true,
       {"FORMAT: " + at + "is an+2 in the MIG; \"abc\" is 3 characters long"}},
      {"unreadable format", leaf("M", "x..3"), "abcdef", true, true, {}},
      {"length beyond 64 bits", leaf("M", "an99999999999999999999"), "a", true, true, {}},
      {"bare class", leaf("M", "an.."), "abcdef", true, true, {}},
      {"no format", leaf("M", std::nullopt), "abcdef", true, true, {}},
      {"format and code", leaf("M", "an2", {"AB", "CD"}), "XYZ", true, true,
       {"FORMAT: " + at + "is an2 in the MIG; \"XYZ\" is 3 characters long",
        "CODE: " + at + "is \"XYZ\"; the MIG admits AB, CD"}},
      {"code admitted", leaf("M", "an2", {"AB", "CD"}), "CD", true, true, {}},
      {"placeholder codes are no list", leaf("M", "an3", {"xxx"}), "ABC", true, true, {}},
      {"empty mandatory", leaf("M", "an3"), "", true, false,
       {"REQUIRED: " + at + "is mandatory in the MIG but empty"}},
      {"empty required unnamed", leaf("R", "an3"), "", true, false, {}},
      {"empty required named", leaf("R", "an3"), "", true, true,
       {"REQUIRED: " + at + "is mandatory in the MIG but empty"}},
      {"empty in absent composite", leaf("M", "an3"), "", false, true, {}},
      {"empty conditional", leaf("C", "an3"), "", true, true, {}},
      {"not used", leaf("N", "an1", {"A"}), "x\ty", true, true,
       {"NOTUSED: " + at + "is not used in the MIG but carries \"x\\ty\""}},
  };
  for (const LeafCase& c : cases) {
    const std::string text = "NAD+" + std::string(c.value);
    const auto segments = validate_fixture::message(text);
    std::vector<edifact::report::ValidationIssue> findings;
    check_leaf(c.element, segments.front(), LeafAt{0, 0, "00004", "NAD", 7}, c.check_empty, c.column_names, findings);
    std::vector<std::string> shown;
    for (const auto& finding : findings) {
      const std::string id = finding.rule_id.value_or("");
      shown.push_back(id.substr(id.rfind('-') + 1) + ": " + finding.message);
      EXPECT_EQ(id.substr(0, id.rfind('-')), "MIG-00004-NAD-3039") << c.name;
      EXPECT_EQ(finding.segment_index, 7) << c.name;
      EXPECT_EQ(finding.context, (std::vector<edifact::report::ContextEntry>{{"nr", "00004"}, {"de", "3039"}}));
    }
    EXPECT_EQ(shown, c.messages) << c.name;
  }
}

struct NumericCase {
  std::string_view value;
  bool numeric;
};

class NumericClass : public testing::TestWithParam<NumericCase> {};

// The MIG's "n" format and the numeric Formatbedingungen read a value by one rule.
TEST_P(NumericClass, MigFormatAndFormatbedingungAgree) {
  const std::string text = "QTY+" + std::string(GetParam().value);
  const auto segments = validate_fixture::message(text);
  std::vector<edifact::report::ValidationIssue> findings;
  check_leaf(leaf("M", "n..15"), segments.front(), LeafAt{0, 0, "00004", "NAD", 7}, true, true, findings);
  const bool flagged = std::ranges::any_of(findings, [](const auto& finding) {
    return finding.message.ends_with("is not numeric");
  });
  EXPECT_EQ(flagged, !GetParam().numeric) << GetParam().value;
  const auto verdict = edi_energy::profile::formatbedingung::evaluate("910", GetParam().value);
  EXPECT_EQ(verdict.kind == edi_energy::profile::formatbedingung::Verdict::Kind::Holds, GetParam().numeric)
      << GetParam().value;
}

INSTANTIATE_TEST_SUITE_P(
    Values, NumericClass,
    testing::Values(NumericCase{"1234", true}, NumericCase{"-344.775", true}, NumericCase{"1,5", true},
                    NumericCase{"492,146", true}, NumericCase{"0.5", true}, NumericCase{"-0", true},
                    NumericCase{".5", false}, NumericCase{"5.", false}, NumericCase{"-,5", false},
                    NumericCase{"5,", false},
                    NumericCase{"-", false}, NumericCase{"e", false}, NumericCase{"1E5", false},
                    NumericCase{"1.5.5", false}, NumericCase{"1,5,5", false}, NumericCase{"--1", false},
                    NumericCase{"1,000.5", false}, NumericCase{"1-", false}, NumericCase{".", false},
                    NumericCase{"-,", false}, NumericCase{"?+1", false}, NumericCase{"1 5", false}));

}  // namespace

// Small messages written after the published MIG and AHB, validated against the built-in
// profiles: each that follows them draws no error, and its faulty twin keeps its finding.
#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "builtin_content.hpp"
#include "edi_energy/profile/validate/validate.hpp"
#include "../edifact/parsed_segments.hpp"

namespace {

struct WrittenMessage {
  std::string_view name;
  std::string_view profile;
  std::uint32_t pid;
  std::string text;
  std::vector<std::string> errors;  // rule ids of the error findings, in order
};

void PrintTo(const WrittenMessage& message, std::ostream* out) { *out << message.name; }

std::string orders(std::string_view pid, std::string_view middle) {
  return "UNH+1+ORDERS:D:09B:UN:1.4b'BGM+" + std::string(pid == "17004" ? "7" : "E40") + "+DOK" + std::string(pid) +
         "'DTM+137:202610010000?+00:303'" + std::string(middle) + "UNS+S'UNT+12+1'";
}

// Sender and recipient as the header of every message below.
constexpr std::string_view parties = "NAD+MS+9900000000003::9'NAD+MR+9900000000027::9'";

// The location is a Marktlokation where the reason is Z46 (its column asks for the MaLo-ID format
// there), a Zählpunkt otherwise.
std::string orders_17004(std::string_view reason) {
  const std::string location = reason == "Z46" ? "41373559241" : "DE00056266802AO6G56M11SN51G21M24S";
  return orders("17004", "IMD++Z13'RFF+Z13:17004'" + std::string(parties) + "NAD+DP'LOC+172+" + location +
                             "'LIN+1'IMD++" + std::string(reason) + "'DTM+7:202609302200?+00:303'");
}

std::string orders_17203(std::string_view kind) {
  return orders("17203", "DTM+203:202609302200?+00:303'IMD++" + std::string(kind) + "'RFF+Z13:17203'" +
                             std::string(parties) + "LIN+1'LOC+237+11XBK-STD-----9'");
}

std::string iftsta(std::string_view pid, std::string_view status, std::string_view tail) {
  return "UNH+1+IFTSTA:D:18A:UN:2.0g'BGM+Z09+DOK" + std::string(pid) +
         "'DTM+137:202610010000?+00:303'NAD+MR+9900000000027::9'NAD+MS+9900000000003::9'CNI+1'"
         "LOC+172+DE00056266802AO6G56M11SN51G21M24S'STS+" +
         std::string(status) + "'RFF+Z13:" + std::string(pid) + "'" + std::string(tail) + "UNT+12+1'";
}

// The free text that a refused fitting carries.
constexpr std::string_view refused_fitting = "GID+1'FTX+ACB+++Zugang verweigert'";

class BuiltinMessages : public ::testing::TestWithParam<WrittenMessage> {};

TEST_P(BuiltinMessages, DrawTheErrorsThePublicationMakes) {
  const WrittenMessage& message = GetParam();
  const auto& profile = builtin_content::profile_named(message.profile);
  const auto segments = edifact_test::parsed(message.text);
  std::vector<std::string> errors;
  for (const auto& issue : edi_energy::profile::validate::validate(profile, segments, message.pid)) {
    if (issue.severity <= edifact::report::Severity::Error) errors.push_back(issue.rule_id.value_or(issue.message));
  }
  EXPECT_EQ(errors, message.errors);
}

INSTANTIATE_TEST_SUITE_P(
    Published, BuiltinMessages,
    ::testing::Values(
        // "Wenn IMD+Z01 vorhanden" speaks of the code that the MIG puts in DE 7081: IMD++Z01.
        WrittenMessage{"ImdQualifierWhereTheMigPutsIt", "ORDERS_FV20260401", 17203, orders_17203("Z01"), {}},
        WrittenMessage{"ImdQualifierOfAnotherCase",
                       "ORDERS_FV20260401",
                       17203,
                       orders_17203("Z03"),
                       {"AHB-17203-00004-DTM-NOT-PERMITTED", "AHB-17203-00006-DTM-MISSING",
                        "AHB-17203-00027-LOC-MISSING"}},
        // Whether the sender is a Messstellenbetreiber the segments cannot tell: both reasons pass.
        WrittenMessage{"ReasonForASenderOfUnknownRole", "ORDERS_FV20260401", 17004, orders_17004("Z46"), {}},
        WrittenMessage{"ReasonForAnyRole", "ORDERS_FV20260401", 17004, orders_17004("Z47"), {}},
        WrittenMessage{"ReasonTheColumnDoesNotName",
                       "ORDERS_FV20260401",
                       17004,
                       orders_17004("Z61"),
                       {"AHB-17004-00054-IMD-7081-CODE"}},
        // DE 9013 "Code des Prüfschritts" takes the codes of the decision trees.
        WrittenMessage{"CodeOfADecisionTree", "IFTSTA_FV20251001", 21011, iftsta("21011", "Z10+Z13+A01",
                                                                                  "RFF+ACW:REF21011'RFF+ADY:REF21011'"),
                       {}},
        WrittenMessage{"DecisionTreeCodeWhereTheColumnListsCodes",
                       "IFTSTA_FV20251001",
                       21007,
                       iftsta("21007", "Z10+209+A01", "DTM+76:202609302200?+00:303'NAD+DEB+9900357000004::9'"),
                       {"AHB-21007-00021-STS-9013-CODE"}},
        // A value line beside the codes of DE 9013 takes the code of the decision tree that DE 1131
        // of the same STS names.
        WrittenMessage{"CodeOfTheDecisionTreeTheStatusNames", "IFTSTA_FV20251001", 21025,
                       iftsta("21025", "Z15+Z13+A99:E_0286", refused_fitting), {}},
        WrittenMessage{"CodeOfTheDecisionTreeTheStatusNamesWithAHint", "IFTSTA_FV20251001", 21027,
                       iftsta("21027", "Z15+Z13+A02:E_0286", refused_fitting), {}},
        WrittenMessage{"CodeOfTheColumnWithoutADecisionTree", "IFTSTA_FV20251001", 21025,
                       iftsta("21025", "Z15+Z13+Z74", ""), {}},
        WrittenMessage{"DecisionTreeCodeWithoutItsDecisionTree",
                       "IFTSTA_FV20251001",
                       21025,
                       iftsta("21025", "Z15+Z13+A99", refused_fitting),
                       {"AHB-21025-00028-STS-9013-CODE"}},
        WrittenMessage{"DecisionTreeCodeOfAnotherDecisionTree",
                       "IFTSTA_FV20251001",
                       21027,
                       iftsta("21027", "Z15+Z13+A99:E_0287", refused_fitting),
                       {"AHB-21027-00028-STS-9013-CODE"}},
        WrittenMessage{"StatusTextTheColumnDoesNotName",
                       "IFTSTA_FV20251001",
                       21025,
                       iftsta("21025", "Z15+Z13+A99:E_0286::Sonstiges", refused_fitting),
                       {"AHB-21025-00028-STS-9012-NOT-PERMITTED"}}),
    [](const ::testing::TestParamInfo<WrittenMessage>& info) { return std::string(info.param.name); });

}  // namespace

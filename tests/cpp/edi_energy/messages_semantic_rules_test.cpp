// The semantic rule packs, run over parsed messages as the validation pipeline runs them: each
// pack is one layer of a validation context, over the group tree of a small fixture schema.
#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <ostream>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "edi_energy/messages/contrl/semantic_rule_pack.hpp"
#include "edi_energy/messages/insrpt/semantic_rule_pack.hpp"
#include "edi_energy/messages/invoic/semantic_rule_pack.hpp"
#include "edi_energy/messages/mscons/semantic_rule_pack.hpp"
#include "edi_energy/messages/orders/semantic_rule_pack.hpp"
#include "edi_energy/messages/remadv/semantic_rule_pack.hpp"
#include "edi_energy/messages/utilmd/semantic_rule_pack.hpp"
#include "edifact/group/group_tree.hpp"
#include "edifact/validator/context/validation_context.hpp"
#include "../edifact/parsed_segments.hpp"

namespace {

namespace messages = edi_energy::messages;
using edifact::group::GroupSchema;
using edifact::model::Segment;
using edifact::report::Severity;
using edifact::report::ValidationIssue;
using edifact::report::ValidationReport;
using edifact::validator::context::ValidationContextBuilder;
using edifact::validator::pack::ProfileRulePack;
using PackMaker = ProfileRulePack (*)();

// SG7 has a nested group so that a rule over an SG7 instance sees the nested segments too.
const GroupSchema fixture_schema{
    {"SG2", "NAD", {}},
    {"SG5", "LOC", {}},
    {"SG7", "DOC", {{"SG8", "QTY", {}}}},
};

ValidationReport run_pack(PackMaker pack, std::span<const Segment> segments) {
  const auto tree = edifact::group::message_group_tree(segments, fixture_schema);
  return ValidationContextBuilder().with_profile_pack(pack()).build().validate_grouped(tree, segments);
}

std::string message_of(std::string_view type, std::string_view body) {
  return "UNH+1+" + std::string(type) + ":D:04B:UN:2.4c'" + std::string(body) + "UNT+9+1'";
}

// The system's own texts.
const std::string period_message = "DTM: period-start (qualifier 163) is after period-end (qualifier 164)";
const std::string period_suggestion =
    "Ensure DTM+163 (Beginn Lieferzeitraum) is not later than DTM+164 (Ende Lieferzeitraum) — date values "
    "must be in ascending chronological order";
const std::string malo_melo_pattern =
    "value is neither a Marktlokations-ID ([A-Z0-9]{11}) nor a Messlokations-ID (33 characters)";
const std::string meldepunkt_message = "LOC+172 element 3225 (C517 component 0): " + malo_melo_pattern;
const std::string meldepunkt_suggestion =
    "The Meldepunkt in LOC+172 must be either an 11-character Marktlokations-ID matching [A-Z0-9]{11} or a "
    "33-character Messlokations-ID starting with an ISO 3166-1 country code";
const std::string unit_message =
    "QTY C186 component 2 (DE 6411): unit-of-measure code is not in the EDI@Energy approved set for MSCONS";
const std::string unit_suggestion =
    "Use one of the EDI@Energy MSCONS approved units (Code List 6411): KWH MWH GWH KW KWT MW GW KVA MVA KVAR "
    "MVAR M3 M3H HM3 GJ MJ J D54 MTS Z03 Z12 Z14";
const std::string lokations_suggestion =
    "LOC+Z16 / LOC+Z22 carry an 11-character Marktlokations-ID matching [A-Z0-9]{11}; LOC+Z17 carries a "
    "33-character Messlokations-ID starting with an ISO 3166-1 country code";
const std::string contrl_suggestion =
    "Use one of the action codes of DE 0083 admitted in CONTRL: 4 (Diese Ebene und alle tieferen Ebenen "
    "zurückgewiesen), 7 (Übertragung bestätigt (keine Syntaxfehler)) or 8 (Datenaustausch erhalten)";

std::string contrl_message(std::string_view code) {
  return "UCI DE 0083 (element 3, component 0): action code '" + std::string(code) +
         "' is not one of the admitted codes 4, 7 and 8";
}

const std::string melo_id = "DE00056266802AO6G56M11SN51G21M24S";

struct Expected {
  std::string rule_id;
  std::string message;
  std::string segment;
  std::string suggestion;
  std::size_t at;  // index of the offending segment in the parsed message
  std::optional<std::string> group = std::nullopt;
  bool indexed = false;  // whether the finding carries `at` as its segment index
};

struct RuleCase {
  std::string name;
  PackMaker pack;
  std::string text;
  std::vector<Expected> findings;
};

std::ostream& operator<<(std::ostream& out, const RuleCase& rule_case) { return out << rule_case.name; }

Expected period_finding(std::string rule_id, std::size_t at) {
  return {std::move(rule_id), period_message, "DTM", period_suggestion, at, std::nullopt, true};
}

struct PeriodScenario {
  std::string name;
  std::string body;
  std::optional<std::size_t> start_at;  // the DTM+163 a finding points at; UNH is segment 0
};

const PeriodScenario period_scenarios[] = {
    {"Reversed203", "DTM+163:202605010000:203'DTM+164:202604300000:203'", 1},
    {"Equal", "DTM+163:202605010000:203'DTM+164:202605010000:203'", std::nullopt},
    {"InOrder", "DTM+163:202604300000?+00:303'DTM+164:202605010000?+00:303'", std::nullopt},
    {"NoEnd", "DTM+163:202605010000:203'", std::nullopt},
    {"NoStart", "DTM+164:202604300000:203'", std::nullopt},
    {"EmptyEnd", "DTM+163:202605010000:203'DTM+164::203'", std::nullopt},
    {"EmptyStart", "DTM+163::203'DTM+164:202604300000:203'", std::nullopt},
    {"LastStartInOrder", "DTM+163:202606010000:203'DTM+163:202604010000:203'DTM+164:202605010000:203'",
     std::nullopt},
    {"LastStartReversed", "DTM+163:202604010000:203'DTM+163:202606010000:203'DTM+164:202605010000:203'", 2},
    {"LastEndInOrder", "DTM+163:20260501:102'DTM+164:20260430:102'DTM+164:20260531:102'", std::nullopt},
    {"EndBeforeStartInMessage", "DTM+164:20260430:102'NAD+MS'DTM+163:20260501:102'", 3},
    {"BareStartHidesEarlier", "DTM+163:20260501:102'DTM+164:20260430:102'DTM+163'", std::nullopt},
    {"LongerWithCommonPrefix", "DTM+163:2026050112:102'DTM+164:20260501:102'", 1},
    {"QualifierExact", "DTM+1630:20260501:102'DTM+164:20260430:102'", std::nullopt},
    {"OtherTagIgnored", "RFF+163:20260501'DTM+164:20260430:102'", std::nullopt},
};

struct PeriodPack {
  std::string type;
  PackMaker pack;
};

std::vector<RuleCase> period_cases() {
  const PeriodPack packs[] = {
      {"INVOIC", messages::invoic::semantic_rule_pack},
      {"MSCONS", messages::mscons::semantic_rule_pack},
      {"ORDERS", messages::orders::semantic_rule_pack},
      {"REMADV", messages::remadv::semantic_rule_pack},
  };
  std::vector<RuleCase> cases;
  for (const PeriodPack& pack : packs) {
    for (const PeriodScenario& scenario : period_scenarios) {
      RuleCase rule_case{pack.type + "_" + scenario.name, pack.pack, message_of(pack.type, scenario.body), {}};
      if (scenario.start_at) {
        rule_case.findings.push_back(period_finding("SEM-" + pack.type + "-PERIOD-ORDER", *scenario.start_at));
      }
      cases.push_back(std::move(rule_case));
    }
  }
  return cases;
}

std::vector<RuleCase> insrpt_cases() {
  const auto insrpt = messages::insrpt::semantic_rule_pack;
  // The index counts from the message, not from the group instance.
  Expected sg7 = period_finding("SEM-INSRPT-SG7-PERIOD-ORDER", 2);
  sg7.group = "SG7";
  Expected nested = sg7;
  nested.at = 5;
  return {
      {"INSRPT_OneOfTwoInstancesReversed", insrpt,
       message_of("INSRPT",
                  "DOC+Z01'DTM+163:20260501:102'DTM+164:20260430:102'"
                  "DOC+Z01'DTM+163:20260401:102'DTM+164:20260430:102'"),
       {sg7}},
      {"INSRPT_SecondInstanceReversed", insrpt,
       message_of("INSRPT",
                  "DOC+Z01'DTM+163:20260401:102'DTM+164:20260430:102'"
                  "DOC+Z01'DTM+163:20260501:102'DTM+164:20260430:102'"),
       {nested}},
      {"INSRPT_InstancesNotComparedWithEachOther", insrpt,
       message_of("INSRPT", "DOC+Z01'DTM+163:20260501:102'DOC+Z01'DTM+164:20260430:102'"), {}},
      {"INSRPT_OutsideSG7NotChecked", insrpt,
       message_of("INSRPT", "DTM+163:20260501:102'DTM+164:20260430:102'DOC+Z01'"), {}},
      {"INSRPT_NestedGroupBelongsToInstance", insrpt,
       message_of("INSRPT", "DOC+Z01'DTM+163:20260501:102'QTY+1:5'DTM+164:20260430:102'"), {sg7}},
  };
}

// A message with a period in each instance of a group: every period is checked on its own.
std::vector<RuleCase> each_period_cases() {
  const auto mscons = messages::mscons::semantic_rule_pack;
  const auto orders = messages::orders::semantic_rule_pack;
  const std::string reversed = "DTM+163:20260502:102'DTM+164:20260501:102'";
  const std::string in_order = "DTM+163:20260501:102'DTM+164:20260502:102'";
  auto mscons_finding = [](std::size_t at) { return period_finding("SEM-MSCONS-PERIOD-ORDER", at); };
  auto orders_finding = [](std::size_t at) { return period_finding("SEM-ORDERS-PERIOD-ORDER", at); };
  return {
      {"MSCONS_FirstAndLastOfThreeSg10Reversed", mscons,
       message_of("MSCONS", "LIN+1'QTY+220:1'" + reversed + "QTY+220:2'" + in_order + "QTY+220:3'" + reversed),
       {mscons_finding(3), mscons_finding(9)}},
      {"MSCONS_MiddleSg10Reversed", mscons,
       message_of("MSCONS", "QTY+220:1'" + in_order + "QTY+220:2'" + reversed + "QTY+220:3'" + in_order),
       {mscons_finding(5)}},
      {"MSCONS_TransferPeriodApartFromItsValues", mscons,
       message_of("MSCONS", "LOC+172+51238696781'" + reversed + "LIN+1'QTY+220:1'" + in_order),
       {mscons_finding(2)}},
      {"MSCONS_Sg10NotComparedWithEachOther", mscons,
       message_of("MSCONS", "QTY+220:1'DTM+163:20260502:102'QTY+220:2'DTM+164:20260501:102'"), {}},
      {"ORDERS_EachPositionOnItsOwn", orders,
       message_of("ORDERS", "LIN+1'" + reversed + "LIN+2'" + in_order + "LIN+3'" + reversed),
       {orders_finding(2), orders_finding(8)}},
  };
}

std::vector<RuleCase> contrl_cases() {
  const auto contrl = messages::contrl::semantic_rule_pack;
  auto finding = [](std::string_view code, std::size_t at) {
    return Expected{"SEM-CONTRL-SYNTAX-CODE-UNKNOWN", contrl_message(code), "UCI", contrl_suggestion, at};
  };
  return {
      {"CONTRL_Code7", contrl, message_of("CONTRL", "UCI+1+S:14+R:14+7'"), {}},
      {"CONTRL_Code4", contrl, message_of("CONTRL", "UCI+1+S:14+R:14+4'"), {}},
      {"CONTRL_Code8", contrl, message_of("CONTRL", "UCI+1+S:14+R:14+8'"), {}},
      {"CONTRL_Code9", contrl, message_of("CONTRL", "UCI+1+S:14+R:14+9'"), {finding("9", 1)}},
      {"CONTRL_CodeNotExact", contrl, message_of("CONTRL", "UCI+1+S:14+R:14+07'"), {finding("07", 1)}},
      {"CONTRL_CodeNamedUnchanged", contrl, message_of("CONTRL", "UCI+1+S:14+R:14+7?:x:y'"),
       {finding("7:x", 1)}},
      {"CONTRL_EmptyCode", contrl, message_of("CONTRL", "UCI+1+S:14+R:14+'"), {}},
      {"CONTRL_NoCodeElement", contrl, message_of("CONTRL", "UCI+1+S:14+R:14'"), {}},
      {"CONTRL_EachSegmentInOrder", contrl,
       message_of("CONTRL", "UCI+1+S:14+R:14+9'UCM+1+UTILMD:D:11A:UN+4'UCI+2+S:14+R:14+X'"),
       {finding("9", 1), finding("X", 3)}},
      {"CONTRL_OtherTagIgnored", contrl, message_of("CONTRL", "UCM+1+S:14+R:14+9'"), {}},
      {"CONTRL_ScopedToItsType", contrl, message_of("APERAK", "UCI+1+S:14+R:14+9'"), {}},
  };
}

std::vector<RuleCase> mscons_cases() {
  const auto mscons = messages::mscons::semantic_rule_pack;
  auto location = [](std::size_t at) {
    return Expected{"SEM-MSCONS-LOCATION-FORMAT", meldepunkt_message, "LOC", meldepunkt_suggestion, at};
  };
  auto unit = [](std::size_t at) {
    return Expected{"SEM-MSCONS-UNIT-UNKNOWN", unit_message, "QTY", unit_suggestion, at};
  };
  return {
      {"MSCONS_MaloId", mscons, message_of("MSCONS", "LOC+172+51238696781'"), {}},
      {"MSCONS_MaloIdLetters", mscons, message_of("MSCONS", "LOC+172+ABCDEFGHIJK'"), {}},
      {"MSCONS_MaloIdLowerCase", mscons, message_of("MSCONS", "LOC+172+abcdefghijk'"), {location(1)}},
      {"MSCONS_MeloId", mscons, message_of("MSCONS", "LOC+172+" + melo_id + "'"), {}},
      {"MSCONS_MeloIdLowerCountry", mscons, message_of("MSCONS", "LOC+172+de" + melo_id.substr(2) + "'"),
       {location(1)}},
      {"MSCONS_TwelveCharacters", mscons, message_of("MSCONS", "LOC+172+512386967812'"), {location(1)}},
      {"MSCONS_EmptyMeldepunkt", mscons, message_of("MSCONS", "LOC+172+:89'"), {}},
      {"MSCONS_NoMeldepunktElement", mscons, message_of("MSCONS", "LOC+172'"), {}},
      {"MSCONS_OtherQualifier", mscons, message_of("MSCONS", "LOC+Z04+X'"), {}},
      {"MSCONS_LaterComponentsIgnored", mscons, message_of("MSCONS", "LOC+172+51238696781:bad:x'"), {}},
      {"MSCONS_UnitKwh", mscons, message_of("MSCONS", "QTY+220:100:KWH'"), {}},
      {"MSCONS_UnitZ14", mscons, message_of("MSCONS", "QTY+220:100:Z14'"), {}},
      {"MSCONS_UnitOfFourLetters", mscons, message_of("MSCONS", "QTY+220:100:KVAR'"), {}},
      {"MSCONS_UnitMixedCase", mscons, message_of("MSCONS", "QTY+220:100:kWh'"), {unit(1)}},
      {"MSCONS_UnitFiveLetters", mscons, message_of("MSCONS", "QTY+220:100:KWHXX'"), {unit(1)}},
      {"MSCONS_UnitPrefixOfApproved", mscons, message_of("MSCONS", "QTY+220:100:KV'"), {unit(1)}},
      {"MSCONS_NoUnitComponent", mscons, message_of("MSCONS", "QTY+220:100'"), {}},
      {"MSCONS_EmptyUnit", mscons, message_of("MSCONS", "QTY+220:100:'"), {}},
      {"MSCONS_RulesInPackOrder", mscons,
       message_of("MSCONS", "QTY+220:5:XYZ'LOC+172+BAD'DTM+163:20260501:102'DTM+164:20260430:102'"),
       {location(2), period_finding("SEM-MSCONS-PERIOD-ORDER", 3), unit(1)}},
      {"MSCONS_ScopedToItsType", mscons, message_of("UTILMD", "QTY+220:5:XYZ'LOC+172+BAD'"), {}},
  };
}

std::vector<RuleCase> utilmd_cases() {
  const auto utilmd = messages::utilmd::semantic_rule_pack;
  auto finding = [](std::string_view qualifier, std::size_t at) {
    return Expected{"SEM-UTILMD-LOKATIONS-ID",
                    "LOC+" + std::string(qualifier) + " element 3225: " + malo_melo_pattern, "LOC",
                    lokations_suggestion, at};
  };
  return {
      {"UTILMD_Z16Malo", utilmd, message_of("UTILMD", "LOC+Z16+51238696781'"), {}},
      {"UTILMD_Z17Malo", utilmd, message_of("UTILMD", "LOC+Z17+51238696781'"), {}},
      {"UTILMD_Z22Melo", utilmd, message_of("UTILMD", "LOC+Z22+" + melo_id + "'"), {}},
      {"UTILMD_Z16Bad", utilmd, message_of("UTILMD", "LOC+Z16+1234'"), {finding("Z16", 1)}},
      {"UTILMD_Z22Bad", utilmd, message_of("UTILMD", "LOC+Z22+abcdefghijk'"), {finding("Z22", 1)}},
      {"UTILMD_Z17Bad", utilmd, message_of("UTILMD", "LOC+Z17+" + melo_id + "X'"), {finding("Z17", 1)}},
      {"UTILMD_Z15NotExamined", utilmd, message_of("UTILMD", "LOC+Z15+1234'"), {}},
      {"UTILMD_172NotExamined", utilmd, message_of("UTILMD", "LOC+172+1234'"), {}},
      {"UTILMD_EmptyId", utilmd, message_of("UTILMD", "LOC+Z16+'"), {}},
      {"UTILMD_EachSegmentInOrder", utilmd,
       message_of("UTILMD", "LOC+Z17+1'IDE+24+1'LOC+Z16+51238696781'LOC+Z16+2'"),
       {finding("Z17", 1), finding("Z16", 4)}},
  };
}

class SemanticRule : public testing::TestWithParam<RuleCase> {};

TEST_P(SemanticRule, ReportsExactlyTheExpectedFindings) {
  const RuleCase& rule_case = GetParam();
  const std::vector<Segment> segments = edifact_test::parsed(rule_case.text);
  const ValidationReport report = run_pack(rule_case.pack, segments);

  EXPECT_TRUE(report.warnings.empty());
  EXPECT_TRUE(report.infos.empty());
  ASSERT_EQ(report.errors.size(), rule_case.findings.size());
  for (std::size_t index = 0; index < rule_case.findings.size(); ++index) {
    const Expected& expected = rule_case.findings[index];
    const ValidationIssue& finding = report.errors[index];
    SCOPED_TRACE(index);
    ASSERT_LT(expected.at, segments.size());
    EXPECT_EQ(finding.severity, Severity::Error);
    EXPECT_EQ(finding.rule_id, expected.rule_id);
    EXPECT_EQ(finding.message, expected.message);
    EXPECT_EQ(finding.segment, expected.segment);
    EXPECT_EQ(finding.suggestion, expected.suggestion);
    EXPECT_EQ(finding.span, segments[expected.at].span());
    EXPECT_TRUE(finding.context.empty());
    EXPECT_EQ(finding.segment_index, expected.indexed ? std::optional<std::uint16_t>(expected.at) : std::nullopt);
    EXPECT_EQ(finding.segment_group ? std::optional<std::string>(*finding.segment_group) : std::nullopt,
              expected.group);
  }
}

std::string case_name(const testing::TestParamInfo<RuleCase>& info) { return info.param.name; }

INSTANTIATE_TEST_SUITE_P(PeriodOrder, SemanticRule, testing::ValuesIn(period_cases()), case_name);
INSTANTIATE_TEST_SUITE_P(EachPeriod, SemanticRule, testing::ValuesIn(each_period_cases()), case_name);
INSTANTIATE_TEST_SUITE_P(Insrpt, SemanticRule, testing::ValuesIn(insrpt_cases()), case_name);
INSTANTIATE_TEST_SUITE_P(Contrl, SemanticRule, testing::ValuesIn(contrl_cases()), case_name);
INSTANTIATE_TEST_SUITE_P(Mscons, SemanticRule, testing::ValuesIn(mscons_cases()), case_name);
INSTANTIATE_TEST_SUITE_P(Utilmd, SemanticRule, testing::ValuesIn(utilmd_cases()), case_name);

}  // namespace

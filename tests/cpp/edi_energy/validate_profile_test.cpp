#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "edi_energy/profile/validate/ahb_checks.hpp"
#include "edi_energy/profile/validate/validate.hpp"
#include "validate_fixture.hpp"

namespace {

using edifact::report::ContextEntry;
using edifact::report::Severity;
using edifact::report::ValidationIssue;
using edi_energy::profile::validate::validate;

std::string rows(std::string_view seg8_status = R"(["Muss [1]"])", std::string_view sts_status = R"(["Kann"])") {
  return std::string(R"([{"status":["Muss"],"nr":"00001"},{"status":["Muss"],"nr":"00002"},)"
                     R"({"status":["Muss"],"nr":"00003"},{"status":["Muss"],"group":"SG2","before":"00004"},)"
                     R"({"status":["Muss"],"nr":"00004"},{"status":["Muss"],"group":"SG4","before":"00005"},)"
                     R"({"status":["Muss"],"nr":"00005"},{"status":)") +
         (sts_status.empty() ? std::string() : std::string(sts_status) + R"(,"nr":"00006"},{"status":)") +
         std::string(seg8_status) +
         R"(,"group":"SG8","before":"00007"},{"status":["Muss"],"nr":"00007"},{"status":["Kann"],"nr":"00008"},)"
         R"({"status":["Muss"],"nr":"00009"}])";
}

constexpr std::string_view base_elements =
    R"({"nr":"00001","de":"0062","operands":[{"operand":"X"}]},)"
    R"({"nr":"00003","de":"2005","operands":[{"operand":"X","code":"137"}]},)"
    R"({"nr":"00003","de":"2380","operands":[{"operand":"X"}]},)"
    R"({"nr":"00003","de":"2379","operands":[{"operand":"X","code":"303"}]},)"
    R"({"nr":"00004","de":"3035","operands":[{"operand":"X","code":"MS"},{"operand":"X","code":"MR"}]},)"
    R"({"nr":"00004","de":"3039","operands":[{"operand":"X"}]},)"
    R"({"nr":"00004","de":"3055","operands":[{"operand":"X","code":"293"}]},)"
    R"({"nr":"00005","de":"7495","operands":[{"operand":"X","code":"24"}]},)"
    R"({"nr":"00005","de":"7402","operands":[{"operand":"X"}]},)"
    R"({"nr":"00007","de":"1229","operands":[{"operand":"X [5P0..1]","code":"Z01"},{"operand":"X [5P0..1]","code":"Z98"}]},)"
    R"({"nr":"00008","de":"7059","operands":[{"operand":"X [2]","code":"Z30"}]},)"
    R"({"nr":"00009","de":"0074","operands":[{"operand":"X"}]},)"
    R"({"nr":"00009","de":"0062","operands":[{"operand":"X"}]})";

std::string column(std::string_view pid, std::string_view bgm_code, std::string_view extra_elements = "",
                   const std::string& row_text = rows()) {
  return std::string(R"({"pid":)") + std::string(pid) + R"(,"name":"Fall","rows":)" + row_text +
         R"(,"elements":[{"nr":"00002","de":"1001","operands":[{"operand":"X","code":")" + std::string(bgm_code) +
         R"("}]},{"nr":"00002","de":"1004","operands":[{"operand":"X"}]},)" + std::string(base_elements) +
         std::string(extra_elements) + "]}";
}

constexpr std::string_view conditions_json =
    R"({"1": "Wenn SG8 SEQ+Z01 vorhanden", "2": "Wenn SG8 SEQ+Z01 vorhanden", "3": "Wenn in diesem SG4 STS vorhanden"})";

constexpr std::string_view good =
    "UNH+1'BGM+E01+D1'DTM+137:202601011200:303'NAD+MS+9900000000003::293'IDE+24+V1'SEQ+Z01'CCI+Z30'UNT+8+1'";

struct ProfileCase {
  std::string_view name;
  std::string anwendungsfaelle;
  std::string_view message;
  std::optional<std::uint32_t> pid;
  std::vector<std::string> rule_ids;
  std::string_view mig_more = "";
  std::string_view packages = R"({"5P": ""})";
};

std::vector<std::string> rule_ids(const std::vector<ValidationIssue>& findings) {
  std::vector<std::string> ids;
  for (const auto& finding : findings) ids.push_back(finding.rule_id.value_or("?"));
  return ids;
}

std::string list(std::initializer_list<std::string> columns) {
  std::string text = "[";
  for (const std::string& c : columns) text += (text.size() > 1 ? "," : "") + c;
  return text + "]";
}

TEST(ProfileValidation, RuleIdsInOrder) {
  const std::string one = list({column("11001", "E01")});
  const std::vector<ProfileCase> cases{
      {"clean message", one, good, 11001, {}},
      {"empty message", one, "", 11001,
       {"MIG-00001-UNH-REQUIRED", "MIG-00002-BGM-REQUIRED", "MIG-00003-DTM-REQUIRED", "MIG-SG2-00004-REQUIRED",
        "MIG-SG4-00005-REQUIRED", "MIG-00009-UNT-REQUIRED", "AHB-11001-00001-UNH-MISSING",
        "AHB-11001-00002-BGM-MISSING", "AHB-11001-00003-DTM-MISSING", "AHB-11001-SG2-00004-MISSING",
        "AHB-11001-SG4-00005-MISSING", "AHB-11001-00009-UNT-MISSING"}},
      // While no column is chosen an "R" status counts as mandatory (CCI DE 1131).
      {"unknown pid", one, good, 11009, {"MIG-00008-CCI-1131-REQUIRED", "AHB-UNKNOWN-PID"}},
      {"unknown pid in an exempt profile uses the BGM", one, good, 11009, {}, R"(,"pid_exempt":true)"},
      {"no pid, single column", list({column("11001", "E02")}), good, std::nullopt,
       {"AHB-11001-00002-BGM-1001-CODE"}},
      {"no pid, BGM picks the column", list({column("11001", "E02"), column("11002", "E01")}), good, std::nullopt,
       {}},
      {"no pid, BGM ambiguous", list({column("11001", "E01"), column("11002", "E01")}), good, std::nullopt,
       {"MIG-00008-CCI-1131-REQUIRED", "AHB-SKIP-NO-PID"}},
      {"no pid, BGM listed by no column: best fit keeps the fewest errors",
       list({column("null", "E01", "", rows(R"(["Muss [1]"])", R"(["Muss"])")), column("null", "E02")}),
       "UNH+1'BGM+E03+D1'DTM+137:202601011200:303'NAD+MS+9900000000003::293'IDE+24+V1'SEQ+Z01'CCI+Z30'UNT+8+1'",
       std::nullopt, {"MIG-00008-CCI-1131-REQUIRED", "AHB-col2-00002-BGM-1001-CODE"}},
      {"best fit on a tie keeps the first",
       list({column("null", "E02"), column("null", "E03"), column("null", "E02")}), good, std::nullopt,
       {"MIG-00008-CCI-1131-REQUIRED", "AHB-col1-00002-BGM-1001-CODE"}},
      {"column label of the third column", list({column("null", "E02"), column("null", "E03"), column("null", "E01")}),
       "UNH+1'BGM+E01+D1'NAD+MS+9900000000003::293'IDE+24+V1'SEQ+Z01'CCI+Z30'UNT+8+1'", std::nullopt,
       {"MIG-00003-DTM-REQUIRED", "AHB-col3-00003-DTM-MISSING"}},
      {"group and segment too often", one,
       "UNH+1'BGM+E01+D1'DTM+137:202601011200:303'DTM+137:202601011200:303'DTM+137:202601011200:303'"
       "NAD+MS+9900000000003::293'NAD+MR+9900000000003::293'NAD+MR+9900000000003::293'IDE+24+V1'UNT+8+1'",
       11001, {"MIG-STRUCTURE", "MIG-00003-DTM-MAX"}},
      // [1] asks for an SG8 SEQ+Z01 in the Vorgang itself: V1 is not held to what V2 holds.
      {"mandatory group missing in one of two instances", one,
       "UNH+1'BGM+E01+D1'DTM+137:202601011200:303'NAD+MS+9900000000003::293'IDE+24+V1'IDE+24+V2'SEQ+Z01'UNT+8+1'",
       11001, {}},
      {"segment outside the column", list({column("11001", "E01", "", rows(R"(["Muss [1]"])", ""))}),
       "UNH+1'BGM+E01+D1'DTM+137:202601011200:303'NAD+MS+9900000000003::293'IDE+24+V1'STS+E'SEQ+Z01'UNT+8+1'",
       11001, {"AHB-11001-00006-STS-NOT-PERMITTED"}},
      {"segment outside the column and absent", list({column("11001", "E01", "", rows(R"(["Muss [1]"])", ""))}),
       good, 11001, {}},
      {"Voraussetzung not met", list({column("11001", "E01", "", rows(R"(["Muss [3]"])", R"(["Kann"])"))}),
       "UNH+1'BGM+E01+D1'DTM+137:202601011200:303'NAD+MS+9900000000003::293'IDE+24+V1'SEQ+Z01'UNT+8+1'",
       11001, {"AHB-11001-SG8-00007-NOT-PERMITTED"}},
      {"codes, empty required element and unknown element", one,
       "UNH+1'BGM+E02'DTM+137:202601011200:303'NAD+MS+9900000000003::9'IDE+24+V1'STS+E'SEQ+Z99'CCI+Z30+7'UNT+8+1'",
       11001,
       // SG8 and CCI+Z30 hang on SEQ+Z01, which is absent.
       {"MIG-00002-BGM-C106-REQUIRED", "MIG-00007-SEQ-1229-CODE", "AHB-11001-SG8-00007-NOT-PERMITTED",
        "AHB-11001-00002-BGM-1001-CODE", "AHB-11001-00002-BGM-1004-MISSING", "AHB-11001-00004-NAD-3055-CODE",
        "AHB-11001-00006-STS-9015-NOT-PERMITTED", "AHB-11001-00007-SEQ-1229-CODE", "AHB-11001-00008-CCI-7059-CODE",
        "AHB-11001-00008-CCI-1131-NOT-PERMITTED"}},
  };
  for (const ProfileCase& c : cases) {
    const auto profile = validate_fixture::profile(validate_fixture::mig(c.mig_more),
                                                   validate_fixture::ahb(c.anwendungsfaelle, conditions_json, c.packages));
    const auto segments = validate_fixture::message(c.message);
    EXPECT_EQ(rule_ids(validate(profile, segments, c.pid)), c.rule_ids) << c.name;
  }
}

// Findings that hinge on one boundary each: the instance a Paket counts over, the condition of
// a Paket minimum, the "not used" positions the MIG alone reports, and the first surplus
// component or data element.
TEST(ProfileValidation, BoundariesOfCountsAndSurplus) {
  const std::string counted = list({column(
      "11001", "E01",
      R"(,{"nr":"00008","de":"1131","operands":[{"operand":"X [9P0..1]","code":"7"}]},)"
      R"({"nr":"00007","de":"1229","operands":[{"operand":"X [3] [6P1..n]","code":"Z98"},{"operand":"X","code":"Z01"}]})")});
  const std::string_view packages = R"({"5P": "", "6P": "", "9P": ""})";
  const std::string head = "UNH+1'BGM+E01+D1'DTM+137:202601011200:303'NAD+MS+9900000000003::293'";
  const std::string one = list({column("11001", "E01")});
  const auto with_head = [&](std::string_view rest) { return head + std::string(rest) + "UNT+8+1'"; };
  // Kept alive for the string_views of the cases.
  const std::vector<std::string> messages{
      with_head("IDE+24+V1'SEQ+Z01'IDE+24+V2'SEQ+Z01'"),
      with_head("IDE+24+V1'SEQ+Z01'SEQ+Z01'"),
      with_head("IDE+24+V1'SEQ+Z01'CCI+Z30+7'SEQ+Z01'CCI+Z30+7'"),
      with_head("IDE+24+V1'SEQ+Z01'CCI+Z30+7'CCI+Z30+7'"),
      with_head("IDE+24+V1'STS+E'SEQ+Z01'"),
      with_head("IDE+24+V1'SEQ+Z01'"),
      head.substr(0, head.size() - 6) + ":x:293'IDE+24+V1'STS+E+x'SEQ+Z01'UNT+8+1'",
      "UNH+1'BGM+E01+D1+'DTM+137:202601011200:303'NAD+MS+9900000000003::293:'IDE+24+V1'SEQ+Z01'UNT+8+1'",
      "UNH+1'BGM+E01+D1+X'DTM+137:202601011200:303'NAD+MS+9900000000003::293:X'IDE+24+V1'SEQ+Z01'UNT+8+1'",
  };
  const std::vector<ProfileCase> cases{
      // SEQ stands once per SG8, so its codes count per SG4 instance.
      {"one Z01 in each of two SG4", counted, messages[0], 11001, {}, "", packages},
      {"two Z01 in one SG4", counted, messages[1], 11001, {"AHB-11001-00007-SEQ-1229-PAKET-MAX"}, "", packages},
      // CCI stands once per SG10, which repeats: its codes count per SG8 instance.
      {"one CCI value in each of two SG8", counted, messages[2], 11001, {"AHB-11001-00007-SEQ-1229-PAKET-MAX"}, "",
       packages},
      {"two CCI values in one SG8", counted, messages[3], 11001, {"AHB-11001-00008-CCI-1131-PAKET-MAX"}, "", packages},
      // The minimum of 6P applies only while [3] (an STS in the SG4) holds.
      {"Paket minimum with its condition false", counted, messages[5], 11001, {}, "", packages},
      {"Paket minimum with its condition true", counted, messages[4], 11001,
       {"AHB-11001-00006-STS-9015-NOT-PERMITTED", "AHB-11001-00007-SEQ-1229-PAKET-MIN"}, "", packages},
      {"values in not-used positions", one, messages[6], 11001,
       {"MIG-00004-NAD-1131-NOTUSED", "MIG-00006-STS-4405-NOTUSED", "AHB-11001-00006-STS-9015-NOT-PERMITTED"}},
      {"empty surplus component and data element", one, messages[7], 11001, {}},
      {"first surplus component and data element", one, messages[8], 11001,
       {"MIG-00002-BGM-EXTRA", "MIG-00004-NAD-C082-EXTRA"}},
  };
  for (const ProfileCase& c : cases) {
    const auto profile = validate_fixture::profile(validate_fixture::mig(c.mig_more),
                                                   validate_fixture::ahb(c.anwendungsfaelle, conditions_json, c.packages));
    const auto segments = validate_fixture::message(c.message);
    EXPECT_EQ(rule_ids(validate(profile, segments, c.pid)), c.rule_ids) << c.name;
  }
}

// Pakete nested far beyond any AHB count as undecided, so their minimum asks for nothing; the
// validation neither recurses without bound nor fails.
TEST(ProfileValidation, PaketChainBeyondTheBound) {
  const std::string anwendungsfaelle = list({column(
      "11001", "E01",
      R"(,{"nr":"00007","de":"1229","operands":[{"operand":"X [1P1..1]","code":"Z98"},{"operand":"X","code":"Z01"}]})")});
  for (const int depth : {3, 10'000}) {
    std::string packages = "{";
    for (int level = 1; level < depth; ++level) {
      packages += "\"" + std::to_string(level) + "P\":\"[" + std::to_string(level + 1) + "P]\",";
    }
    packages += "\"" + std::to_string(depth) + "P\": \"\"}";
    const auto profile = validate_fixture::profile(validate_fixture::mig(),
                                                   validate_fixture::ahb(anwendungsfaelle, conditions_json, packages));
    const std::vector<std::string> expected =
        depth == 3 ? std::vector<std::string>{"AHB-11001-00007-SEQ-1229-PAKET-MIN"} : std::vector<std::string>{};
    EXPECT_EQ(rule_ids(validate(profile, validate_fixture::message(good), 11001)), expected) << depth;
  }
}

struct ShapeCase {
  std::string_view rule_id;
  std::string message;
  Severity severity;
  std::vector<ContextEntry> context;
  std::optional<std::string> segment;
  std::optional<std::string> group;
  std::optional<std::uint16_t> segment_index;
  std::optional<std::uint8_t> element;
  std::optional<std::uint8_t> component;
};

// One column with extra element rules and Pakete, checked against one message that breaks it in
// many ways; each finding is looked up by its rule id.
TEST(ProfileValidation, FindingShapes) {
  const std::string extra =
      R"(,{"nr":"00008","de":"1131","operands":[{"operand":"Muss"},{"operand":"X [3]","code":"1"}]},)"
      R"({"nr":"00009","de":"0074","operands":[{"operand":"X [903]"},{"operand":"X [903] [501]"}]},)"
      R"({"nr":"00007","de":"1229","operands":[{"operand":"X [6P1..n]","code":"Z98"},{"operand":"X [7P0..0]","code":"Z01"},)"
      R"({"operand":"X [8P0..0]","code":"Z01"}]})";
  const auto profile = validate_fixture::profile(
      validate_fixture::mig(),
      // SG8 is asked for in V2 by its own STS: [1] looks at V2's SG8 alone.
      validate_fixture::ahb(list({column("11001", "E01", extra, rows(R"(["Muss [1] ∨ [3]"])"))}), conditions_json,
                            R"({"5P": "", "6P": "", "7P": "[3]", "8P": "[8P]"})"));
  const auto segments = validate_fixture::message(
      "UNH+1'BGM+E01'NAD+MS+9900000000003::293'IDE+24+V1'SEQ+Z01'CCI+Z30+7'SEQ+Z01'CCI+Z30'IDE+24+V2'STS+E'UNT+8+1'");
  const auto findings = validate(profile, segments, 11001);
  const ContextEntry pid{"pid", "11001"};
  const std::vector<ShapeCase> cases{
      {"AHB-11001-00003-DTM-MISSING", "DTM „Datum“ (Nr 00003) is Muss for 11001 but missing — AHB status Muss",
       Severity::Error, {{"nr", "00003"}, pid}, "DTM", std::nullopt, std::nullopt, std::nullopt, std::nullopt},
      {"AHB-11001-SG8-00007-MISSING",
       "segment group SG8 „Daten“ (Nr 00007) is Muss for 11001 in SG4 but missing — AHB status Muss [1] ∨ [3]",
       Severity::Error, {{"nr", "00007"}, pid, {"scope", "8"}}, std::nullopt, "SG8", std::nullopt, std::nullopt,
       std::nullopt},
      {"AHB-11001-00002-BGM-1004-MISSING",
       "BGM (Nr 00002): DE 1004 „Dokumentennummer“ is required by the Prüfschablone of 11001 but empty",
       Severity::Error, {pid, {"nr", "00002"}, {"de", "1004"}}, "BGM", std::nullopt, 1, 1, 0},
      {"AHB-11001-00008-CCI-1131-MISSING",
       "CCI (Nr 00008): DE 1131 „Nummer“ is required by the Prüfschablone of 11001 but empty — admitted: ",
       Severity::Error, {pid, {"nr", "00008"}, {"de", "1131"}}, "CCI", std::nullopt, 7, 1, 0},
      {"AHB-11001-00008-CCI-1131-CODE",
       "CCI (Nr 00008): DE 1131 „Nummer“ is \"7\"; the Prüfschablone of 11001 admits no code here", Severity::Error,
       {pid, {"nr", "00008"}, {"de", "1131"}}, "CCI", std::nullopt, 5, 1, 0},
      {"AHB-11001-00006-STS-9015-NOT-PERMITTED",
       "STS (Nr 00006): DE 9015 „Statuskategorie“ carries \"E\" but is not part of the Prüfschablone of 11001",
       Severity::Error, {pid, {"nr", "00006"}, {"de", "9015"}}, "STS", std::nullopt, 9, 0, 0},
      {"AHB-11001-00007-SEQ-1229-PAKET-MIN",
       "SEQ (Nr 00007): DE 1229 „Handlung“ carries \"Z98\" 0 times in SG4; Paket 6P of 11001 asks for 1 — AHB "
       "operand X [6P1..n]",
       Severity::Error, {pid, {"nr", "00007"}, {"de", "1229"}, {"scope", "3"}}, "SEQ", std::nullopt, std::nullopt, 0,
       0},
      {"AHB-11001-00007-SEQ-1229-PAKET-MAX",
       "SEQ (Nr 00007): DE 1229 „Handlung“ carries \"Z01\" 2 times in SG4; Paket 5P of 11001 allows 1",
       Severity::Error, {pid, {"nr", "00007"}, {"de", "1229"}, {"scope", "3"}}, "SEQ", std::nullopt, std::nullopt, 0,
       0},
  };
  for (const ShapeCase& c : cases) {
    const auto found = std::ranges::find(findings, std::optional<std::string>(c.rule_id), &ValidationIssue::rule_id);
    ASSERT_NE(found, findings.end()) << c.rule_id << " in " << ::testing::PrintToString(rule_ids(findings));
    EXPECT_EQ(found->message, c.message);
    EXPECT_EQ(found->severity, c.severity) << c.rule_id;
    EXPECT_EQ(found->context, c.context) << c.rule_id;
    EXPECT_EQ(found->segment, c.segment) << c.rule_id;
    EXPECT_EQ(found->segment_group ? std::optional<std::string>(*found->segment_group) : std::nullopt, c.group)
        << c.rule_id;
    EXPECT_EQ(found->segment_index, c.segment_index) << c.rule_id;
    EXPECT_EQ(found->element, c.element) << c.rule_id;
    EXPECT_EQ(found->component, c.component) << c.rule_id;
  }
  // One Paket bound per operand: 7P is false here, 8P cycles, so neither counts; "n" has no maximum.
  EXPECT_EQ(std::ranges::count(findings, std::optional<std::string>("AHB-11001-00007-SEQ-1229-PAKET-MAX"),
                               &ValidationIssue::rule_id),
            1);
  EXPECT_EQ(std::ranges::count(findings, std::optional<std::string>("AHB-11001-00007-SEQ-1229-PAKET-MIN"),
                               &ValidationIssue::rule_id),
            1);
  // Two operands with the same Formatbedingung give one finding, an error: receivers reject the value.
  const auto formats = std::ranges::count_if(findings, [](const ValidationIssue& issue) {
    return issue.rule_id == "FMT-11001-00009-UNT-0074-903" && issue.severity == Severity::Error &&
           issue.message.starts_with("UNT (Nr 00009): DE 0074 „Anzahl“ ") &&
           issue.message.ends_with(" — Formatbedingung [903] of 11001");
  });
  EXPECT_EQ(formats, 1);
}

// Two DTM in one scope, each with a Formatbedingung that its own qualifier selects: a value is
// judged only by the alternative its own segment selects, and a broken one is an error.
struct SameSegmentCase {
  std::string_view name;
  std::string_view dtms;
  std::vector<std::string> formats;
};

class FormatBesideItsSegment : public testing::TestWithParam<SameSegmentCase> {};

TEST_P(FormatBesideItsSegment, JudgesEachValueByItsOwnQualifier) {
  const std::string extra =
      R"json(,{"nr":"00003","de":"2380","operands":[{"operand":"X ([910] [4]) ∨ ([939] [5])"}]})json";
  const std::string conditions =
      R"({"1": "Wenn SG8 SEQ+Z01 vorhanden", "2": "Wenn SG8 SEQ+Z01 vorhanden",)"
      R"( "4": "Wenn im DE2005 in demselben DTM der Code 137 vorhanden ist",)"
      R"( "5": "Wenn im DE2005 in demselben DTM der Code 163 vorhanden ist"})";
  const auto profile = validate_fixture::profile(
      validate_fixture::mig(), validate_fixture::ahb(list({column("11001", "E01", extra)}), conditions));
  const std::string text = "UNH+1'BGM+E01+D1'" + std::string(GetParam().dtms) +
                           "NAD+MS+9900000000003::293'IDE+24+V1'SEQ+Z01'CCI+Z30'UNT+9+1'";
  std::vector<std::string> formats;
  for (const auto& finding : validate(profile, validate_fixture::message(text), 11001)) {
    if (!finding.rule_id || !finding.rule_id->starts_with("FMT-")) continue;
    EXPECT_EQ(finding.severity, Severity::Error) << *finding.rule_id;
    formats.push_back(*finding.rule_id);
  }
  EXPECT_EQ(formats, GetParam().formats);
}

INSTANTIATE_TEST_SUITE_P(
    ProfileValidation, FormatBesideItsSegment,
    testing::Values(SameSegmentCase{"both_fit", "DTM+137:5:303'DTM+163:a@b.de:303'", {}},
                    SameSegmentCase{"number_where_mail_is_asked", "DTM+137:5:303'DTM+163:12:303'",
                                    {"FMT-11001-00003-DTM-2380-939"}},
                    SameSegmentCase{"text_where_number_is_asked", "DTM+137:abc:303'DTM+163:a@b.de:303'",
                                    {"FMT-11001-00003-DTM-2380-910"}}),
    [](const auto& info) { return std::string(info.param.name); });

// A segment row whose Voraussetzung speaks of "this STS": each STS of the Vorgang answers for
// itself, and with none there the text decides nothing.
struct OwnRowCase {
  std::string_view name;
  std::string_view statuses;
  std::vector<std::string> rule_ids;
};

class RowOfItsOwnSegment : public testing::TestWithParam<OwnRowCase> {};

TEST_P(RowOfItsOwnSegment, IsDecidedByEachOccurrence) {
  const std::string extra =
      R"json(,{"nr":"00006","de":"9015","operands":[{"operand":"X","code":"E"},{"operand":"X","code":"Z"}]})json";
  const auto profile = validate_fixture::profile(
      validate_fixture::mig(),
      validate_fixture::ahb(list({column("11001", "E01", extra, rows(R"(["Muss [1]"])", R"(["Muss [6]"])"))}),
                            R"({"1": "Wenn SG8 SEQ+Z01 vorhanden", "6": "Wenn in diesem STS DE9015 = E"})"));
  const std::string text = "UNH+1'BGM+E01+D1'DTM+137:202601011200:303'NAD+MS+9900000000003::293'IDE+24+V1'" +
                           std::string(GetParam().statuses) + "SEQ+Z01'CCI+Z30'UNT+8+1'";
  EXPECT_EQ(rule_ids(validate(profile, validate_fixture::message(text), 11001)), GetParam().rule_ids);
}

INSTANTIATE_TEST_SUITE_P(
    ProfileValidation, RowOfItsOwnSegment,
    testing::Values(OwnRowCase{"permitted", "STS+E'", {}},
                    OwnRowCase{"not_permitted", "STS+Z'", {"AHB-11001-00006-STS-NOT-PERMITTED"}},
                    OwnRowCase{"permitted_twice", "STS+E'STS+E'", {}},
                    OwnRowCase{"not_permitted_after_one_permitted", "STS+E'STS+Z'",
                               {"AHB-11001-00006-STS-NOT-PERMITTED"}},
                    OwnRowCase{"not_permitted_before_one_permitted", "STS+Z'STS+E'",
                               {"AHB-11001-00006-STS-NOT-PERMITTED"}},
                    OwnRowCase{"absent", "", {}}),
    [](const auto& info) { return std::string(info.param.name); });

// A name composite that repeats its data element, as the MIGs give C080: the column names the
// first line; the later lines are permitted and required only where the column lists them itself.
constexpr std::string_view name_lines_mig =
    R"({"message_type":"UTILMD","release":"S2.1","schema_version":2,"ahb_version":"1.0",)"
    R"("source":{"file":"u.pdf"},"valid_from":"2026-01-01","structure":[
 {"nr":"00001","tag":"UNH","status":"M","max":1,"name":"Kopf","elements":[
   {"id":"0062","name":"Referenz","status":"M","format":"an..14"}]},
 {"nr":"00002","tag":"NAD","status":"M","max":1,"name":"Kunde","elements":[
   {"id":"3035","name":"Qualifier","status":"M","format":"an..3","codes":[{"code":"Z09","name":"a"}]},
   {"id":"C058","name":"Zeilen","status":"N","components":[
     {"id":"3124","name":"Zeile","status":"N","format":"an..35"}]},
   {"id":"C080","name":"Name","status":"R","components":[
     {"id":"3036","name":"Name","status":"M","format":"an..70"},
     {"id":"3036","name":"Name","status":"D","format":"an..70"},
     {"id":"3036","name":"Name","status":"R","format":"an..70"},
     {"id":"3045","name":"Format","status":"R","format":"an..3",
      "codes":[{"code":"Z01","name":"a"},{"code":"Z02","name":"b"}]}]}]},
 {"nr":"00003","tag":"UNT","status":"M","max":1,"name":"Ende","elements":[
   {"id":"0062","name":"Referenz","status":"M","format":"an..14"}]}]})";

std::string name_lines_column(std::string_view name_rules) {
  return list({std::string(R"({"pid":11001,"name":"Fall","rows":[{"status":["Muss"],"nr":"00001"},)"
                           R"({"status":["Muss"],"nr":"00002"},{"status":["Muss"],"nr":"00003"}],"elements":[)"
                           R"({"nr":"00001","de":"0062","operands":[{"operand":"X"}]},)"
                           R"({"nr":"00002","de":"3035","operands":[{"operand":"X","code":"Z09"}]},)"
                           R"({"nr":"00002","de":"3045","operands":[{"operand":"X","code":"Z02"}]},)"
                           R"({"nr":"00003","de":"0062","operands":[{"operand":"X"}]})") +
               std::string(name_rules) + "]}"});
}

TEST(ProfileValidation, RepeatedDataElementsOfAComposite) {
  const std::string first_line = R"(,{"nr":"00002","de":"3036","operands":[{"operand":"X"}]})";
  const std::string first_and_third_line =
      first_line + R"(,{"nr":"00002","de":"3036","occurrence":2,"operands":[{"operand":"X","code":"Musterhaus"}]})";
  const std::vector<ProfileCase> cases{
      {"later lines are covered by the first", name_lines_column(first_line),
       "UNH+1'NAD+Z09++Firma AG:Musterfirma:Abteilung:Z02'UNT+1'", 11001, {}},
      {"a later line is never required", name_lines_column(first_line), "UNH+1'NAD+Z09++Firma AG:::Z02'UNT+1'",
       11001, {}},
      {"no line for the data element covers none of its repeats", name_lines_column(std::string()),
       "UNH+1'NAD+Z09++Firma AG:Musterfirma::Z02'UNT+1'", 11001,
       {"AHB-11001-00002-NAD-3036-NOT-PERMITTED", "AHB-11001-00002-NAD-3036-NOT-PERMITTED"}},
      {"a line for a repeat itself makes it required", name_lines_column(first_and_third_line),
       "UNH+1'NAD+Z09++Firma AG:Musterfirma::Z02'UNT+1'", 11001,
       {"MIG-00002-NAD-3036-REQUIRED", "AHB-11001-00002-NAD-3036-MISSING"}},
      {"a line for a repeat itself checks its codes", name_lines_column(first_and_third_line),
       "UNH+1'NAD+Z09++Firma AG::Anderswo:Z02'UNT+1'", 11001, {"AHB-11001-00002-NAD-3036-CODE"}},
      {"lines beyond the composite and unused composites stay faults", name_lines_column(first_line),
       "UNH+1'NAD+Z09+Zeile+Firma AG:Musterfirma:Abteilung:Z02:Mehr'UNT+1'", 11001,
       {"MIG-00002-NAD-C058-NOTUSED", "MIG-00002-NAD-3124-NOTUSED", "MIG-00002-NAD-C080-EXTRA"}},
  };
  for (const ProfileCase& c : cases) {
    const auto profile =
        validate_fixture::profile(std::string(name_lines_mig), validate_fixture::ahb(c.anwendungsfaelle));
    const auto segments = validate_fixture::message(c.message);
    EXPECT_EQ(rule_ids(validate(profile, segments, c.pid)), c.rule_ids) << c.name;
  }
}

struct OutsideCase {
  std::string_view name;
  std::string_view vorgaenge;
  std::vector<std::optional<std::uint16_t>> at;
};

// A segment the column has no row for is found once per instance, at its first segment there.
TEST(ProfileValidation, SegmentOutsideTheColumnIsFoundWhereItStands) {
  const auto profile = validate_fixture::profile(
      validate_fixture::mig(), validate_fixture::ahb(list({column("11001", "E01", "", rows(R"(["Muss [1]"])", ""))})));
  const std::vector<OutsideCase> cases{
      {"in the only Vorgang", "IDE+24+V1'STS+E'SEQ+Z01'", {5}},
      {"twice in the second Vorgang", "IDE+24+V1'SEQ+Z01'IDE+24+V2'STS+E'STS+E'SEQ+Z01'", {7}},
      {"in each Vorgang", "IDE+24+V1'STS+E'SEQ+Z01'IDE+24+V2'STS+E'SEQ+Z01'", {5, 8}},
  };
  for (const OutsideCase& c : cases) {
    const auto message = "UNH+1'BGM+E01+D1'DTM+137:202601011200:303'NAD+MS+9900000000003::293'" +
                         std::string(c.vorgaenge) + "UNT+8+1'";
    std::vector<std::optional<std::uint16_t>> at;
    for (const auto& finding : validate(profile, validate_fixture::message(message), 11001)) {
      if (finding.rule_id == "AHB-11001-00006-STS-NOT-PERMITTED") at.push_back(finding.segment_index);
    }
    EXPECT_EQ(at, c.at) << c.name;
  }
}

// A segment or group the MIG requires in every Vorgang, missing from the second only: the finding
// names that Vorgang by its IDE.
TEST(ProfileValidation, MissingSegmentOrGroupNamesItsInstance) {
  std::string mig = validate_fixture::mig();
  for (const std::string_view node : {R"("tag":"STS","status":"D")", R"("group":"SG8","status":"D")"}) {
    const std::size_t at = mig.find(node);
    ASSERT_NE(at, std::string::npos) << node;
    mig.replace(at + node.size() - 2, 1, "R");
  }
  const auto profile = validate_fixture::profile(mig, validate_fixture::ahb(list({column("11001", "E01")})));
  const auto findings = validate(profile,
                                 validate_fixture::message("UNH+1'BGM+E01+D1'DTM+137:202601011200:303'"
                                                           "NAD+MS+9900000000003::293'IDE+24+V1'STS+E'SEQ+Z01'"
                                                           "CCI+Z30'IDE+24+V2'UNT+9+1'"),
                                 11001);
  for (const std::string_view rule : {"MIG-00006-STS-REQUIRED", "MIG-SG8-00007-REQUIRED"}) {
    std::vector<std::optional<std::string_view>> scopes;
    for (const auto& finding : findings) {
      if (finding.rule_id == rule) scopes.push_back(finding.context_value("scope"));
    }
    EXPECT_EQ(scopes, (std::vector<std::optional<std::string_view>>{"8"})) << rule;
  }
}

TEST(ProfileValidation, UnplacedSegmentNamesItsPlaces) {
  const auto profile = validate_fixture::profile(validate_fixture::mig(), validate_fixture::ahb(list({column("11001", "E01")})));
  const auto findings = validate(profile, validate_fixture::message("UNH+1'XYZ+1'IDE+24+V1'BGM+E01'"), 11001);
  std::vector<std::string> structure;
  for (const auto& finding : findings) {
    if (finding.rule_id == "MIG-STRUCTURE") structure.push_back(finding.message);
  }
  ASSERT_EQ(structure.size(), 2U);
  EXPECT_EQ(structure[0],
            "segment XYZ (message segment 1) fits no place of the Nachrichtenstruktur from here on — out of order, in a "
            "wrong group, or with qualifiers no place admits; the MIG defines no place for a XYZ segment");
  EXPECT_EQ(structure[1],
            "segment BGM (message segment 3) fits no place of the Nachrichtenstruktur from here on — out of order, in a "
            "wrong group, or with qualifiers no place admits; the MIG's BGM places are 00002 „Beginn“ (BGM+E01/E02/E03)");
}

}  // namespace

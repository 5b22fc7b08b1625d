#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "edi_energy/profile/skeleton/generator.hpp"
#include "skeleton_fixture.hpp"

namespace {

namespace skeleton = edi_energy::profile::skeleton;
using skeleton::KeySets;
using skeleton_fixture::mini_ahb;
using skeleton_fixture::mini_mig;

constexpr std::string_view conditions_json = R"({"1": "Wenn SG8 SEQ+Z01 vorhanden", "6": "Hinweis: Die ID ist anzugeben"})";
constexpr std::string_view packages_json = R"({"1P": ""})";

// Rows for UNH, UNT and (unless given otherwise) SG5 with RFF and DTM; DTM in format 102.
std::string anwendungsfall(std::string_view rows, std::string_view elements = "") {
  return R"({"pid":13002,"name":"a","rows":[{"nr":"00001","status":["M"]},{"nr":"00009","status":["M"]})" +
         std::string(rows) + R"(],"elements":[{"nr":"00011","de":"2379","operands":[{"operand":"X","code":"102"}]})" +
         std::string(elements) + "]}";
}

constexpr std::string_view group_rows =
    R"(,{"group":"SG5","before":"00010","status":["Muss"]},{"nr":"00010","status":["Muss"]},{"nr":"00011","status":["X"]})";

std::string pinned(std::string_view nr, std::string_view de, std::initializer_list<std::string_view> codes) {
  std::string operands;
  for (const auto code : codes) {
    operands += std::string(operands.empty() ? "" : ",") + R"({"operand":"X [1P1..n]","code":")" + std::string(code) + "\"}";
  }
  return R"(,{"nr":")" + std::string(nr) + R"(","de":")" + std::string(de) + R"(","operands":[)" + operands + "]}";
}

KeySets keys(std::initializer_list<const char*> forced, std::initializer_list<const char*> suppressed) {
  KeySets sets;
  for (const char* nr : forced) sets.forced_segments.insert(nr);
  for (const char* nr : suppressed) sets.suppressed_segments.insert(nr);
  return sets;
}

constexpr std::string_view rff = "RFF+X:REF13002'";
constexpr std::string_view dtm = "DTM+137:20261001:102'";

struct WalkCase {
  std::string_view name;
  unsigned group_max, rff_max, dtm_max;
  std::string anwendungsfall;
  KeySets keys;
  std::string expected;
};

TEST(SkeletonWalk, UnseededColumns) {
  const std::string head = "UNH+1'", tail = "UNT+0+1'";
  const auto cat = [](std::initializer_list<std::string_view> parts) {
    std::string text;
    for (const auto part : parts) text += part;
    return text;
  };
  const std::vector<WalkCase> cases{
      {"required group with its segments", 0, 1, 1, anwendungsfall(group_rows), {}, cat({head, rff, dtm, tail})},
      {"no row for the group", 0, 1, 1, anwendungsfall(R"(,{"nr":"00011","status":["X"]})"), {}, cat({head, tail})},
      {"group row found by trigger nr", 0, 1, 1,
       anwendungsfall(R"(,{"nr":"00010","status":["X"]},{"nr":"00011","status":["Kann"]})"), {}, cat({head, rff, tail})},
      {"rows on preconditions are left out", 0, 1, 1,
       anwendungsfall(R"(,{"group":"SG5","before":"00010","status":["Muss [1]"]},{"nr":"00010","status":["Muss"]})"),
       {}, cat({head, tail})},
      {"Voraussetzung that is no precondition", 0, 1, 1,
       anwendungsfall(R"(,{"group":"SG5","before":"00010","status":["Muss [6]"]},{"nr":"00010","status":["Muss [6]"]})"),
       {}, cat({head, rff, tail})},
      {"suppression beats forcing, for a group through its trigger", 0, 1, 1, anwendungsfall(group_rows),
       keys({"00010"}, {"00010"}), cat({head, tail})},
      {"suppressed segment inside an emitted group", 0, 1, 1, anwendungsfall(group_rows), keys({}, {"00011"}),
       cat({head, rff, tail})},
      {"forced group forces its trigger only", 0, 1, 1, anwendungsfall(""), keys({"00010"}, {}),
       cat({head, rff, tail})},
      {"segment without a row only when forced", 0, 1, 1,
       anwendungsfall(R"(,{"group":"SG5","before":"00010","status":["Muss"]},{"nr":"00010","status":["Muss"]})"),
       keys({"00011"}, {}), cat({head, rff, dtm, tail})},
      {"forced top-level segment is emitted once", 0, 1, 1, anwendungsfall(""), keys({"00001"}, {}),
       cat({head, tail})},
      {"max 1 group keeps one repetition", 1, 1, 1, anwendungsfall(group_rows, pinned("00010", "1153", {"Z1", "Z2", "Z3"})),
       {}, cat({head, "RFF+Z1:REF13002'", dtm, tail})},
      {"one group instance per pin", 0, 1, 1, anwendungsfall(group_rows, pinned("00010", "1153", {"Z1", "Z2", "Z3"})),
       {},
       cat({head, "RFF+Z1:REF13002'", dtm, "RFF+Z2:REF13002'", dtm, "RFF+Z3:REF13002'", dtm, tail})},
      {"two pins per repetition, the last one short", 0, 2, 1,
       anwendungsfall(group_rows, pinned("00010", "1153", {"Z1", "Z2", "Z3", "Z4", "Z5"})), {},
       cat({head, "RFF+Z1:REF13002'RFF+Z2:REF13002'", dtm, "RFF+Z3:REF13002'RFF+Z4:REF13002'", dtm,
            "RFF+Z5:REF13002'", dtm, tail})},
      {"unbounded segment takes every pin in the first repetition", 0, 0, 1,
       anwendungsfall(group_rows, pinned("00010", "1153", {"Z1", "Z2", "Z3"}) + pinned("00011", "2005", {"A", "B"})),
       {},
       cat({head, "RFF+Z1:REF13002'RFF+Z2:REF13002'RFF+Z3:REF13002'DTM+A:20261001:102'",
            "DTM+B:20261001:102'", tail})},
  };
  for (const auto& c : cases) {
    const auto profile = validate_fixture::profile(mini_mig(c.group_max, c.rff_max, c.dtm_max),
                                                   mini_ahb(c.anwendungsfall, conditions_json, packages_json));
    EXPECT_EQ(skeleton_fixture::round(profile, c.keys), c.expected) << c.name;
  }
}

struct SeedCase {
  std::string_view name;
  std::string_view seeds;
  KeySets keys;
  std::string expected;
  std::vector<skeleton::SkippedSeed> skipped;
};

KeySets forced_elements(std::initializer_list<std::pair<const char*, const char*>> pairs, std::size_t rotation = 0) {
  KeySets sets;
  for (const auto& [nr, de] : pairs) {
    sets.forced_elements.insert({nr, de});
    if (rotation != 0) sets.code_rotation[{nr, de}] = rotation;
  }
  return sets;
}

TEST(SkeletonWalk, SeededMessages) {
  // Column of the larger fixture: UNH, BGM and UNT required, nothing else.
  const std::string af = R"([{"pid":11001,"name":"a","rows":[{"nr":"00001","status":["M"]},)"
                         R"({"nr":"00002","status":["M"]},{"nr":"00009","status":["M"]}],"elements":[]}])";
  const auto profile = validate_fixture::profile(validate_fixture::mig(), validate_fixture::ahb(af));
  KeySets suppress_nad;
  suppress_nad.suppressed_segments.insert("00004");
  suppress_nad.suppressed_elements.insert({"00004", "3039"});
  const std::vector<SeedCase> cases{
      {"seed groups the column does not require are kept, missing segments added",
       "UNH+7'NAD+MS+9900000000003::293'NAD+MR+9800000000006::332'UNT+4+7'", {},
       "UNH+7'BGM+E01+DOK11001'NAD+MS+9900000000003::293'NAD+MR+9800000000006::332'UNT+4+7'", {}},
      {"suppression removes no seed", "UNH+7'NAD+MS+9900000000003'UNT+3+7'", suppress_nad,
       "UNH+7'BGM+E01+DOK11001'NAD+MS+9900000000003'UNT+3+7'", {}},
      {"forced empty code element filled from the code list", "UNH+7'NAD+MS+9900000000003'UNT+3+7'",
       forced_elements({{"00004", "3055"}}), "UNH+7'BGM+E01+DOK11001'NAD+MS+9900000000003::9'UNT+3+7'", {}},
      {"rotation moves to the next code", "UNH+7'NAD+MS+9900000000003'UNT+3+7'",
       forced_elements({{"00004", "3055"}}, 1), "UNH+7'BGM+E01+DOK11001'NAD+MS+9900000000003::293'UNT+3+7'", {}},
      {"seed qualifier names the party", "UNH+7'NAD+MR'UNT+3+7'", forced_elements({{"00004", "3039"}}),
       "UNH+7'BGM+E01+DOK11001'NAD+MR+9800000000006'UNT+3+7'", {}},
      {"seed text wins over forcing", "UNH+7'NAD+MR+4000000000000'UNT+3+7'", forced_elements({{"00004", "3039"}}),
       "UNH+7'BGM+E01+DOK11001'NAD+MR+4000000000000'UNT+3+7'", {}},
      {"trailing empties of the seed are trimmed on rebuild", "UNH+7'NAD+MR+4000000000000:::+'UNT+3+7'",
       forced_elements({{"00004", "3039"}}), "UNH+7'BGM+E01+DOK11001'NAD+MR+4000000000000'UNT+3+7'", {}},
      {"segments without a place are named, not carried", "UNH+7'XXX+1'BGM+E02'FTX+A'UNT+3+7'", {},
       "UNH+7'BGM+E02'UNT+3+7'", {{1, "XXX"}, {3, "FTX"}}},
  };
  for (const auto& c : cases) {
    std::vector<skeleton::SkippedSeed> skipped;
    EXPECT_EQ(skeleton_fixture::round(profile, c.keys, c.seeds, &skipped), c.expected) << c.name;
    EXPECT_EQ(skipped, c.skipped) << c.name;
  }
}

TEST(SkeletonWalk, SeededGroupIsNotRepeatedForPins) {
  const auto profile = validate_fixture::profile(
      mini_mig(0, 1, 1),
      mini_ahb(anwendungsfall(group_rows, pinned("00010", "1153", {"Z1", "Z2"})), conditions_json, packages_json));
  EXPECT_EQ(skeleton_fixture::round(profile, forced_elements({{"00010", "1154"}}), "UNH+1'RFF+Z13'UNT+3+1'"),
            "UNH+1'RFF+Z13:13002'" + std::string(dtm) + "UNT+3+1'");
  EXPECT_EQ(skeleton_fixture::round(profile, {}, "UNH+1'UNT+3+1'"),
            "UNH+1'RFF+Z1:REF13002'" + std::string(dtm) + "RFF+Z2:REF13002'" + std::string(dtm) + "UNT+3+1'");
}

// UNH, NAD with a name composite whose first line is mandatory and four more may follow, UNT.
std::string party_mig() {
  return R"({"message_type":"MSCONS","release":"2.4c","schema_version":2,"ahb_version":"1.0",)"
         R"("source":{"file":"m.pdf"},"valid_from":"2026-01-01","structure":[
 {"nr":"00001","tag":"UNH","status":"M","max":1,"name":"Kopf","elements":[
   {"id":"0062","name":"Referenz","status":"M","format":"an..14"}]},
 {"nr":"00002","tag":"NAD","status":"M","max":1,"name":"Absender","elements":[
   {"id":"3035","name":"Qualifier","status":"M","format":"an..3","codes":[{"code":"MS","name":"a"}]},
   {"id":"C080","name":"Name","status":"R","components":[
     {"id":"3036","name":"Name","status":"M","format":"an..35"},
     {"id":"3036","name":"Name","status":"D","format":"an..35"},
     {"id":"3036","name":"Name","status":"D","format":"an..35"},
     {"id":"3045","name":"Format","status":"R","format":"an..3","codes":[{"code":"Z01","name":"a"}]}]}]},
 {"nr":"00009","tag":"UNT","status":"M","max":1,"name":"Ende","elements":[
   {"id":"0074","name":"Anzahl","status":"M","format":"n..6"},
   {"id":"0062","name":"Referenz","status":"M","format":"an..14"}]}]})";
}

struct RepeatCase {
  std::string_view name;
  std::string_view rules;  // the column's element rules for the NAD
  std::string_view seeds;  // empty: synthesized
  std::string expected;
};

// A forced data element that the layout repeats fills only the repeats that the column names,
// on a seed as in a synthesized segment; a repeat filled on a seed could not be taken out again.
TEST(SkeletonWalk, ForcedElementFillsOnlyTheRepeatsTheColumnNames) {
  const std::string named_once = R"([{"nr":"00002","de":"3035","operands":[{"operand":"X","code":"MS"}]},)"
                                 R"({"nr":"00002","de":"3036","operands":[{"operand":"X"}]}])";
  const std::string named_twice = R"([{"nr":"00002","de":"3036","operands":[{"operand":"X"}]},)"
                                  R"({"nr":"00002","de":"3036","occurrence":1,"operands":[{"operand":"X"}]}])";
  const std::vector<RepeatCase> cases{
      {"seed, first line named", named_once, "UNH+1'NAD+MS'UNT+3+1'", "UNH+1'NAD+MS+Mustermann'UNT+3+1'"},
      {"synthesized, first line named", named_once, "", "UNH+1'NAD+MS+Mustermann:::Z01'UNT+0+1'"},
      {"seed, two lines named", named_twice, "UNH+1'NAD+MS'UNT+3+1'", "UNH+1'NAD+MS+Mustermann:Mustermann'UNT+3+1'"},
      {"seed, no rule for the segment", "[]", "UNH+1'NAD+MS'UNT+3+1'",
       "UNH+1'NAD+MS+Mustermann:Mustermann:Mustermann'UNT+3+1'"},
  };
  for (const auto& c : cases) {
    const std::string af = R"({"pid":13002,"name":"a","rows":[{"nr":"00001","status":["M"]},)"
                           R"({"nr":"00002","status":["M"]},{"nr":"00009","status":["M"]}],"elements":)" +
                           std::string(c.rules) + "}";
    const auto profile = validate_fixture::profile(party_mig(), mini_ahb(af));
    EXPECT_EQ(skeleton_fixture::round(profile, forced_elements({{"00002", "3036"}}), c.seeds), c.expected) << c.name;
  }
}

}  // namespace

namespace {

// A Voraussetzung on what an instance holds decides each repetition of the group by what the
// walk has written in it so far; the key sets cannot, since they name a segment in every one.
TEST(SkeletonWalk, PresenceInTheOpenInstanceDecidesEachRepetition) {
  constexpr std::string_view conditions = R"({"7": "Wenn in derselben SG5 das RFF+Z1 vorhanden",
    "8": "Wenn RFF+Z2 vorhanden", "9": "Wenn in derselben SG5 das DTM+137 vorhanden",
    "10": "Wenn in derselben SG5 das RFF+Z1 nicht vorhanden", "11": "Wenn in derselben SG5 das RFF+Z3 vorhanden",
    "12": "Wenn in derselben SG5 das RFF+Z9 vorhanden",
    "13": "Wenn RFF+Z9 vorhanden", "6": "Hinweis: Die ID ist anzugeben"})";
  const auto dtm_on = [](std::string_view status) {
    return anwendungsfall(R"(,{"group":"SG5","before":"00010","status":["Muss"]},{"nr":"00010","status":["Muss"]},)"
                          R"({"nr":"00011","status":[")" + std::string(status) + R"("]})",
                          pinned("00010", "1153", {"Z1", "Z2", "Z3"}));
  };
  const auto rffs = [](std::string_view first, std::string_view second, std::string_view third) {
    return "UNH+1'RFF+Z1:REF13002'" + std::string(first) + "RFF+Z2:REF13002'" + std::string(second) +
           "RFF+Z3:REF13002'" + std::string(third) + "UNT+0+1'";
  };
  const std::string once = "UNH+1'RFF+Z1:REF13002'" + std::string(dtm) + "UNT+0+1'";
  const struct {
    std::string_view name;
    std::string_view status;
    KeySets keys;
    std::string expected;
    unsigned group_max = 0;
  } cases[] = {
      {"only the repetition that holds the segment", "Muss [7]", {}, rffs(dtm, "", "")},
      {"another repetition's segment does not count", "Muss [11]", {}, rffs("", "", dtm)},
      {"a segment of the message written before counts from there on", "Muss [8]", {}, rffs("", dtm, dtm)},
      {"a segment not written yet leaves it undecided", "Muss [9]", {}, rffs("", "", "")},
      {"a negated presence is left undecided", "Muss [10]", {}, rffs("", "", "")},
      {"a condition that also asks for a Hinweis", "Muss [7] ∧ [6]", {}, rffs(dtm, "", "")},
      {"a suppression still beats it", "Muss [7]", keys({}, {"00011"}), rffs("", "", "")},
      {"a forced segment stays in every repetition", "Muss [7]", keys({"00011"}, {}), rffs(dtm, dtm, dtm)},
      // Once its place in the instance is passed, a segment that is not there is false: the
      // exclusive or holds.
      {"an absence the walk has passed in the instance is false", "Muss [7] ⊻ [12]", {}, rffs(dtm, "", "")},
      {"an absence the walk has passed in the message is false", "Muss [7] ⊻ [13]", {}, once, 1},
      // In the message, a later repetition of the group may still bring it.
      {"an absence a repetition may fill stays open", "Muss [7] ⊻ [13]", {}, rffs("", "", "")},
  };
  for (const auto& c : cases) {
    const auto profile =
        validate_fixture::profile(mini_mig(c.group_max, 1, 1), mini_ahb(dtm_on(c.status), conditions, packages_json));
    EXPECT_EQ(skeleton_fixture::round(profile, c.keys), c.expected) << c.name;
  }
}

}  // namespace

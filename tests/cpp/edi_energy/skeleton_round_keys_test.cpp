#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

#include "edi_energy/profile/skeleton/round_keys.hpp"

namespace {

namespace skeleton = edi_energy::profile::skeleton;
using edifact::report::ValidationIssue;

// "RULE-ID nr de" with "-" for an absent entry.
ValidationIssue finding(std::string_view rule_id, std::string_view nr, std::string_view de = "-") {
  ValidationIssue issue;
  issue.rule_id = std::string(rule_id);
  if (nr != "-") issue = std::move(issue).with_context_entry("nr", std::string(nr));
  if (de != "-") issue = std::move(issue).with_context_entry("de", std::string(de));
  return issue;
}

template <class Set>
std::string sorted(const Set& set, auto show) {
  std::vector<std::string> texts;
  for (const auto& key : set) texts.push_back(show(key));
  std::ranges::sort(texts);
  std::string out;
  for (const auto& text : texts) out += (out.empty() ? "" : ",") + text;
  return out;
}

// Every key set on one line, so that a case states the whole outcome.
std::string render(const skeleton::KeySets& keys) {
  const auto nr = [](const std::string& key) { return key; };
  const auto element = [](const skeleton::ElementKey& key) { return key.nr + "/" + key.de; };
  const auto rotation = [](const auto& entry) { return entry.first.nr + "/" + entry.first.de + "=" + std::to_string(entry.second); };
  return "forced[" + sorted(keys.forced_segments, nr) + "] suppressed[" + sorted(keys.suppressed_segments, nr) +
         "] forced_el[" + sorted(keys.forced_elements, element) + "] suppressed_el[" +
         sorted(keys.suppressed_elements, element) + "] rotation[" + sorted(keys.code_rotation, rotation) +
         "] restored[" + sorted(keys.restored_segments, nr) + "]";
}

struct KeysCase {
  std::string_view name;
  skeleton::KeySets before;
  std::vector<ValidationIssue> findings;
  bool progress;
  std::string after;
};

TEST(RoundKeys, FindingsBecomeKeysForTheNextRound) {
  const std::string nothing = "forced[] suppressed[] forced_el[] suppressed_el[] rotation[] restored[]";
  skeleton::KeySets forced_00010;
  forced_00010.forced_segments.insert("00010");
  skeleton::KeySets suppressed_00010;
  suppressed_00010.suppressed_segments.insert("00010");
  skeleton::KeySets suppressed_and_restored = suppressed_00010;
  suppressed_and_restored.restored_segments.insert("00010");
  skeleton::KeySets rotated;
  rotated.code_rotation[{"00010", "1153"}] = 4;

  const std::vector<KeysCase> cases{
      {"AHB missing element", {}, {finding("AHB-13002-00010-RFF-1154-MISSING", "00010", "1154")}, true,
       "forced[] suppressed[] forced_el[00010/1154] suppressed_el[] rotation[] restored[]"},
      {"AHB missing segment", {}, {finding("AHB-13002-00010-RFF-MISSING", "00010")}, true,
       "forced[00010] suppressed[] forced_el[] suppressed_el[] rotation[] restored[]"},
      {"MIG required group and element",
       {},
       {finding("MIG-SG5-00010-REQUIRED", "00010"), finding("MIG-00011-DTM-2380-REQUIRED", "00011", "2380")},
       true,
       "forced[00010] suppressed[] forced_el[00011/2380] suppressed_el[] rotation[] restored[]"},
      {"a key already known is no progress", forced_00010, {finding("AHB-13002-00010-RFF-MISSING", "00010")}, false,
       "forced[00010] suppressed[] forced_el[] suppressed_el[] rotation[] restored[]"},
      {"AHB ids ending in REQUIRED are not missing pieces", {}, {finding("AHB-13002-00010-RFF-REQUIRED", "00010")},
       false, nothing},
      {"other MIG findings are passed over",
       {},
       {finding("MIG-00010-RFF-1154-FORMAT", "00010", "1154"), finding("MIG-00010-RFF-1154-CODE", "00010", "1154"),
        finding("MIG-00010-RFF-1154-NOTUSED", "00010", "1154")},
       false,
       nothing},
      {"findings without nr, warnings and Paket counts are passed over",
       {},
       {finding("AHB-13002-00010-RFF-MISSING", "-"), finding("FMT-13002-00010-RFF-1154-931", "00010", "1154"),
        finding("AHB-13002-00010-RFF-1153-PAKET-MIN", "00010", "1153"),
        finding("AHB-13002-00010-RFF-1153-PAKET-MAX", "00010", "1153"), finding("AHB-UNKNOWN-PID", "00010"),
        finding("AHB-", "00010"), finding("MIG-STRUCTURE", "-")},
       false,
       nothing},
      {"a not-permitted element is suppressed",
       {},
       {finding("AHB-13002-00010-RFF-1154-NOT-PERMITTED", "00010", "1154")},
       true,
       "forced[] suppressed[] forced_el[] suppressed_el[00010/1154] rotation[] restored[]"},
      {"only the last segment not permitted in a round is suppressed, and no longer forced",
       forced_00010,
       {finding("AHB-13002-00011-DTM-NOT-PERMITTED", "00011"), finding("AHB-13002-SG5-00010-NOT-PERMITTED", "00010")},
       true,
       "forced[] suppressed[00010] forced_el[] suppressed_el[] rotation[] restored[]"},
      {"a segment suppressed again is no progress", suppressed_00010,
       {finding("AHB-13002-00010-RFF-NOT-PERMITTED", "00010")}, false,
       "forced[] suppressed[00010] forced_el[] suppressed_el[] rotation[] restored[]"},
      {"a code finding moves the rotation on, every time",
       rotated,
       {finding("AHB-13002-00010-RFF-1153-CODE", "00010", "1153"), finding("AHB-13002-00011-DTM-2379-CODE", "00011", "2379")},
       true,
       "forced[] suppressed[] forced_el[] suppressed_el[] rotation[00010/1153=5,00011/2379=1] restored[]"},
      {"code findings of one key in several instances move its rotation on once",
       {},
       {finding("AHB-55070-00434-PIA-7143-CODE", "00434", "7143"), finding("AHB-55070-00434-PIA-7143-CODE", "00434", "7143")},
       true,
       "forced[] suppressed[] forced_el[] suppressed_el[] rotation[00434/7143=1] restored[]"},
      {"a code finding without de is passed over", {}, {finding("AHB-13002-00010-RFF-CODE", "00010")}, false, nothing},
      {"a suppressed segment reported missing comes back once",
       suppressed_00010,
       {finding("AHB-13002-00010-RFF-MISSING", "00010")},
       true,
       "forced[00010] suppressed[] forced_el[] suppressed_el[] rotation[] restored[00010]"},
      {"and not a second time",
       suppressed_and_restored,
       {finding("AHB-13002-00010-RFF-MISSING", "00010")},
       false,
       "forced[] suppressed[00010] forced_el[] suppressed_el[] rotation[] restored[00010]"},
  };
  for (const auto& c : cases) {
    skeleton::KeySets keys = c.before;
    EXPECT_EQ(skeleton::learn_from_findings(c.findings, keys), c.progress) << c.name;
    EXPECT_EQ(render(keys), c.after) << c.name;
  }
}

// Two Vorgänge that differ need the same segment in one and not in the other: each learns its own.
TEST(RoundKeys, FindingsInAVorgangAreLearnedForItAlone) {
  const std::vector<skeleton::VorgangSpan> vorgaenge{{3, 9}, {9, 14}};
  const auto in_scope = [](ValidationIssue issue, std::size_t start) {
    return std::move(issue).with_context_entry("scope", std::to_string(start));
  };
  ValidationIssue element = finding("AHB-55004-00035-DTM-2380-MISSING", "00035", "2380");
  element.segment_index = 10;
  const std::vector<ValidationIssue> findings{
      in_scope(finding("AHB-55004-00035-DTM-MISSING", "00035"), 3),
      in_scope(finding("AHB-55004-00035-DTM-NOT-PERMITTED", "00035"), 12),
      element,
      finding("AHB-55004-00010-RFF-MISSING", "00010"),
      // The message's own waits while a Vorgang has one.
      finding("AHB-55004-SG4-00020-NOT-PERMITTED", "00020"),
      in_scope(finding("AHB-55004-SG12-00100-MISSING", "00100"), 14),
  };
  skeleton::KeySets keys;
  EXPECT_TRUE(skeleton::learn_from_findings(findings, keys, vorgaenge));
  EXPECT_EQ(render(keys), "forced[00010,00100] suppressed[] forced_el[] suppressed_el[] rotation[] restored[]");
  ASSERT_EQ(keys.vorgaenge.size(), 2U);
  EXPECT_TRUE(keys.vorgaenge[0].forced_segments.contains("00035"));
  EXPECT_TRUE(keys.vorgaenge[1].suppressed_segments.contains("00035"));
  EXPECT_FALSE(keys.vorgaenge[1].forced_segments.contains("00035"));
  EXPECT_TRUE(keys.vorgaenge[1].forced_elements.contains({"00035", "2380"}));

  // The same findings learned again change no key: the next round would repeat this one.
  const skeleton::KeySets before = keys;
  skeleton::learn_from_findings(findings, keys, vorgaenge);
  EXPECT_TRUE(skeleton::repeats_forever(before, keys, {}));
}

// A code that hangs on a Vorgang's content (its Entscheidungsbaum) moves on in that Vorgang alone,
// once a round however many of its segments are at fault.
TEST(RoundKeys, CodesMoveOnInTheirOwnVorgang) {
  const std::vector<skeleton::VorgangSpan> vorgaenge{{3, 9}, {9, 14}};
  const ValidationIssue tree = finding("AHB-55608-00037-STS-1131-CODE", "00037", "1131");
  const std::vector<ValidationIssue> findings{ValidationIssue(tree).with_segment_index(10),
                                              ValidationIssue(tree).with_segment_index(12)};
  skeleton::KeySets keys;
  EXPECT_TRUE(skeleton::learn_from_findings(findings, keys, vorgaenge));
  const skeleton::ElementKey code{"00037", "1131"};
  EXPECT_EQ(render(keys), "forced[] suppressed[] forced_el[] suppressed_el[] rotation[] restored[]");
  EXPECT_FALSE(keys.vorgaenge.contains(0));
  EXPECT_EQ(keys.vorgaenge.at(1).code_rotation.at(code), 1U);

  // A whole turn in one Vorgang repeats the walk; half of one in a Vorgang first met changes it.
  skeleton::KeySets turned = keys;
  turned.vorgaenge[1].code_rotation[code] += 4;
  EXPECT_TRUE(skeleton::repeats_forever(keys, turned, {{code, {4}}}));
  turned.vorgaenge[5].code_rotation[code] = 2;
  EXPECT_FALSE(skeleton::repeats_forever(keys, turned, {{code, {4}}}));
}

// An index saturates at its largest value, which says nothing of the finding's Vorgang: what it
// asks is learned for the message, not for whichever Vorgang holds that index.
TEST(RoundKeys, AFindingWhoseIndexSaturatedIsLearnedForTheMessage) {
  const std::vector<skeleton::VorgangSpan> vorgaenge{{3, 65530}, {65530, 70000}};
  const std::vector<ValidationIssue> findings{
      finding("AHB-55168-00521-NAD-3042-MISSING", "00521", "3042").with_segment_index(69999)};
  skeleton::KeySets keys;
  EXPECT_TRUE(skeleton::learn_from_findings(findings, keys, vorgaenge));
  EXPECT_EQ(render(keys), "forced[] suppressed[] forced_el[00521/3042] suppressed_el[] rotation[] restored[]");
  EXPECT_TRUE(keys.vorgaenge.empty());
}

struct RepeatCase {
  std::string_view name;
  skeleton::KeySets learned;
  skeleton::RotationUses uses;
  bool repeats;
};

TEST(RoundKeys, AWalkRepeatsForeverWhenOnlyRotationsMovedByWholeTurns) {
  skeleton::KeySets before;
  before.forced_segments.insert("00010");
  before.code_rotation[{"00010", "1153"}] = 1;
  const skeleton::ElementKey rff{"00010", "1153"};
  const auto rotated = [&](std::size_t count) {
    skeleton::KeySets keys = before;
    keys.code_rotation[rff] = count;
    keys.code_rotation[{"00011", "2379"}] = 5;  // a leaf no walk chose a code for
    return keys;
  };
  skeleton::KeySets forced_element = rotated(3);
  forced_element.forced_elements.insert({"00010", "1154"});
  skeleton::KeySets dropped_force = rotated(3);
  dropped_force.forced_segments.clear();
  const std::vector<RepeatCase> cases{
      {"moved by two, chosen among two", rotated(3), {{rff, {2}}}, true},
      {"moved by six, chosen among two and among three", rotated(7), {{rff, {2, 3}}}, true},
      {"moved by two, chosen among two and among three", rotated(3), {{rff, {3, 2}}}, false},
      {"moved by one, chosen among two", rotated(2), {{rff, {2}}}, false},
      {"moved, but no walk chose with it", rotated(2), {}, true},
      {"another key is new", forced_element, {{rff, {2}}}, false},
      {"a key was taken away", dropped_force, {{rff, {2}}}, false},
  };
  for (const auto& c : cases) EXPECT_EQ(skeleton::repeats_forever(before, c.learned, c.uses), c.repeats) << c.name;
}

}  // namespace

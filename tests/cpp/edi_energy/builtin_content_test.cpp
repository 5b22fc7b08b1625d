// What the rest of the system relies on in the content of the built-in profiles: the
// Prüfidentifikatoren they carry, the codes and statuses the builders read from AHB columns,
// the MIG orders they follow, and condition expressions and texts that read.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "builtin_content.hpp"

namespace {

using namespace builtin_content;

struct Band {
  std::string_view message_type;
  std::vector<std::pair<std::uint32_t, std::uint32_t>> ranges;
};

const Band bands[] = {
    {"UTILMD", {{44000, 44999}, {55000, 55999}}}, {"MSCONS", {{13000, 13999}}}, {"APERAK", {{29000, 29999}}},
    {"INVOIC", {{31000, 31999}}}, {"REMADV", {{33000, 33999}}}, {"ORDERS", {{17000, 17999}}},
    {"IFTSTA", {{21000, 21999}}}, {"INSRPT", {{23000, 23999}}}, {"REQOTE", {{35000, 35999}}},
    {"PARTIN", {{37000, 37999}}}, {"ORDCHG", {{39000, 39999}}}, {"ORDRSP", {{19000, 19999}}},
    {"QUOTES", {{15000, 15999}}}, {"COMDIS", {{29000, 29999}}}, {"PRICAT", {{27000, 27999}}},
    {"UTILTS", {{25000, 25999}}}, {"CONTRL", {}},
};

TEST(BuiltinContent, EveryPidLiesInTheBandOfItsMessageType) {
  for (const auto& [name, profile] : builtin_profiles()) {
    const auto band = std::ranges::find(bands, profile->mig().message_type, &Band::message_type);
    ASSERT_NE(band, std::end(bands)) << name;
    for (const auto& anwendungsfall : profile->ahb().anwendungsfaelle) {
      if (band->ranges.empty()) {
        EXPECT_FALSE(anwendungsfall.pid) << name << " " << anwendungsfall.name;
        continue;
      }
      ASSERT_TRUE(anwendungsfall.pid) << name << " " << anwendungsfall.name;
      EXPECT_TRUE(std::ranges::any_of(band->ranges, [&](auto range) {
        return *anwendungsfall.pid >= range.first && *anwendungsfall.pid <= range.second;
      })) << name << " " << *anwendungsfall.pid;
    }
  }
}

std::vector<std::uint32_t> pid_range(std::uint32_t first, std::uint32_t last) {
  std::vector<std::uint32_t> pids;
  for (std::uint32_t pid = first; pid <= last; ++pid) pids.push_back(pid);
  return pids;
}

const std::vector<std::uint32_t> strom_answer_pairs{55001, 55002, 55003, 55004, 55005, 55006,
                                                    55016, 55017, 55018, 55077, 55078, 55080};
// The published G1.1 tables have no 44021 (Bestätigung Änderungsmeldung zur Bestandsliste).
const std::vector<std::uint32_t> gas_answer_pairs = [] {
  auto pids = pid_range(44001, 44018);
  pids.push_back(44020);
  return pids;
}();
const std::vector<std::uint32_t> gas_answer_pairs_with_confirmation = [] {
  auto pids = gas_answer_pairs;
  pids.push_back(44021);
  return pids;
}();

TEST(BuiltinContent, CarriesThePidsThatAnswersAndBuildersNeed) {
  const std::pair<std::string_view, std::vector<std::uint32_t>> carried[] = {
      {"APERAK_FV20251001", {29001, 29002}}, {"APERAK_FV20261001", {29001, 29002}},
      {"UTILMD_FV20251001", strom_answer_pairs}, {"UTILMD_FV20261001", strom_answer_pairs},
      {"UTILMD_FV20260401_GAS", gas_answer_pairs}, {"UTILMD_FV20261001_GAS", gas_answer_pairs_with_confirmation},
      {"REMADV_FV20260401", pid_range(33001, 33004)},
  };
  for (const auto& [name, pids] : carried) {
    for (const std::uint32_t pid : pids) EXPECT_TRUE(profile_named(name).pid_index().contains(pid)) << name << " " << pid;
  }
  EXPECT_EQ(profile_named("REMADV_FV20260401").pid_index().size(), 4U);
  const auto& comdis = profile_named("COMDIS_FV20260401").pid_index();
  EXPECT_TRUE(std::ranges::any_of(comdis, [](const auto& entry) {
    return profile_named("APERAK_FV20251001").pid_index().contains(entry.first) ||
           profile_named("APERAK_FV20261001").pid_index().contains(entry.first);
  }));
}

// The first segment of `tag` (in a group `group` when given) in MIG order.
const model::SegmentNode& mig_segment(const Profile& profile, std::string_view tag,
                                      std::optional<std::string_view> group = std::nullopt) {
  for (const auto& placed : mig_segments(profile.mig())) {
    if (placed.segment->tag == tag && (!group || std::ranges::find(placed.groups, *group) != placed.groups.end())) {
      return *placed.segment;
    }
  }
  throw std::out_of_range(std::string(tag));
}

TEST(BuiltinContent, ColumnsPrescribeTheBgmCodesBuildersWrite) {
  struct Case {
    std::string_view profile;
    std::uint32_t pid;
    bool prescribes;
    std::string_view code;  // empty: any code
  };
  const Case cases[] = {
      {"APERAK_FV20251001", 29001, true, "313"}, {"APERAK_FV20251001", 29002, true, "312"},
      {"APERAK_FV20261001", 29001, true, "313"}, {"APERAK_FV20261001", 29002, true, "312"},
      {"REMADV_FV20260401", 33001, true, "481"}, {"REMADV_FV20260401", 33002, true, "239"},
      {"REMADV_FV20260401", 33003, true, "239"}, {"REMADV_FV20260401", 33004, true, "239"},
      {"ORDERS_FV20260401", 17115, true, ""},    {"ORDERS_FV20261001", 17115, true, ""},
      {"IFTSTA_FV20251001", 21039, true, ""},    {"IFTSTA_FV20261001", 21039, true, ""},
      {"QUOTES_FV20251001", 15003, true, "Z57"}, {"QUOTES_FV20261001", 15003, true, "Z57"},
  };
  for (const Case& expected : cases) {
    const auto code = column_bgm_code(profile_named(expected.profile), expected.pid);
    EXPECT_EQ(code.has_value(), expected.prescribes) << expected.profile << " " << expected.pid;
    if (code && !expected.code.empty()) {
      EXPECT_EQ(*code, expected.code) << expected.profile << " " << expected.pid;
    }
  }
  // Only the one code: a second would make the column's answer depend on operand order.
  const Profile& remadv = profile_named("REMADV_FV20260401");
  for (const std::uint32_t pid : pid_range(33001, 33004)) {
    const model::ElementRule* rule = rule_for(*remadv.anwendungsfall(pid), mig_segment(remadv, "BGM").nr, "1001");
    ASSERT_NE(rule, nullptr);
    EXPECT_EQ(rule->operands.size(), 1U) << pid;
  }
}

TEST(BuiltinContent, ColumnsRequireWhatBuildersLeaveToCompletion) {
  struct Case {
    std::string_view profile;
    std::vector<std::uint32_t> pids;
    std::string_view tag;
    std::optional<std::string_view> group;
  };
  const Profile& remadv = profile_named("REMADV_FV20260401");
  const Case cases[] = {
      {"REMADV_FV20260401", pid_range(33001, 33004), "DOC", {}},
      {"REMADV_FV20260401", {33004}, "DLI", "SG10"},
      {"REMADV_FV20260401", {33004}, "AJT", "SG12"},
      {"ORDRSP_FV20260401", {19011, 19012}, "IMD", {}},
      {"ORDRSP_FV20261001", {19011, 19012}, "IMD", {}},
  };
  for (const Case& expected : cases) {
    const Profile& profile = profile_named(expected.profile);
    const std::string& nr = mig_segment(profile, expected.tag, expected.group).nr;
    for (const std::uint32_t pid : expected.pids) {
      EXPECT_TRUE(unconditionally_required(profile, *profile.anwendungsfall(pid), nr))
          << expected.profile << " " << pid << " " << expected.tag;
    }
  }
  // The invoice reference names the invoice on every use case, with its number and amounts.
  for (const std::uint32_t pid : pid_range(33001, 33004)) {
    const auto& anwendungsfall = *remadv.anwendungsfall(pid);
    EXPECT_TRUE(rule_for(anwendungsfall, mig_segment(remadv, "DOC").nr, "1004")) << pid;
  }
  for (std::string_view name : {"ORDRSP_FV20260401", "ORDRSP_FV20261001"}) {
    const Profile& ordrsp = profile_named(name);
    for (const std::uint32_t pid : {19011U, 19012U}) {
      const model::ElementRule* rule = rule_for(*ordrsp.anwendungsfall(pid), mig_segment(ordrsp, "IMD").nr, "7081");
      ASSERT_NE(rule, nullptr) << name << " " << pid;
      for (const model::Operand& operand : rule->operands) {
        const auto references = status_references(operand.operand);
        EXPECT_TRUE(operand.operand.starts_with("X") || operand.operand.starts_with("M")) << name << " " << pid;
        EXPECT_TRUE(references && references->empty()) << name << " " << pid << " " << operand.operand;
      }
    }
  }
}

TEST(BuiltinContent, EsaAngeboteRequireTheirContact) {
  for (std::string_view name : {"QUOTES_FV20251001", "QUOTES_FV20261001"}) {
    const Profile& quotes = profile_named(name);
    std::vector<std::uint32_t> esa_angebote;
    for (const auto& anwendungsfall : quotes.ahb().anwendungsfaelle) {
      if (!anwendungsfall.communication || !anwendungsfall.communication->ends_with("an ESA")) continue;
      esa_angebote.push_back(*anwendungsfall.pid);
      for (std::string_view tag : {"CTA", "COM"}) {
        EXPECT_TRUE(unconditionally_required(quotes, anwendungsfall, mig_segment(quotes, tag).nr))
            << name << " " << *anwendungsfall.pid << " " << tag;
      }
    }
    EXPECT_NE(std::ranges::find(esa_angebote, 15003U), esa_angebote.end()) << name;
  }
}

std::vector<std::string_view> qualifiers_in_order(const Profile& profile, std::string_view tag, std::string_view de) {
  std::vector<std::string_view> out;
  for (const auto& placed : mig_segments(profile.mig())) {
    if (placed.segment->tag != tag) continue;
    const auto codes = codes_of(*placed.segment, de);
    out.push_back(codes.empty() ? std::string_view{} : codes.front());
  }
  return out;
}

TEST(BuiltinContent, MigOrdersThatBuildersFollow) {
  for (std::string_view name : {"IFTSTA_FV20251001", "IFTSTA_FV20261001"}) {
    const auto parties = qualifiers_in_order(profile_named(name), "NAD", "3035");
    const auto receiver = std::ranges::find(parties, "MR");
    ASSERT_NE(receiver, parties.end()) << name;
    EXPECT_NE(std::find(receiver, parties.end(), "MS"), parties.end()) << name;
  }
  // A Produktpaket is written as one run of SEQ+Z79 and SEQ+ZH0 groups placed by the rank of
  // its first SEQ; any other SEQ ranked in between would split the run. The gas MIGs have none.
  for (std::string_view name :
       {"UTILMD_FV20251001", "UTILMD_FV20261001", "UTILMD_FV20260401_GAS", "UTILMD_FV20261001_GAS"}) {
    std::map<std::string, std::size_t, std::less<>> ranks;
    std::size_t rank = 0;
    for (const auto& definition : profile_named(name).structure().segment_defs) {
      if (definition.tag != "SEQ") continue;
      if (!definition.elements.empty()) {
        for (const model::Code& code : definition.elements.front().codes) ranks.try_emplace(code.code, rank);
      }
      ++rank;
    }
    if (profile_named(name).mig().track == "Gas") {
      EXPECT_FALSE(ranks.contains("Z79") || ranks.contains("ZH0")) << name;
      continue;
    }
    ASSERT_TRUE(ranks.contains("Z79") && ranks.contains("ZH0")) << name;
    EXPECT_EQ(ranks["ZH0"], ranks["Z79"] + 1) << name;
  }
}

TEST(BuiltinContent, SegmentsThatChecksAndBuildersLookFor) {
  for (std::string_view name : {"MSCONS_FV20260401", "MSCONS_FV20261001"}) {
    EXPECT_TRUE(std::ranges::any_of(profile_named(name).structure().nodes, [](const auto& node) {
      return node.segment() && node.segment()->tag == "DTM" && node.name.starts_with("Beginn Messperiode");
    })) << name;
  }
  const auto sg7s = mig_groups(profile_named("INSRPT_FV20260101").mig(), "SG7");
  EXPECT_TRUE(std::ranges::any_of(sg7s, [](const model::GroupNode* group) {
    std::vector<std::string_view> periods;
    for (const model::Node& child : group->children) {
      if (child.segment() && child.segment()->tag == "DTM") {
        for (auto code : codes_of(*child.segment(), "2005")) periods.push_back(code);
      }
    }
    return std::ranges::find(periods, "163") != periods.end() && std::ranges::find(periods, "164") != periods.end();
  }));
}

TEST(BuiltinContent, EveryConditionExpressionReadsAndNamesDefinedConditions) {
  for (const auto& [name, profile] : builtin_profiles()) {
    const auto check = [&, name = name](std::string_view where, const auto& references, bool needs_text = true) {
      if (!references) {
        ADD_FAILURE() << name << " " << where << ": " << references.error();
        return;
      }
      for (const std::string& reference : *references) {
        if (const auto fault = reference_fault(profile->ahb(), reference, needs_text)) {
          ADD_FAILURE() << name << " " << where << ": [" << reference << "] " << *fault;
        }
      }
    };
    for (const auto& anwendungsfall : profile->ahb().anwendungsfaelle) {
      const std::string where = anwendungsfall.pid ? std::to_string(*anwendungsfall.pid) : anwendungsfall.name;
      for (const auto& row : anwendungsfall.rows) {
        for (const auto& cell : row.status) check(where + " row " + cell, status_references(cell));
      }
      for (const auto& rule : anwendungsfall.elements) {
        for (const auto& operand : rule.operands) check(where + " " + rule.nr + " " + rule.de, status_references(operand.operand));
      }
    }
    for (const auto& [paket, expression] : profile->ahb().packages) {
      if (!expression.empty()) check("Paket " + paket, expression_references(expression), false);
    }
  }
}

TEST(BuiltinContent, EveryConditionTextFitsItsKind) {
  for (const auto& [name, profile] : builtin_profiles()) {
    for (const auto& [number, text] : profile->ahb().conditions) {
      if (const auto fault = condition_text_fault(number, text)) {
        ADD_FAILURE() << name << " [" << number << "] \"" << text << "\": " << *fault;
      }
    }
  }
}

// The later INVOIC AHB has no public source and carries its predecessor's columns; the two
// profiles of release 2.8e are still told apart by their AHB version and validity.
TEST(BuiltinContent, TheTwoInvoicProfilesOfOneReleaseAreToldApart) {
  const Profile& older = profile_named("INVOIC_FV20260401");
  const Profile& newer = profile_named("INVOIC_FV20261001");
  ASSERT_EQ(older.release(), newer.release());
  EXPECT_NE(older.ahb().ahb_version, newer.ahb().ahb_version);
  EXPECT_NE(older.mig().valid_from, newer.mig().valid_from);
  EXPECT_NE(older.mig(), newer.mig());
}

}  // namespace

// Every built-in AHB column names only what its profile's MIG has, at the segment number the
// column names: segments, groups, data elements (by occurrence) and codes, the qualifiers among
// them. The rule engine finds each of these by exact text and silently skips a rule it cannot
// locate, so a wrong number or code would weaken validation without any error. The group schema
// must also hold every group of the MIG, and the Prüfidentifikator must be readable
// where the MIG says it is.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <iterator>
#include <optional>
#include <ostream>
#include <ranges>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include <fmt/format.h>
#include <fmt/ranges.h>

#include "builtin_content.hpp"
#include "edi_energy/profile/formatbedingung/formatbedingung.hpp"

namespace {

using namespace builtin_content;
namespace structure = edi_energy::profile::structure;
using edi_energy::profile::GroupSchema;

// Faults are gathered per profile and shown up to this many, so a broken document set gives a
// readable report instead of thousands of lines.
constexpr std::size_t shown_faults = 30;

std::string report(const std::vector<std::string>& faults) {
  const std::size_t shown = std::min(faults.size(), shown_faults);
  std::string text = fmt::format("{} faults", faults.size());
  for (std::size_t index = 0; index < shown; ++index) text += "\n  " + faults[index];
  if (shown < faults.size()) text += "\n  ...";
  return text;
}

const model::SegmentNode* segment_numbered(const Profile& profile, std::string_view nr) {
  const structure::Structure& compiled = profile.structure();
  if (const auto found = compiled.nr_index.find(nr); found != compiled.nr_index.end()) {
    return &compiled.segment_defs[compiled.nodes[found->second].segment()->def];
  }
  const auto& envelope = profile.mig().envelope;
  const auto found = std::ranges::find(envelope, nr, &model::SegmentNode::nr);
  return found == envelope.end() ? nullptr : &*found;
}

// The element or component that a rule addresses: the `occurrence`-th (from 0) of the segment's
// elements and components with the rule's id, elements before their own components.
const model::Element* addressed_element(const model::SegmentNode& segment, std::string_view de, std::size_t occurrence) {
  std::size_t seen = 0;
  for (const model::Element& element : segment.elements) {
    if (element.id == de && seen++ == occurrence) return &element;
    for (const model::Element& component : element.components) {
      if (component.id == de && seen++ == occurrence) return &component;
    }
  }
  return nullptr;
}

std::string pid_text(const model::Anwendungsfall& anwendungsfall) {
  return anwendungsfall.pid ? std::to_string(*anwendungsfall.pid) : anwendungsfall.name;
}

std::vector<std::string> row_faults(const Profile& profile, const model::Anwendungsfall& anwendungsfall) {
  std::vector<std::string> faults;
  const structure::Structure& compiled = profile.structure();
  const std::string pid = pid_text(anwendungsfall);
  for (const model::Row& row : anwendungsfall.rows) {
    if (row.nr) {
      if (segment_numbered(profile, *row.nr) == nullptr) {
        faults.push_back(fmt::format("{} row {}: no such segment", pid, *row.nr));
      }
      continue;
    }
    if (!row.group || !row.before) {
      faults.push_back(fmt::format("{} row without segment number names no group and following segment", pid));
      continue;
    }
    const auto found = compiled.nr_index.find(*row.before);
    if (found == compiled.nr_index.end()) {
      faults.push_back(fmt::format("{} group row {} before {}: no such segment", pid, *row.group, *row.before));
      continue;
    }
    bool inside = false;
    for (auto parent = compiled.nodes[found->second].parent; parent && !inside; parent = compiled.nodes[*parent].parent) {
      inside = compiled.nodes[*parent].group()->group == *row.group;
    }
    if (!inside) {
      faults.push_back(fmt::format("{} group row {} before {}: that segment lies in no {}", pid, *row.group, *row.before,
                                   *row.group));
    }
  }
  return faults;
}

std::vector<std::string> element_faults(const Profile& profile, const model::Anwendungsfall& anwendungsfall) {
  std::vector<std::string> faults;
  const std::string pid = pid_text(anwendungsfall);
  for (const model::ElementRule& rule : anwendungsfall.elements) {
    const std::string where = fmt::format("{} {} {}#{}", pid, rule.nr, rule.de, rule.occurrence);
    const model::SegmentNode* segment = segment_numbered(profile, rule.nr);
    if (segment == nullptr) {
      faults.push_back(where + ": no such segment");
      continue;
    }
    const model::Element* element = addressed_element(*segment, rule.de, rule.occurrence);
    if (element == nullptr) {
      faults.push_back(fmt::format("{}: {} has no such data element", where, segment->tag));
      continue;
    }
    for (const model::Operand& operand : rule.operands) {
      if (!operand.code) continue;
      const auto codes = element->codes | std::views::transform(&model::Code::code);
      if (std::ranges::find(codes, *operand.code) == codes.end()) {
        faults.push_back(fmt::format("{}: code {} is not among the MIG's codes of {} [{}]", where, *operand.code,
                                     segment->tag, fmt::join(codes, " ")));
      }
    }
  }
  return faults;
}

// The tree opens a group at the first definition of its level whose trigger is the segment's
// tag. A group that an earlier sibling with the same trigger shadows (MSCONS SG5 behind the
// header parties' SG2) is filed under that sibling by design and listed as "opens as"; a group
// the schema does not hold at all opens as "nothing", which is a fault.
std::vector<std::string> group_tree_openings(const Profile& profile) {
  const structure::Structure& compiled = profile.structure();
  std::vector<std::string> faults;
  for (structure::NodeIndex index = 0; index < compiled.nodes.size(); ++index) {
    if (compiled.nodes[index].group() == nullptr) continue;
    std::vector<structure::NodeIndex> path;
    for (std::optional<structure::NodeIndex> at = index; at; at = compiled.nodes[*at].parent) path.push_back(*at);
    std::ranges::reverse(path);
    const GroupSchema* level = &profile.group_schema();
    std::vector<std::string_view> opened;
    for (const structure::NodeIndex step : path) {
      const structure::SNode& group = compiled.nodes[step];
      const structure::Kind::Segment* trigger =
          group.children.empty() ? nullptr : compiled.nodes[group.children.front()].segment();
      if (trigger == nullptr) {
        faults.push_back(fmt::format("{} does not open with a segment", group.group()->group));
        break;
      }
      const auto entry =
          std::ranges::find(*level, std::string_view(trigger->tag), &edifact::group::GroupSchemaEntry::trigger);
      if (entry == level->end() || entry->name != group.group()->group) {
        faults.push_back(fmt::format("{}{}{} opens as {}", fmt::join(opened, "/"), opened.empty() ? "" : "/",
                                     group.group()->group,
                                     entry == level->end() ? std::string("nothing") : std::string(entry->name)));
        break;
      }
      opened.push_back(entry->name);
      level = &entry->children;
    }
  }
  return faults;
}

// Why a condition reference has nothing to be decided by, or nothing when it has: a Paket needs
// its expression among the Pakete, an Unterbedingung its check in the format table or its
// expression, a Formatbedingung (900 to 999) is judged by the format checks, any other number
// needs its text. Inside Paket and Unterbedingung expressions a number may lack its text: the
// published AHBs give texts only for numbers a column names.
std::optional<std::string> undefined_reference(const model::AhbProfile& ahb, std::string_view reference,
                                               bool text_required) {
  if (reference.starts_with("UB")) {
    const bool checked = edi_energy::profile::formatbedingung::evaluate(reference, "").kind !=
                         edi_energy::profile::formatbedingung::Verdict::Kind::Unknown;
    return checked || ahb.packages.contains(reference) ? std::nullopt
                                                       : std::optional<std::string>("no Unterbedingung");
  }
  if (const std::size_t p = reference.find('P'); p != std::string_view::npos) {
    return ahb.packages.contains(reference.substr(0, p + 1)) ? std::nullopt : std::optional<std::string>("no Paket");
  }
  const auto number = decimal(reference);
  if (number && *number >= 900 && *number <= 999) return std::nullopt;
  if (!text_required && number) return std::nullopt;
  return ahb.conditions.contains(reference) ? std::nullopt : std::optional<std::string>("no condition text");
}

// Every reference of every status cell, Paket and Unterbedingung; cells that do not read are
// left to the expression test of the content checks.
std::vector<std::string> condition_faults(const model::AhbProfile& ahb) {
  std::vector<std::string> faults;
  const auto check = [&](const std::string& where, const auto& references, bool text_required) {
    if (!references) return;
    for (const std::string& reference : *references) {
      if (const auto fault = undefined_reference(ahb, reference, text_required)) {
        faults.push_back(fmt::format("{}: [{}] {}", where, reference, *fault));
      }
    }
  };
  for (const model::Anwendungsfall& anwendungsfall : ahb.anwendungsfaelle) {
    const std::string pid = pid_text(anwendungsfall);
    for (const model::Row& row : anwendungsfall.rows) {
      const std::string where = fmt::format("{} row {}", pid, row.nr ? *row.nr : row.group.value_or("?"));
      for (const std::string& cell : row.status) check(where, status_references(cell), true);
    }
    for (const model::ElementRule& rule : anwendungsfall.elements) {
      for (const model::Operand& operand : rule.operands) {
        check(fmt::format("{} {} {}", pid, rule.nr, rule.de), status_references(operand.operand), true);
      }
    }
  }
  for (const auto& [name, expression] : ahb.packages) {
    if (!expression.empty()) check(name, expression_references(expression), false);
  }
  return faults;
}

class BuiltinColumns : public testing::TestWithParam<std::string> {
 protected:
  const Profile& profile() const { return profile_named(GetParam()); }
};

TEST_P(BuiltinColumns, RowsNameSegmentsAndGroupsOfTheMig) {
  std::vector<std::string> faults;
  for (const auto& anwendungsfall : profile().ahb().anwendungsfaelle) {
    std::ranges::move(row_faults(profile(), anwendungsfall), std::back_inserter(faults));
  }
  EXPECT_TRUE(faults.empty()) << report(faults);
}

TEST_P(BuiltinColumns, ElementRulesNameDataElementsAndCodesOfTheirSegment) {
  std::vector<std::string> faults;
  for (const auto& anwendungsfall : profile().ahb().anwendungsfaelle) {
    std::ranges::move(element_faults(profile(), anwendungsfall), std::back_inserter(faults));
  }
  EXPECT_TRUE(faults.empty()) << report(faults);
}

TEST_P(BuiltinColumns, EveryConditionReferenceHasItsTextOrExpression) {
  const auto faults = condition_faults(profile().ahb());
  EXPECT_TRUE(faults.empty()) << report(faults);
}

TEST_P(BuiltinColumns, TheGroupTreeKnowsEveryGroupOfTheMig) {
  std::vector<std::string> faults = group_tree_openings(profile());
  std::erase_if(faults, [](const std::string& opening) { return !opening.ends_with(" opens as nothing"); });
  EXPECT_TRUE(faults.empty()) << report(faults);
}

// Messages are matched to their column by the Prüfidentifikator read from RFF+Z13 or BGM DE 1004,
// and the builders write it there, so the MIG must have that place, every column must name it,
// and no two columns may share a Prüfidentifikator (the later would hide the earlier).
TEST_P(BuiltinColumns, ThePruefidentifikatorHasItsPlaceInTheMigAndEveryColumn) {
  const auto& anwendungsfaelle = profile().ahb().anwendungsfaelle;
  if (profile().mig().pid_exempt) {
    EXPECT_TRUE(std::ranges::none_of(anwendungsfaelle, [](const auto& fall) { return fall.pid.has_value(); }));
    return;
  }
  const bool in_rff = profile().mig().pid_source == "rff_z13";
  const auto carries = [&](const model::SegmentNode& segment) {
    if (in_rff) {
      const auto codes = codes_of(segment, "1153");
      return segment.tag == "RFF" && std::ranges::find(codes, "Z13") != codes.end() && data_element(segment, "1154");
    }
    return segment.tag == "BGM" && data_element(segment, "1004") != nullptr;
  };
  const auto segments = mig_segments(profile().mig());
  EXPECT_TRUE(std::ranges::any_of(segments, [&](const PlacedSegment& placed) { return carries(*placed.segment); }))
      << (in_rff ? "no RFF with 1153 Z13 and 1154" : "no BGM with 1004");

  std::vector<std::string> faults;
  for (const model::Anwendungsfall& anwendungsfall : anwendungsfaelle) {
    const bool named = std::ranges::any_of(anwendungsfall.elements, [&](const model::ElementRule& rule) {
      const model::SegmentNode* segment = segment_numbered(profile(), rule.nr);
      if (segment == nullptr || !carries(*segment)) return false;
      if (!in_rff) return rule.de == "1004";
      return rule.de == "1153" && std::ranges::any_of(rule.operands, [](const model::Operand& operand) {
               return operand.code == "Z13";
             });
    });
    if (!named) faults.push_back(pid_text(anwendungsfall) + " names no place for its Prüfidentifikator");
    if (anwendungsfall.pid && profile().anwendungsfall(*anwendungsfall.pid) != &anwendungsfall) {
      faults.push_back(pid_text(anwendungsfall) + " is hidden by a later column with the same Prüfidentifikator");
    }
  }
  EXPECT_TRUE(faults.empty()) << report(faults);
}

// The finders themselves, on a small consistent profile that each case breaks in one place.
model::Element simple(std::string id, std::vector<std::string> codes = {}) {
  model::Element element{.id = std::move(id), .status = "M", .format = "an..35"};
  for (std::string& code : codes) element.codes.push_back(model::Code{.code = std::move(code)});
  return element;
}

model::Element composite(std::string id, std::vector<model::Element> components) {
  return model::Element{.id = std::move(id), .status = "M", .components = std::move(components)};
}

model::Node segment_node(std::string nr, std::string tag, std::vector<model::Element> elements) {
  return model::Node{model::SegmentNode{.nr = std::move(nr), .tag = std::move(tag), .status = "M", .max = 1,
                                        .elements = std::move(elements)}};
}

model::Node group_node(std::string name, std::vector<model::Node> children) {
  return model::Node{model::GroupNode{.group = std::move(name), .status = "M", .max = 9, .children = std::move(children)}};
}

model::MigProfile fixture_mig() {
  model::MigProfile mig{.message_type = "MSCONS", .release = "2.4c", .valid_from = "2026-04-01"};
  mig.envelope = {model::SegmentNode{.nr = "00000", .tag = "UNB", .status = "M", .max = 1,
                                     .elements = {composite("S002", {simple("0004"), simple("0007", {"14", "500"})}),
                                                  composite("S003", {simple("0010"), simple("0007", {"14", "502"})})}}};
  mig.structure = {
      segment_node("00001", "UNH", {simple("0062"), composite("S009", {simple("0065", {"MSCONS"})})}),
      group_node("SG2", {segment_node("00002", "NAD", {simple("3035", {"MS"}), composite("C082", {simple("3039")})}),
                         group_node("SG4", {segment_node("00003", "CTA", {simple("3139", {"IC"})})})}),
      group_node("SG5", {segment_node("00004", "LOC", {simple("3227", {"172"})})}),
      segment_node("00005", "UNT", {simple("0074")}),
  };
  return mig;
}

model::Anwendungsfall fixture_column() {
  const auto rule = [](std::string nr, std::string de, std::optional<std::string> code, std::uint8_t occurrence = 0) {
    return model::ElementRule{.nr = std::move(nr), .de = std::move(de),
                              .operands = {model::Operand{.operand = "X", .code = std::move(code)}},
                              .occurrence = occurrence};
  };
  return model::Anwendungsfall{
      .pid = 13002,
      .name = "fixture",
      .rows = {model::Row{.status = {"Muss"}, .nr = "00000"}, model::Row{.status = {"Muss"}, .nr = "00001"},
               model::Row{.status = {"Muss"}, .group = "SG2", .before = "00002"},
               model::Row{.status = {"Muss"}, .nr = "00002"},
               model::Row{.status = {"Kann"}, .group = "SG4", .before = "00003"},
               model::Row{.status = {"Muss"}, .nr = "00003"}},
      .elements = {rule("00000", "0007", "500"), rule("00000", "0007", "502", 1), rule("00001", "0065", "MSCONS"),
                   rule("00001", "0062", std::nullopt), rule("00002", "3039", std::nullopt),
                   rule("00003", "3139", "IC")},
  };
}

struct BrokenColumn {
  std::string name;
  std::function<void(model::Anwendungsfall&)> breakage;
  std::string fault;  // empty: the column is sound
  friend void PrintTo(const BrokenColumn& c, std::ostream* out) { *out << c.name; }
};

class ColumnFaultFinders : public testing::TestWithParam<BrokenColumn> {};

TEST_P(ColumnFaultFinders, ReportTheBrokenReference) {
  model::AhbProfile ahb{.message_type = "MSCONS", .release = "2.4c"};
  ahb.anwendungsfaelle.push_back(fixture_column());
  GetParam().breakage(ahb.anwendungsfaelle.front());
  auto created = Profile::create(fixture_mig(), std::move(ahb));
  ASSERT_TRUE(created.has_value()) << created.error().message();
  const auto& column = created->ahb().anwendungsfaelle.front();
  std::vector<std::string> faults = row_faults(*created, column);
  std::ranges::move(element_faults(*created, column), std::back_inserter(faults));
  if (GetParam().fault.empty()) {
    EXPECT_TRUE(faults.empty()) << report(faults);
  } else {
    ASSERT_EQ(faults.size(), 1U) << report(faults);
    EXPECT_EQ(faults.front(), GetParam().fault);
  }
}

const BrokenColumn broken_columns[] = {
    {"sound", [](model::Anwendungsfall&) {}, ""},
    {"segment_row_without_segment", [](model::Anwendungsfall& c) { c.rows[1].nr = "00009"; },
     "13002 row 00009: no such segment"},
    {"group_row_before_a_segment_outside_the_group", [](model::Anwendungsfall& c) { c.rows[4].before = "00002"; },
     "13002 group row SG4 before 00002: that segment lies in no SG4"},
    {"group_row_before_an_unknown_segment", [](model::Anwendungsfall& c) { c.rows[2].before = "00042"; },
     "13002 group row SG2 before 00042: no such segment"},
    {"group_row_without_following_segment", [](model::Anwendungsfall& c) { c.rows[2].before.reset(); },
     "13002 row without segment number names no group and following segment"},
    {"rule_for_an_unknown_segment", [](model::Anwendungsfall& c) { c.elements[2].nr = "00010"; },
     "13002 00010 0065#0: no such segment"},
    {"rule_for_an_element_of_another_segment", [](model::Anwendungsfall& c) { c.elements[4].de = "3139"; },
     "13002 00002 3139#0: NAD has no such data element"},
    {"occurrence_beyond_the_repeated_element", [](model::Anwendungsfall& c) { c.elements[1].occurrence = 2; },
     "13002 00000 0007#2: UNB has no such data element"},
    {"code_of_the_other_occurrence", [](model::Anwendungsfall& c) { c.elements[0].operands[0].code = "502"; },
     "13002 00000 0007#0: code 502 is not among the MIG's codes of UNB [14 500]"},
    {"qualifier_of_another_variant", [](model::Anwendungsfall& c) { c.elements[5].operands[0].code = "CTA"; },
     "13002 00003 3139#0: code CTA is not among the MIG's codes of CTA [IC]"},
    {"code_where_the_mig_lists_none", [](model::Anwendungsfall& c) { c.elements[3].operands[0].code = "1"; },
     "13002 00001 0062#0: code 1 is not among the MIG's codes of UNH []"},
    {"composite_found_by_its_own_id", [](model::Anwendungsfall& c) { c.elements[4].de = "C082"; }, ""},
};

TEST(ConditionFaults, NameEveryReferenceWithoutTextOrExpression) {
  model::AhbProfile ahb{.message_type = "MSCONS", .release = "2.4c"};
  ahb.conditions = {{"1", "Wenn SG5 NAD+DP vorhanden"}, {"501", "Hinweis: Kundennummer"}, {"2001", "Segment einmal je SG5"}};
  ahb.packages = {{"1P", ""}, {"2P", "[1] ∧ [3] ∧ [5P0..1]"}, {"UB7", "([931] ∧ [932] [490])"}};
  model::Anwendungsfall column = fixture_column();
  column.rows[1].status = {"Muss [1] ∧ [501]", "Soll [2]"};
  column.rows[2].status = {"Muss [2001] [UB1] [UB7] [UB8]"};
  column.elements[3].operands[0].operand = "X [931] [2P0..1] ⊻ [4P1..1]";
  column.elements[4].operands[0].operand = "X [1000] [ 1]";
  ahb.anwendungsfaelle.push_back(std::move(column));
  EXPECT_EQ(condition_faults(ahb), (std::vector<std::string>{
                                       "13002 row 00001: [2] no condition text",
                                       "13002 row SG2: [UB8] no Unterbedingung",
                                       "13002 00001 0062: [4P1..1] no Paket",
                                       "13002 00002 3039: [1000] no condition text",
                                       "13002 00002 3039: [ 1] no condition text",
                                       "2P: [5P0..1] no Paket",
                                   }));
}

TEST(GroupTreeOpenings, NameTheGroupThatASiblingWithItsTriggerHides) {
  model::AhbProfile ahb{.message_type = "MSCONS", .release = "2.4c"};
  auto sound = Profile::create(fixture_mig(), ahb);
  ASSERT_TRUE(sound.has_value());
  EXPECT_EQ(group_tree_openings(*sound), std::vector<std::string>{});

  model::MigProfile hidden = fixture_mig();
  // A delivery party after the header parties, and two references of one location.
  hidden.structure.insert(hidden.structure.end() - 1,
                          group_node("SG7", {segment_node("00006", "NAD", {simple("3035", {"DP"})})}));
  auto& location = std::get<model::GroupNode>(hidden.structure[2].kind);
  location.children.push_back(group_node("SG10", {segment_node("00007", "RFF", {})}));
  location.children.push_back(group_node("SG11", {segment_node("00008", "RFF", {})}));
  auto shadowed = Profile::create(std::move(hidden), ahb);
  ASSERT_TRUE(shadowed.has_value());
  EXPECT_EQ(group_tree_openings(*shadowed), (std::vector<std::string>{"SG5/SG11 opens as SG10", "SG7 opens as SG2"}));
}

INSTANTIATE_TEST_SUITE_P(Fixture, ColumnFaultFinders, testing::ValuesIn(broken_columns),
                         [](const auto& info) { return info.param.name; });

std::vector<std::string> builtin_names() {
  std::vector<std::string> names;
  for (const auto& pair : edi_energy::catalogue::builtin_pairs()) names.emplace_back(pair.name);
  return names;
}

INSTANTIATE_TEST_SUITE_P(Builtin, BuiltinColumns, testing::ValuesIn(builtin_names()),
                         [](const testing::TestParamInfo<std::string>& info) { return info.param; });

}  // namespace

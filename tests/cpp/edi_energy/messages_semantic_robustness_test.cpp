// Semantic rule packs over damaged and incomplete segments: whatever a segment holds, a rule
// either passes it or reports a well-formed finding on a segment of the message.
#include <gtest/gtest.h>

#include <cstddef>
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
#include "edifact/parse/from_bytes.hpp"
#include "edifact/validator/context/validation_context.hpp"

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

const GroupSchema fixture_schema{{"SG7", "DOC", {{"SG8", "QTY", {}}}}};

struct TypedPack {
  std::string_view type;
  PackMaker pack;
};

const TypedPack packs[] = {
    {"CONTRL", messages::contrl::semantic_rule_pack}, {"INSRPT", messages::insrpt::semantic_rule_pack},
    {"INVOIC", messages::invoic::semantic_rule_pack}, {"MSCONS", messages::mscons::semantic_rule_pack},
    {"ORDERS", messages::orders::semantic_rule_pack}, {"REMADV", messages::remadv::semantic_rule_pack},
    {"UTILMD", messages::utilmd::semantic_rule_pack},
};

ValidationReport run_pack(PackMaker pack, std::span<const Segment> segments) {
  const auto tree = edifact::group::message_group_tree(segments, fixture_schema);
  return ValidationContextBuilder().with_profile_pack(pack()).build().validate_grouped(tree, segments);
}

// The segments before the first parse error, if any.
std::vector<Segment> parsed_prefix(std::string_view text) {
  std::vector<Segment> segments;
  auto reader = edifact::from_bytes_with_config(text, {});
  while (auto item = reader.next()) {
    if (!*item) break;
    segments.push_back(std::move(**item));
  }
  return segments;
}

// Every segment that some rule reads, each in a form that gives a finding.
constexpr std::string_view offending_body =
    "UCI+1+S:14+R:14+9'DOC+Z01'DTM+163:20260501:102'DTM+164:20260430:102'QTY+220:5:XYZ'"
    "LOC+172+BAD'LOC+Z16+1'";

std::string message_of(std::string_view type) {
  return "UNH+1+" + std::string(type) + ":D:04B:UN:2.4c'" + std::string(offending_body) + "UNT+9+1'";
}

// Each variant of `text` with one byte deleted or replaced by a service character or a byte
// that is not UTF-8, and each prefix of it.
std::vector<std::string> damaged_variants(const std::string& text, std::size_t from) {
  constexpr std::string_view replacements{"+:'?\xFF\0", 6};
  std::vector<std::string> variants;
  for (std::size_t position = from; position < text.size(); ++position) {
    variants.push_back(text.substr(0, position));
    variants.push_back(text.substr(0, position) + text.substr(position + 1));
    for (const char byte : replacements) {
      std::string replaced = text;
      replaced[position] = byte;
      variants.push_back(std::move(replaced));
    }
  }
  return variants;
}

void expect_well_formed(const ValidationIssue& finding, std::span<const Segment> segments) {
  EXPECT_EQ(finding.severity, Severity::Error);
  ASSERT_TRUE(finding.rule_id.has_value());
  EXPECT_TRUE(finding.rule_id->starts_with("SEM-")) << *finding.rule_id;
  EXPECT_FALSE(finding.message.empty());
  EXPECT_TRUE(finding.suggestion.has_value());
  ASSERT_TRUE(finding.span.has_value());
  bool names_a_segment = false;
  for (const Segment& segment : segments) {
    if (segment.span() == *finding.span && finding.segment == segment.tag()) names_a_segment = true;
  }
  EXPECT_TRUE(names_a_segment) << *finding.rule_id << " at " << finding.span->start;
}

TEST(SemanticRulePacks, DamagedMessagesGiveWellFormedFindingsOnly) {
  for (const TypedPack& pack : packs) {
    const std::string text = message_of(pack.type);
    // The UNH stays whole so that every variant is in the pack's scope.
    const std::size_t body_start = text.find('\'') + 1;
    std::size_t findings_seen = 0;
    for (const std::string& variant : damaged_variants(text, body_start)) {
      const std::vector<Segment> segments = parsed_prefix(variant);
      const ValidationReport report = run_pack(pack.pack, segments);
      EXPECT_TRUE(report.warnings.empty() && report.infos.empty());
      for (const ValidationIssue& finding : report.errors) {
        SCOPED_TRACE(variant);
        expect_well_formed(finding, segments);
      }
      findings_seen += report.errors.size();
    }
    // The damage must leave many findings standing, or the property would hold vacuously.
    EXPECT_GT(findings_seen, text.size()) << pack.type;
  }
}

// Built segments reach shapes that parsed ones do not: elements without any component.
TEST(SemanticRulePacks, SegmentsWithMissingPartsAreSkipped) {
  const std::vector<Segment> segments{
      Segment::from_texts("UNH", {{"1"}, {"MSCONS", "D", "04B", "UN", "2.4c"}}),
      Segment::from_texts("UCI", {}),
      Segment::from_texts("UCI", {{}, {}, {}, {}}),
      Segment::from_texts("DTM", {}),
      Segment::from_texts("DTM", {{}}),
      Segment::from_texts("DTM", {{"163"}}),
      Segment::from_texts("DTM", {{}, {"164", "1"}}),
      Segment::from_texts("QTY", {}),
      Segment::from_texts("QTY", {{}}),
      Segment::from_texts("QTY", {{"220", "5"}}),
      Segment::from_texts("LOC", {{"172"}}),
      Segment::from_texts("LOC", {{"172"}, {}}),
      Segment::from_texts("LOC", {{}, {"BAD"}}),
      Segment::from_texts("LOC", {{"Z16"}, {}}),
      Segment::from_texts("DOC", {}),
      Segment::from_texts("", {}),
  };
  for (const TypedPack& pack : packs) {
    std::vector<Segment> typed = segments;
    typed.front() = Segment::from_texts("UNH", {{"1"}, {pack.type, "D", "04B", "UN", "2.4c"}});
    const ValidationReport report = run_pack(pack.pack, typed);
    EXPECT_TRUE(report.errors.empty() && report.warnings.empty() && report.infos.empty()) << pack.type;
  }
}

}  // namespace

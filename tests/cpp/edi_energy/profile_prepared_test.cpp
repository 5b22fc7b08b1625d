// What a profile prepares once and keeps (columns, Paket pins, placement by packed tags and
// codes) against the same work done afresh. An Anwendungsfall copied out of its profile is not
// one of the profile's own, so completion and the column checks take the unprepared path for it.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <thread>
#include <vector>

#include <fmt/format.h>

#include "builtin_content.hpp"
#include "edi_energy/catalogue.hpp"
#include "edi_energy/profile/validate/ahb_checks.hpp"
#include "edi_energy/profile/validate/column.hpp"
#include "edi_energy/profile/validate/validate.hpp"
#include "edifact/model/owned_element.hpp"

namespace {

using edi_energy::profile::Profile;
using edifact::model::Segment;
namespace model = edi_energy::profile::model;
namespace structure = edi_energy::profile::structure;
namespace validate = edi_energy::profile::validate;

const edi_energy::profile::skeleton::SkeletonParties parties{"9900000000003", "9800000000006"};

std::string text_of(const std::vector<Segment>& segments) {
  std::string text;
  for (const Segment& segment : segments) {
    text += segment.tag();
    for (const auto element : segment.elements()) {
      text += '+';
      for (const auto component : element.components()) text += fmt::format("{}:", component.text);
    }
    text += '\'';
  }
  return text;
}

std::vector<std::string> shown(const std::vector<edifact::report::ValidationIssue>& findings) {
  std::vector<std::string> lines;
  for (const auto& finding : findings) {
    std::string line = finding.rule_id.value_or("") + " | " + finding.message;
    for (const auto& [key, value] : finding.context) line += fmt::format(" {}={}", key, value);
    lines.push_back(std::move(line));
  }
  return lines;
}

// The message with every third segment left out, so that the checks find things missing.
std::vector<Segment> thinned(const std::vector<Segment>& segments) {
  std::vector<Segment> kept;
  for (std::size_t at = 0; at < segments.size(); ++at) {
    if (at % 3 != 1) kept.push_back(segments[at]);
  }
  return kept;
}

// The message with every element after the first carrying one component more than it has, and
// its empty components filled, so that the checks meet values where the column has no line.
std::vector<Segment> filled(const std::vector<Segment>& segments) {
  std::vector<Segment> changed;
  for (const Segment& segment : segments) {
    Segment with_values = segment;
    const auto elements = segment.elements();
    for (std::size_t k = 1; k < elements.size(); ++k) {
      edifact::model::OwnedElement element;
      for (const auto component : elements[k].components()) element.component(component.text.empty() ? "1" : component.text);
      element.component("1");
      with_values = with_values.with_element(k, element);
    }
    changed.push_back(std::move(with_values));
  }
  return changed;
}

std::vector<std::string> builtin_names() {
  std::vector<std::string> names;
  for (const auto& pair : edi_energy::catalogue::builtin_pairs()) names.emplace_back(pair.name);
  return names;
}

class PreparedProfile : public testing::TestWithParam<std::string> {
 protected:
  const Profile& profile() const { return builtin_content::profile_named(GetParam()); }

  // Every fifth column: the profiles hold up to a few hundred.
  std::vector<const model::Anwendungsfall*> sampled_columns() const {
    std::vector<const model::Anwendungsfall*> columns;
    const auto& all = profile().ahb().anwendungsfaelle;
    for (std::size_t at = 0; at < all.size(); at += 5) columns.push_back(&all[at]);
    return columns;
  }
};

TEST_P(PreparedProfile, CompletionAndColumnChecksMatchTheUnpreparedPath) {
  const Profile& p = profile();
  EXPECT_EQ(p.parsed_pakete(), validate::parse_pakete(p.ahb().packages));
  for (const model::Anwendungsfall* own : sampled_columns()) {
    const model::Anwendungsfall copy = *own;
    ASSERT_NE(p.column(*own), nullptr);
    ASSERT_EQ(p.column(copy), nullptr);
    const auto prepared = p.generate(std::nullopt, *own, parties).value();
    const auto fresh = p.generate(std::nullopt, copy, parties).value();
    EXPECT_EQ(text_of(prepared), text_of(fresh)) << own->name;
    // Without a PID the copy would be labelled by a position it does not have.
    if (!own->pid) continue;
    for (const auto& message : {prepared, thinned(prepared)}) {
      const auto resolution = p.structure().resolve(message);
      std::vector<edifact::report::ValidationIssue> from_prepared;
      std::vector<edifact::report::ValidationIssue> from_fresh;
      validate::ahb_checks(p, *own, resolution, message, from_prepared);
      validate::ahb_checks(p, copy, resolution, message, from_fresh);
      EXPECT_EQ(shown(from_prepared), shown(from_fresh)) << own->name << " (" << message.size() << " segments)";
    }
  }
}

// What the profile's column prepares per node (rule sites, answer code slots, uncovered
// positions) against a column made without the structure, which works each out per segment.
// Only the repeat bounds need what the bare column lacks.
TEST_P(PreparedProfile, ColumnChecksMatchAColumnMadeWithoutTheStructure) {
  const Profile& p = profile();
  for (const model::Anwendungsfall* own : sampled_columns()) {
    if (!own->pid) continue;
    const validate::Column bare(*own);
    const auto generated = p.generate(std::nullopt, *own, parties).value();
    for (const auto& message : {generated, thinned(generated), filled(generated)}) {
      const auto resolution = p.structure().resolve(message);
      std::vector<edifact::report::ValidationIssue> from_prepared;
      std::vector<edifact::report::ValidationIssue> from_bare;
      validate::ahb_checks(p, *p.column(*own), resolution, message, from_prepared);
      validate::ahb_checks(p, bare, resolution, message, from_bare);
      std::erase_if(from_prepared, [](const auto& finding) { return finding.rule_id.value_or("").ends_with("-MAX"); });
      EXPECT_EQ(shown(from_prepared), shown(from_bare)) << own->name << " (" << message.size() << " segments)";
    }
  }
}

// The flags a column works out per node against asking the rules element by element.
TEST_P(PreparedProfile, NamedFlagsMatchTheRulesOfEachNode) {
  const Profile& p = profile();
  const structure::Structure& s = p.structure();
  for (const model::Anwendungsfall* own : sampled_columns()) {
    const validate::Column* column = p.column(*own);
    ASSERT_NE(column, nullptr);
    for (std::size_t node = 0; node < s.nodes.size(); ++node) {
      const auto* segment = s.nodes[node].segment();
      if (segment == nullptr || segment->def >= s.segment_defs.size()) continue;
      const auto rules = column->rules(node, segment->nr);
      std::vector<char> expected;
      const model::SegmentNode& definition = s.segment_defs[segment->def];
      for (std::size_t k = 0; k < definition.elements.size(); ++k) {
        expected.push_back(column->names(rules, definition.elements[k]) ? 1 : 0);
        for (std::size_t j = 0; j < definition.elements[k].components.size(); ++j) {
          expected.push_back(column->names_component(rules, definition, k, j) ? 1 : 0);
        }
      }
      const auto named = column->named(node);
      EXPECT_EQ(std::vector<char>(named.begin(), named.end()), expected) << own->name << " node " << node;
    }
  }
}

// The packed tests against the discriminators' own, also for an empty qualifier and for one
// longer than any code.
TEST_P(PreparedProfile, PlacementTestsMatchTheDiscriminators) {
  const Profile& p = profile();
  const structure::Structure& s = p.structure();
  std::vector<Segment> probes;
  for (const model::Anwendungsfall* own : sampled_columns()) {
    const auto generated = p.generate(std::nullopt, *own, parties).value();
    for (const Segment& segment : generated) {
      probes.push_back(segment);
      for (const std::string_view odd : {"", "ZZZZZZZZZ"}) {
        edifact::model::OwnedElement qualifier;
        qualifier.component(odd);
        probes.push_back(segment.with_element(0, qualifier));
      }
    }
  }
  for (structure::NodeIndex node = 0; node < s.nodes.size(); ++node) {
    const auto* segment_node = s.nodes[node].segment();
    if (segment_node == nullptr) continue;
    for (const Segment& probe : probes) {
      if (probe.tag() != segment_node->tag) continue;
      const bool expected = std::ranges::all_of(segment_node->discriminators,
                                                [&](const structure::Discriminator& test) { return test.accepts(probe); });
      EXPECT_EQ(s.fits(node, probe), expected) << segment_node->nr << ' ' << text_of({probe});
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Builtin, PreparedProfile, testing::ValuesIn(builtin_names()),
                         [](const testing::TestParamInfo<std::string>& info) { return info.param; });

// Threads that validate against a profile no validation has used yet all prepare the same column
// once and get the findings of a single thread.
TEST(PreparedConcurrently, FirstValidationsOnManyThreadsAgree) {
  const auto pairs = edi_energy::catalogue::builtin_pairs();
  const auto utilmd = std::ranges::find_if(pairs, [](const auto& pair) { return pair.name.starts_with("UTILMD"); });
  ASSERT_NE(utilmd, pairs.end());
  const Profile reference = edi_energy::catalogue::loader(*utilmd)();
  const Profile untouched = edi_energy::catalogue::loader(*utilmd)();
  const auto& column = *std::ranges::find_if(reference.ahb().anwendungsfaelle,
                                            [](const model::Anwendungsfall& a) { return a.pid.has_value(); });
  const auto message = thinned(reference.generate(std::nullopt, column, parties).value());
  const auto expected = shown(validate::validate(reference, message, column.pid));
  ASSERT_FALSE(expected.empty());

  std::vector<std::vector<std::string>> seen(4);
  std::vector<std::thread> threads;
  for (auto& result : seen) {
    threads.emplace_back([&] { result = shown(validate::validate(untouched, message, column.pid)); });
  }
  for (auto& thread : threads) thread.join();
  for (const auto& result : seen) EXPECT_EQ(result, expected);
}

}  // namespace

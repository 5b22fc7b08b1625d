// Each Vorgang is a case of its own: a column's completed message, valid alone, stays valid with
// its Vorgang twice, in every message type whose Vorgänge an IDE opens and may repeat.
#include <gtest/gtest.h>

#include <fmt/format.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "edi_energy/catalogue.hpp"
#include "edi_energy/profile/validate/validate.hpp"
#include "edifact/model/segment_builder.hpp"
#include "edifact/report/severity.hpp"

namespace {

using edifact::model::Segment;

std::vector<std::string> errors(const edi_energy::profile::Profile& profile, const std::vector<Segment>& message,
                                std::uint32_t pid) {
  std::vector<std::string> found;
  for (const auto& finding : edi_energy::profile::validate::validate(profile, message, pid)) {
    if (edifact::report::counts_as_error(finding.severity)) found.push_back(finding.rule_id.value_or(finding.message));
  }
  return found;
}

// The message with the segments from its first IDE up to its UNT written twice, and a UNT that
// counts them.
std::optional<std::vector<Segment>> twice(const std::vector<Segment>& message) {
  const auto ide = std::ranges::find_if(message, [](const Segment& s) { return s.tag() == "IDE"; });
  const auto unt = std::ranges::find_if(message, [](const Segment& s) { return s.tag() == "UNT"; });
  if (ide == message.end() || unt == message.end() || unt < ide) return std::nullopt;
  std::vector<Segment> doubled(message.begin(), unt);
  doubled.insert(doubled.end(), ide, unt);
  edifact::model::SegmentBuilder count("UNT");
  count.element().component(std::to_string(doubled.size() + 1));
  const auto reference = unt->elements().size() > 1 ? unt->elements()[1].components()[0].text : std::string_view();
  count.element().component(std::string(reference));
  doubled.push_back(count.build());
  return doubled;
}

TEST(Vorgaenge, TwoThatAreValidAloneAreValidTogether) {
  std::vector<const edi_energy::profile::Profile*> profiles;
  edi_energy::register_profiles(profiles);
  const edi_energy::profile::skeleton::SkeletonParties parties{"9900000000003", "9800000000006"};
  std::size_t checked = 0;
  for (const auto* profile : profiles) {
    if (profile->structure().vorgang_tags.empty()) continue;
    for (const auto& anwendungsfall : profile->ahb().anwendungsfaelle) {
      if (!anwendungsfall.pid) continue;
      auto completed = profile->generate(std::nullopt, anwendungsfall, parties);
      if (!completed || !errors(*profile, *completed, *anwendungsfall.pid).empty()) continue;
      const auto doubled = twice(*completed);
      ASSERT_TRUE(doubled.has_value()) << anwendungsfall.name;
      const auto found = errors(*profile, *doubled, *anwendungsfall.pid);
      // A column whose message holds one Vorgang only says so, and nothing else is asked of it.
      const std::string bound = fmt::format("AHB-{}-{}-", *anwendungsfall.pid, profile->structure().vorgang_group);
      if (std::ranges::any_of(found, [&](const std::string& rule) {
            return rule == "MIG-STRUCTURE" || (rule.starts_with(bound) && rule.ends_with("-MAX"));
          })) {
        continue;
      }
      EXPECT_EQ(found, std::vector<std::string>())
          << profile->mig().message_type << ' ' << profile->mig().release << ' ' << *anwendungsfall.pid;
      ++checked;
    }
  }
  EXPECT_GT(checked, 100U);
}

}  // namespace

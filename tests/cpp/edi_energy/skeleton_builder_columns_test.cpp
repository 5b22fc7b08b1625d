// The columns the message builders complete to: from nothing and from the header a builder
// writes, completion must reach a message that its own column accepts.
#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "../edifact/parsed_segments.hpp"
#include "edi_energy/catalogue.hpp"
#include "edi_energy/profile/validate/validate.hpp"
#include "edifact/report/severity.hpp"
#include "skeleton_fixture.hpp"

namespace {

struct BuilderColumn {
  std::string_view profile;  // name of the built-in pair
  std::uint32_t pid;
  std::string header;  // "{release}" stands for the profile's release
};

// Parties with GS1 numbers: their agency code "9" is one every one of these columns admits.
constexpr std::string_view ms = "NAD+MS+4012345000009::9'";
constexpr std::string_view mr = "NAD+MR+4012345000016::9'";
constexpr std::string_view created = "DTM+137:202610010000?+00:303'";

std::string header(std::string_view unh, std::string_view bgm, bool receiver_first = false) {
  return std::string(unh) + std::string(bgm) + std::string(created) +
         (receiver_first ? std::string(mr) + std::string(ms) : std::string(ms) + std::string(mr)) + "UNT+6+1'";
}

const edi_energy::profile::Profile* builtin(std::string_view name) {
  std::vector<const edi_energy::profile::Profile*> profiles;
  edi_energy::register_profiles(profiles);
  const auto pairs = edi_energy::catalogue::builtin_pairs();
  for (std::size_t at = 0; at < pairs.size() && at < profiles.size(); ++at) {
    if (pairs[at].name == name) return profiles[at];
  }
  return nullptr;
}

std::vector<std::string> errors_of(const edi_energy::profile::Profile& profile, std::uint32_t pid,
                                   std::span<const edifact::model::Segment> message) {
  std::vector<std::string> errors;
  for (const auto& finding : edi_energy::profile::validate::validate(profile, message, pid)) {
    if (edifact::report::counts_as_error(finding.severity)) errors.push_back(finding.rule_id.value_or(finding.message));
  }
  return errors;
}

std::string replaced(std::string text, std::string_view placeholder, std::string_view value) {
  for (auto at = text.find(placeholder); at != std::string::npos; at = text.find(placeholder, at + value.size())) {
    text.replace(at, placeholder.size(), value);
  }
  return text;
}

TEST(SkeletonBuilderColumns, CompleteCleanFromNothingAndFromABuilderHeader) {
  const std::string utilmd = header("UNH+1+UTILMD:D:11A:UN:{release}'", "BGM+E01+DOC0001'");
  const std::vector<BuilderColumn> columns{
      {"UTILMD_FV20251001", 55001, utilmd},
      {"UTILMD_FV20261001", 55001, utilmd},
      {"UTILMD_FV20260401_GAS", 44003, utilmd},
      {"UTILMD_FV20261001_GAS", 44003, utilmd},
      {"MSCONS_FV20260401", 13002, header("UNH+1+MSCONS:D:04B:UN:{release}'", "BGM+7+DOC0001+9'")},
      {"MSCONS_FV20261001", 13002, header("UNH+1+MSCONS:D:04B:UN:{release}'", "BGM+7+DOC0001+9'")},
      {"APERAK_FV20251001", 29002, header("UNH+1+APERAK:D:07B:UN:{release}'", "BGM+312+DOC0001'")},
      {"APERAK_FV20261001", 29002, header("UNH+1+APERAK:D:07B:UN:{release}'", "BGM+312+DOC0001'")},
      {"IFTSTA_FV20251001", 21000, header("UNH+1+IFTSTA:D:18A:UN:{release}'", "BGM+Z03+DOC0001'", true)},
      {"IFTSTA_FV20261001", 21000, header("UNH+1+IFTSTA:D:18A:UN:{release}'", "BGM+Z03+DOC0001'", true)},
      {"REMADV_FV20260401", 33001, header("UNH+1+REMADV:D:05A:UN:{release}'", "BGM+481+DOC0001'")},
      {"ORDERS_FV20260401", 17001, header("UNH+1+ORDERS:D:09B:UN:{release}'", "BGM+Z10+DOC0001'")},
      {"ORDERS_FV20261001", 17001, header("UNH+1+ORDERS:D:09B:UN:{release}'", "BGM+Z10+DOC0001'")},
      {"QUOTES_FV20261001", 15003, header("UNH+1+QUOTES:D:10A:UN:{release}'", "BGM+Z57+DOC0001'")},
  };
  const edi_energy::profile::skeleton::SkeletonParties parties{"4012345000009", "4012345000016"};
  for (const auto& column : columns) {
    const auto* profile = builtin(column.profile);
    ASSERT_NE(profile, nullptr) << column.profile;
    const auto* anwendungsfall = profile->anwendungsfall(column.pid);
    ASSERT_NE(anwendungsfall, nullptr) << column.profile << ' ' << column.pid;
    const auto seeds = edifact_test::parsed(replaced(column.header, "{release}", profile->mig().release));
    for (const bool seeded : {false, true}) {
      const auto out = seeded ? profile->generate(std::span(seeds), *anwendungsfall, parties)
                              : profile->generate(std::nullopt, *anwendungsfall, parties);
      ASSERT_TRUE(out.has_value()) << column.profile << ' ' << column.pid << ": " << out.error().message();
      EXPECT_EQ(errors_of(*profile, column.pid, *out), std::vector<std::string>{})
          << column.profile << ' ' << column.pid << (seeded ? " from the builder header" : " from nothing");
      if (!seeded) continue;
      // Every header segment is still there, as the builder wrote it.
      const std::string completed = skeleton_fixture::render(*out);
      for (const auto& seed : seeds) {
        if (seed.tag() == "UNT") continue;
        const std::string written = skeleton_fixture::render(std::span(&seed, 1));
        EXPECT_NE(completed.find(written), std::string::npos) << column.profile << ": " << written;
      }
    }
  }
}

}  // namespace

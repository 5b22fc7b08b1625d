// One generator round from an empty message for every column of every built-in profile. The
// documents change as they are converted, so only behaviour that holds for any content is checked.
#include <gtest/gtest.h>

#include <string>
#include <unordered_set>
#include <vector>

#include "edi_energy/catalogue.hpp"
#include "edi_energy/profile/skeleton/generator.hpp"

namespace {

namespace skeleton = edi_energy::profile::skeleton;

TEST(SkeletonCatalogue, EveryColumnWalksFromAnEmptyMessage) {
  std::vector<const edi_energy::profile::Profile*> profiles;
  edi_energy::register_profiles(profiles);
  ASSERT_FALSE(profiles.empty());
  const skeleton::SkeletonParties parties{"9900000000003", "9800000000006"};
  const skeleton::KeySets keys;
  std::size_t columns = 0;
  for (const auto* profile : profiles) {
    std::unordered_set<std::string> tags;
    for (const auto& def : profile->structure().segment_defs) tags.insert(def.tag);
    for (const auto& anwendungsfall : profile->ahb().anwendungsfaelle) {
      std::vector<edifact::model::Segment> out;
      skeleton::Generator generator(*profile, anwendungsfall, parties, keys, out);
      ASSERT_NO_THROW(generator.walk(profile->structure().roots, false, 0, 0))
          << profile->mig().message_type << ' ' << profile->mig().release << ' ' << anwendungsfall.name;
      for (const auto& segment : out) {
        EXPECT_TRUE(tags.contains(std::string(segment.tag()))) << segment.tag();
        // Trailing empty elements are never written.
        const auto elements = segment.elements();
        if (elements.size() != 0) {
          bool last_filled = false;
          for (const auto component : elements[elements.size() - 1].components()) {
            last_filled = last_filled || !component.text.empty();
          }
          EXPECT_TRUE(last_filled) << segment.tag();
        }
      }
      // Its own output as seeds: placed, carried over, never a fault.
      const auto resolution = profile->structure().resolve(out);
      std::vector<edifact::model::Segment> again;
      skeleton::Generator seeded(*profile, anwendungsfall, parties, keys, again, out, &resolution);
      ASSERT_NO_THROW(seeded.walk(profile->structure().roots, true, 0, 0)) << anwendungsfall.name;
      ++columns;
    }
  }
  EXPECT_GT(columns, 0U);
}

}  // namespace

namespace {

TEST(SkeletonCatalogue, EveryColumnCompletesWithACountedTrailer) {
  std::vector<const edi_energy::profile::Profile*> profiles;
  edi_energy::register_profiles(profiles);
  const skeleton::SkeletonParties parties{"9900000000003", "9800000000006"};
  for (const auto* profile : profiles) {
    for (const auto& anwendungsfall : profile->ahb().anwendungsfaelle) {
      std::vector<edifact::model::Segment> out;
      ASSERT_NO_THROW({
        auto completed = profile->generate(std::nullopt, anwendungsfall, parties);
        ASSERT_TRUE(completed.has_value()) << anwendungsfall.name << ": " << completed.error().message();
        out = std::move(*completed);
      });
      for (const auto& segment : out) {
        if (segment.tag() != "UNT" || segment.elements().size() == 0) continue;
        EXPECT_EQ(segment.elements()[0].components()[0].text, std::to_string(out.size())) << anwendungsfall.name;
        break;
      }
    }
  }
}

}  // namespace

// Every column of every built-in profile, walked once and completed from an empty message. The
// documents change as they are converted, so besides behaviour that holds for any content only a
// floor on the share of clean completions is checked.
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <span>
#include <string>
#include <unordered_set>
#include <vector>

#include "edi_energy/catalogue.hpp"
#include "edi_energy/profile/skeleton/generator.hpp"
#include "edi_energy/profile/validate/validate.hpp"
#include "edifact/report/severity.hpp"
#include "support/diag.hpp"

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

// How completion ended, as its diagnostic event tells it.
struct Ending {
  std::size_t rounds = 0;
  std::string end;
};

class EndingWatch {
 public:
  EndingWatch() {
    previous_ = support::diag::set_sink([this](const support::diag::Event& event) {
      if (event.message != "completion finished") return;
      for (const auto& field : event.fields) {
        if (field.name == "rounds") last.rounds = std::stoul(field.value);
        if (field.name == "end") last.end = field.value;
      }
    });
  }
  EndingWatch(const EndingWatch&) = delete;
  EndingWatch& operator=(const EndingWatch&) = delete;
  ~EndingWatch() { support::diag::set_sink(previous_); }

  Ending last;

 private:
  support::diag::Sink previous_;
};

std::optional<std::uint32_t> column_pid(const edi_energy::profile::model::Anwendungsfall& anwendungsfall) {
  if (anwendungsfall.pid && *anwendungsfall.pid >= 10000 && *anwendungsfall.pid <= 99999) return anwendungsfall.pid;
  return std::nullopt;
}

bool validates_clean(const edi_energy::profile::Profile& profile,
                     const edi_energy::profile::model::Anwendungsfall& anwendungsfall,
                     std::span<const edifact::model::Segment> message) {
  return std::ranges::none_of(edi_energy::profile::validate::validate(profile, message, column_pid(anwendungsfall)),
                              [](const auto& finding) { return edifact::report::counts_as_error(finding.severity); });
}

// Measured share of columns whose completion from an empty message validates without an error
// finding: 963 of 968. What keeps the others from it lies in the documents and in the greedy
// placement, not in completion, so a drop means completion broke.
constexpr double clean_share_floor = 0.99;

TEST(SkeletonCatalogue, EveryColumnCompletesWithinTheRoundLimit) {
  std::vector<const edi_energy::profile::Profile*> profiles;
  edi_energy::register_profiles(profiles);
  const skeleton::SkeletonParties parties{"9900000000003", "9800000000006"};
  EndingWatch watch;
  std::size_t columns = 0;
  std::size_t clean = 0;
  for (const auto* profile : profiles) {
    for (const auto& anwendungsfall : profile->ahb().anwendungsfaelle) {
      const std::string name = profile->mig().message_type + " " + profile->mig().release + " " + anwendungsfall.name;
      watch.last = {};
      std::vector<edifact::model::Segment> out;
      ASSERT_NO_THROW({
        auto completed = profile->generate(std::nullopt, anwendungsfall, parties);
        ASSERT_TRUE(completed.has_value()) << name << ": " << completed.error().message();
        out = std::move(*completed);
      });
      EXPECT_GE(watch.last.rounds, 1U) << name;
      EXPECT_LE(watch.last.rounds, 24U) << name;
      EXPECT_TRUE(watch.last.end == "clean" || watch.last.end == "no progress" || watch.last.end == "round limit" ||
                  watch.last.end == "settled")
          << name << ": " << watch.last.end;
      for (const auto& segment : out) {
        if (segment.tag() != "UNT" || segment.elements().size() == 0) continue;
        EXPECT_EQ(segment.elements()[0].components()[0].text, std::to_string(out.size())) << name;
        break;
      }
      ++columns;
      if (!validates_clean(*profile, anwendungsfall, out)) continue;
      ++clean;
      // A clean message handed back as seeds loses no segment and stays clean.
      auto again = profile->generate(std::span(out), anwendungsfall, parties);
      ASSERT_TRUE(again.has_value()) << name << ": " << again.error().message();
      EXPECT_TRUE(validates_clean(*profile, anwendungsfall, *again)) << name;
    }
  }
  EXPECT_GE(static_cast<double>(clean), clean_share_floor * static_cast<double>(columns))
      << clean << " of " << columns << " columns complete clean";
}

}  // namespace

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <iterator>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include <fmt/chrono.h>

#include "edi_energy/catalogue.hpp"
#include "edi_energy/profile/json.hpp"
#include "edi_energy/registry/release_registry.hpp"
#include "edi_energy/registry/shared_registry.hpp"
#include "support/diag.hpp"

namespace {

using edi_energy::Error;
using edi_energy::message_type::MessageType;
using edi_energy::profile::Profile;
using edi_energy::registry::ProcessContext;
using edi_energy::registry::REGISTRY;
using edi_energy::registry::ReleaseRegistry;
using edi_energy::release::Release;
using edi_energy::release::ReleaseTrack;
using std::chrono::year_month_day;
namespace json = edi_energy::profile::json;

constexpr year_month_day day(int year, unsigned month, unsigned on) {
  return year_month_day{std::chrono::year{year}, std::chrono::month{month}, std::chrono::day{on}};
}

const ReleaseRegistry& shared() { return *REGISTRY.get(); }

// Events of the registry's own target, collected while a test runs.
class RegistryEvents {
 public:
  RegistryEvents() {
    previous_ = support::diag::set_sink([this](const support::diag::Event& event) {
      if (event.target == "edi_energy::registry") events_.push_back(event);
    });
  }
  ~RegistryEvents() { support::diag::set_sink(std::move(previous_)); }
  RegistryEvents(const RegistryEvents&) = delete;
  RegistryEvents& operator=(const RegistryEvents&) = delete;

  const std::vector<support::diag::Event>& events() const { return events_; }

 private:
  support::diag::Sink previous_;
  std::vector<support::diag::Event> events_;
};

std::string field(const support::diag::Event& event, std::string_view name) {
  for (const auto& entry : event.fields) {
    if (entry.name == name) return entry.value;
  }
  return "<absent>";
}

// A profile made from the small APERAK pair with another release and first day; test profiles
// live as long as the process, like the built-in ones.
const Profile* aperak_variant(std::string_view release, std::string_view valid_from) {
  const edi_energy::ProfileDocumentPair& aperak = edi_energy::catalogue::builtin_pairs()[0];
  auto documents = json::read_pair(aperak.mig, aperak.ahb);
  if (!documents) return nullptr;
  documents->mig.release = release;
  documents->ahb.release = release;
  documents->mig.valid_from = valid_from;
  auto profile = Profile::create(std::move(documents->mig), std::move(documents->ahb));
  if (!profile) return nullptr;
  static std::vector<std::unique_ptr<const Profile>> kept;
  kept.push_back(std::make_unique<const Profile>(std::move(*profile)));
  return kept.back().get();
}

struct ProfileOnCase {
  std::string_view label;
  MessageType message_type;
  std::string_view release;
  year_month_day date;
  std::optional<year_month_day> expected_valid_from;  // none: the lookup fails
  Error::Kind expected_error = Error::Kind::ProfileNotFound;
  std::size_t collision_candidates = 0;  // 0: no collision event
};

const ProfileOnCase profile_on_cases[] = {
    {"InvoicLastDayOfFirst", MessageType::Invoic, "2.8e", day(2026, 9, 30), day(2026, 4, 1), {}, 2},
    {"InvoicOnSecondStart", MessageType::Invoic, "2.8e", day(2026, 10, 1), day(2026, 10, 1), {}, 2},
    {"InvoicBeforeEveryStart", MessageType::Invoic, "2.8e", day(2026, 3, 31), std::nullopt,
     Error::Kind::ProfileNotYetActive, 0},
    {"UtilmdAfterValidUntil", MessageType::Utilmd, "S2.1", day(2027, 6, 1), day(2025, 10, 1), {}, 0},
    {"UtilmdOnFirstDay", MessageType::Utilmd, "S2.1", day(2025, 10, 1), day(2025, 10, 1), {}, 0},
    {"ReleaseOfAnotherType", MessageType::Mscons, "S2.1", day(2026, 5, 1), std::nullopt,
     Error::Kind::ProfileNotFound, 0},
    {"ReleaseTextIsExact", MessageType::Mscons, "2.4C", day(2026, 5, 1), std::nullopt,
     Error::Kind::ProfileNotFound, 0},
};

class ProfileOnTest : public testing::TestWithParam<ProfileOnCase> {};

TEST_P(ProfileOnTest, ChoosesByReleaseTextThenLatestStart) {
  const ProfileOnCase& c = GetParam();
  RegistryEvents events;
  const auto found = shared().profile_on(c.message_type, Release(c.release), c.date);
  if (c.expected_valid_from) {
    ASSERT_TRUE(found.has_value()) << found.error().message();
    EXPECT_EQ((*found)->message_type(), c.message_type);
    EXPECT_EQ((*found)->release().text(), c.release);
    EXPECT_EQ((*found)->valid_from(), *c.expected_valid_from);
  } else {
    ASSERT_FALSE(found.has_value());
    const Error& error = found.error();
    EXPECT_EQ(error.kind, c.expected_error);
    EXPECT_EQ(error.release.text(), c.release);
    EXPECT_EQ(error.message_type, c.message_type);
    if (c.expected_error == Error::Kind::ProfileNotYetActive) {
      EXPECT_EQ(error.requested_date, c.date);
      // These rows ask for the day before the earliest start, which the error names.
      EXPECT_EQ(error.valid_from, year_month_day{std::chrono::sys_days{c.date} + std::chrono::days{1}});
    }
  }
  ASSERT_EQ(events.events().size(), c.collision_candidates == 0 ? 0u : 1u);
  if (c.collision_candidates > 0) {
    const support::diag::Event& event = events.events().front();
    EXPECT_EQ(event.level, support::diag::Level::Debug);
    EXPECT_EQ(event.message, "wire_code_collision_resolved");
    EXPECT_EQ(field(event, "release"), c.release);
    EXPECT_EQ(field(event, "resolved_to"), c.release);
    EXPECT_EQ(field(event, "candidates"), std::to_string(c.collision_candidates));
    EXPECT_EQ(field(event, "message_type"), edi_energy::message_type::variant_name(c.message_type));
    EXPECT_EQ(field(event, "date"), fmt::format("{:%F}", std::chrono::sys_days{c.date}));
  }
}

INSTANTIATE_TEST_SUITE_P(BuiltIn, ProfileOnTest, testing::ValuesIn(profile_on_cases),
                         [](const testing::TestParamInfo<ProfileOnCase>& info) {
                           return std::string(info.param.label);
                         });

struct InForceCase {
  std::string_view label;
  MessageType message_type;
  year_month_day date;
  std::optional<ReleaseTrack> track;               // none: the context's active profile
  std::optional<std::string_view> expected_release;  // none: no profile
  std::optional<year_month_day> expected_valid_from;
};

const InForceCase in_force_cases[] = {
    {"StromAfterSwitch", MessageType::Utilmd, day(2026, 10, 1), ReleaseTrack::Strom, "S2.2", day(2026, 10, 1)},
    {"GasAfterSwitch", MessageType::Utilmd, day(2026, 10, 1), ReleaseTrack::Gas, "G1.2", day(2026, 10, 1)},
    {"GasBeforeSwitch", MessageType::Utilmd, day(2026, 5, 1), ReleaseTrack::Gas, "G1.1", day(2026, 4, 1)},
    {"StromBeforeFirst", MessageType::Utilmd, day(2025, 9, 30), ReleaseTrack::Strom, std::nullopt, std::nullopt},
    {"UtilmdHasNoTwoPart", MessageType::Utilmd, day(2026, 10, 1), ReleaseTrack::TwoPart, std::nullopt,
     std::nullopt},
    {"AperakTwoPartKeepsOlder", MessageType::Aperak, day(2026, 10, 1), ReleaseTrack::TwoPart, "2.1i",
     day(2025, 10, 1)},
    {"AperakOpaqueIsNewer", MessageType::Aperak, day(2026, 10, 1), ReleaseTrack::Opaque, "2.2", day(2026, 10, 1)},
    {"ActiveReqoteLaterStartWins", MessageType::Reqote, day(2026, 10, 1), std::nullopt, "1.3c", day(2026, 10, 1)},
    // Gas started later than S2.1, so it is the one in force without a track.
    {"ActiveUtilmdLatestStart", MessageType::Utilmd, day(2026, 5, 1), std::nullopt, "G1.1", day(2026, 4, 1)},
    // Equal starts: the greater release text.
    {"ActiveUtilmdEqualStarts", MessageType::Utilmd, day(2026, 10, 1), std::nullopt, "S2.2", day(2026, 10, 1)},
    {"ActiveBeforeEveryStart", MessageType::Mscons, day(2026, 3, 31), std::nullopt, std::nullopt, std::nullopt},
    {"ActiveIgnoresValidUntil", MessageType::Remadv, day(2040, 1, 1), std::nullopt, "2.9e", day(2026, 4, 1)},
};

class InForceTest : public testing::TestWithParam<InForceCase> {};

TEST_P(InForceTest, PicksTheLatestStartOnOrBeforeTheDate) {
  const InForceCase& c = GetParam();
  const Profile* found = c.track ? shared().profile_for_date_and_track(c.message_type, c.date, *c.track)
                                 : ProcessContext{REGISTRY.get(), c.date}.active_profile(c.message_type);
  ASSERT_EQ(found != nullptr, c.expected_release.has_value());
  if (!found) return;
  EXPECT_EQ(found->message_type(), c.message_type);
  EXPECT_EQ(found->release().text(), *c.expected_release);
  EXPECT_EQ(found->valid_from(), *c.expected_valid_from);
}

INSTANTIATE_TEST_SUITE_P(BuiltIn, InForceTest, testing::ValuesIn(in_force_cases),
                         [](const testing::TestParamInfo<InForceCase>& info) {
                           return std::string(info.param.label);
                         });

std::vector<std::string_view> texts(const std::vector<const Release*>& releases) {
  std::vector<std::string_view> result;
  for (const Release* release : releases) result.push_back(release->text());
  return result;
}

TEST(Registry, SharedRegistryIsBuiltOnceOverTheCatalogue) {
  const std::shared_ptr<const ReleaseRegistry> first = REGISTRY.get();
  EXPECT_EQ(first.get(), REGISTRY.get().get());
  std::vector<const Profile*> catalogue;
  edi_energy::register_profiles(catalogue);
  EXPECT_EQ(first->profiles(), catalogue);
  // Format versions are the distinct starts ascending; releases are distinct in release order.
  EXPECT_EQ(first->format_versions(), (std::vector<std::string>{"FV2025-04-01", "FV2025-10-01", "FV2026-01-01",
                                                                "FV2026-04-01", "FV2026-10-01"}));
  using Texts = std::vector<std::string_view>;
  EXPECT_EQ(texts(first->releases(MessageType::Utilmd)), (Texts{"S2.1", "S2.2", "G1.1", "G1.2"}));
  EXPECT_EQ(texts(first->releases(MessageType::Aperak)), (Texts{"2.1i", "2.2"}));
}

// A Prüfidentifikator carried by one release of a type only still counts for the type.
TEST(Registry, AhbRulesExistWhenAnyProfileOfTheTypeCarriesThePid) {
  const ReleaseRegistry& registry = shared();
  std::optional<std::uint32_t> only_in_older;
  for (const Profile* older : registry.profiles()) {
    if (older->message_type() != MessageType::Iftsta || older->release().text() != "2.0g") continue;
    for (const auto& [pid, position] : older->pid_index()) {
      const bool in_newer = std::ranges::any_of(registry.profiles(), [pid](const Profile* other) {
        return other->message_type() == MessageType::Iftsta && other->release().text() == "2.1" &&
               other->pid_index().contains(pid);
      });
      if (!in_newer) only_in_older = pid;
    }
  }
  ASSERT_TRUE(only_in_older.has_value());
  EXPECT_TRUE(registry.pid_has_ahb_rules(MessageType::Iftsta, *only_in_older));
  EXPECT_FALSE(registry.pid_has_ahb_rules(MessageType::Utilmd, *only_in_older));
  EXPECT_FALSE(registry.pid_has_ahb_rules(MessageType::Iftsta, 0));
}

TEST(Registry, TypeWithoutProfilesHasNoAnswer) {
  const auto& all = shared().profiles();
  std::vector<const Profile*> aperak_only;
  std::ranges::copy_if(all, std::back_inserter(aperak_only),
                       [](const Profile* profile) { return profile->message_type() == MessageType::Aperak; });
  const auto registry = std::make_shared<const ReleaseRegistry>(ReleaseRegistry::create(aperak_only));
  const auto found = registry->profile_on(MessageType::Mscons, Release("2.4c"), day(2026, 5, 1));
  ASSERT_FALSE(found.has_value());
  EXPECT_EQ(found.error().kind, Error::Kind::ProfileNotFound);
  EXPECT_FALSE(registry->pid_has_ahb_rules(MessageType::Mscons, 13002));
  EXPECT_TRUE(registry->releases(MessageType::Mscons).empty());
  EXPECT_EQ(registry->profile_for_date_and_track(MessageType::Mscons, day(2030, 1, 1), ReleaseTrack::TwoPart), nullptr);
  EXPECT_EQ((ProcessContext{registry, day(2030, 1, 1)}.active_profile(MessageType::Mscons)), nullptr);
  EXPECT_EQ(registry->format_versions(), (std::vector<std::string>{"FV2025-10-01", "FV2026-10-01"}));
  EXPECT_TRUE(ReleaseRegistry::create({}).format_versions().empty());
}

// Candidates are ordered by start, not by registration: the shared code resolves the same way
// when the newer profile is registered first.
TEST(Registry, SharedCodeResolvesByDateWhateverTheRegistrationOrder) {
  std::vector<const Profile*> invoic;
  std::ranges::copy_if(shared().profiles(), std::back_inserter(invoic),
                       [](const Profile* profile) { return profile->message_type() == MessageType::Invoic; });
  ASSERT_EQ(invoic.size(), 2u);
  std::ranges::reverse(invoic);
  ASSERT_EQ(invoic.front()->valid_from(), day(2026, 10, 1));
  const ReleaseRegistry reversed = ReleaseRegistry::create(invoic);

  const auto may = reversed.profile_on(MessageType::Invoic, Release("2.8e"), day(2026, 5, 1));
  ASSERT_TRUE(may.has_value());
  EXPECT_EQ(*may, invoic.back());
  const auto october = reversed.profile_on(MessageType::Invoic, Release("2.8e"), day(2026, 10, 1));
  ASSERT_TRUE(october.has_value());
  EXPECT_EQ(*october, invoic.front());
  const auto march = reversed.profile_on(MessageType::Invoic, Release("2.8e"), day(2026, 3, 1));
  ASSERT_FALSE(march.has_value());
  EXPECT_EQ(march.error().valid_from, day(2026, 4, 1));
}

class TieTest : public testing::TestWithParam<bool> {};

TEST_P(TieTest, LaterRegisteredWinsAFullTieAndGreaterTextAnEqualStart) {
  // Same type, release and start: every lookup takes the one registered later.
  std::vector<const Profile*> tied{aperak_variant("2.1i", "2025-10-01"), aperak_variant("2.1i", "2025-10-01")};
  ASSERT_TRUE(tied[0] && tied[1]);
  if (GetParam()) std::ranges::reverse(tied);
  const auto registry = std::make_shared<const ReleaseRegistry>(ReleaseRegistry::create(tied));
  const auto date = day(2026, 1, 1);
  RegistryEvents events;
  const auto found = registry->profile_on(MessageType::Aperak, Release("2.1i"), date);
  ASSERT_TRUE(found.has_value());
  EXPECT_EQ(*found, tied.back());
  EXPECT_EQ(events.events().size(), 1u);
  EXPECT_EQ(registry->profile_for_date_and_track(MessageType::Aperak, date, ReleaseTrack::TwoPart), tied.back());
  EXPECT_EQ((ProcessContext{registry, date}.active_profile(MessageType::Aperak)), tied.back());
  EXPECT_EQ(texts(registry->releases(MessageType::Aperak)), std::vector<std::string_view>{"2.1i"});

  // Equal starts, texts of which one is a prefix of the other: the longer text is the greater.
  const Profile* longer = aperak_variant("2.1a", "2026-01-01");
  std::vector<const Profile*> equal_start{longer, aperak_variant("2.1", "2026-01-01")};
  ASSERT_TRUE(equal_start[0] && equal_start[1]);
  if (GetParam()) std::ranges::reverse(equal_start);
  const auto by_text = std::make_shared<const ReleaseRegistry>(ReleaseRegistry::create(equal_start));
  EXPECT_EQ((ProcessContext{by_text, day(2026, 1, 1)}.active_profile(MessageType::Aperak)), longer);
  EXPECT_EQ((ProcessContext{by_text, day(2025, 12, 31)}.active_profile(MessageType::Aperak)), nullptr);
}

INSTANTIATE_TEST_SUITE_P(BothOrders, TieTest, testing::Bool());

}  // namespace

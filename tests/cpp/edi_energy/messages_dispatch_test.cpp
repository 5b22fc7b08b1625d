#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "edi_energy/any_message.hpp"
#include "edi_energy/parse/dispatch.hpp"
#include "edi_energy/pid_scan.hpp"
#include "edi_energy/profile/profile.hpp"
#include "edi_energy/registry/release_registry.hpp"
#include "../edifact/parsed_segments.hpp"
#include "support/diag.hpp"

namespace {

using edi_energy::any_message::AnyMessage;
using edi_energy::message_type::MessageType;
using edi_energy::parse::dispatch_message_on_date;
using edi_energy::profile::Profile;
using edi_energy::registry::ReleaseRegistry;
using edifact_test::parsed;
using std::nullopt;

// Fixture profiles: UTILMD S2.1 reads its Prüfidentifikator from RFF+Z13, APERAK 2.1i from the
// BGM and knows 92001 only, MSCONS 2.4c declares no source.
std::string mig_json(std::string_view type, std::string_view release, std::string_view pid_source) {
  std::string source = pid_source.empty() ? "" : R"("pid_source":")" + std::string(pid_source) + R"(",)";
  return R"({"message_type":")" + std::string(type) + R"(","release":")" + std::string(release) + R"(",)" + source +
         R"("schema_version":2,"ahb_version":"1.0","source":{"file":"m.pdf"},"valid_from":"2026-04-01",)"
         R"("structure":[{"nr":"00001","tag":"UNH","status":"M","max":1}]})";
}

std::string ahb_json(std::string_view type, std::string_view release, std::uint32_t pid) {
  return R"({"message_type":")" + std::string(type) + R"(","release":")" + std::string(release) +
         R"(","schema_version":2,"ahb_version":"1.0","source":{"file":"a.pdf"},)"
         R"("anwendungsfaelle":[{"pid":)" + std::to_string(pid) + R"(,"name":"Fall","rows":[]}]})";
}

const ReleaseRegistry& registry() {
  static const auto profiles = [] {
    std::vector<std::unique_ptr<Profile>> made;
    for (auto [type, release, source, pid] :
         {std::tuple{"UTILMD", "S2.1", "rff_z13", 55001u}, std::tuple{"APERAK", "2.1i", "bgm_de1004", 92001u},
          std::tuple{"MSCONS", "2.4c", "", 13002u}}) {
      auto profile = Profile::from_json(mig_json(type, release, source), ahb_json(type, release, pid));
      if (!profile) throw std::runtime_error(profile.error().message());
      made.push_back(std::make_unique<Profile>(std::move(*profile)));
    }
    return made;
  }();
  static const ReleaseRegistry made = [] {
    std::vector<const Profile*> pointers;
    for (const auto& profile : profiles) pointers.push_back(profile.get());
    return ReleaseRegistry::create(std::move(pointers));
  }();
  return made;
}

edi_energy::Result<AnyMessage> dispatch(std::string_view text,
                                        std::optional<std::chrono::year_month_day> date = nullopt) {
  return dispatch_message_on_date(parsed(text), registry(), date);
}

TEST(Dispatch, UnhFaults) {
  EXPECT_EQ(dispatch("BGM+E01'UNT+2+1'").error().message(), "required segment UNH is missing");
  EXPECT_EQ(dispatch("UNH+1'UNT+2+1'").error().message(), "malformed segment UNH");
}

struct TypeCase {
  std::string name;
  std::string unh;
  std::size_t variant;
  std::string release;  // what detect_release gives, or its error text
};

const TypeCase type_cases[] = {
    {"utilmd", "UNH+1+UTILMD:D:11A:UN:S2.1'", 0, "S2.1"},
    {"mscons", "UNH+1+MSCONS:D:04B:UN:2.4c'", 1, "2.4c"},
    {"contrl", "UNH+1+CONTRL:D:3:UN:2.0b'", 3, "2.0b"},
    {"invoic", "UNH+1+INVOIC:D:06A:UN:2.8e'", 4, "2.8e"},
    {"utilts", "UNH+1+UTILTS:D:18A:UN:1.1e'", 16, "1.1e"},
    {"four_components_no_release", "UNH+1+REMADV:D:05A:UN'", 5, "release code is missing in UNH segment"},
    {"lower_case_is_unknown", "UNH+1+utilmd:D:11A:UN:S2.1'", 17, "S2.1"},
    {"foreign_type_is_unknown", "UNH+1+DESADV:D:96A:UN'", 17, ""},
    {"empty_type_is_unknown", "UNH+1+'", 17, ""},
};

class DispatchTypeTest : public testing::TestWithParam<TypeCase> {};

TEST_P(DispatchTypeTest, PicksTheVariantAndRelease) {
  auto message = dispatch(GetParam().unh + "BGM+E01'UNT+3+1'");
  ASSERT_TRUE(message.has_value()) << message.error().message();
  EXPECT_EQ(message->variant().index(), GetParam().variant);
  auto release = message->detect_release();
  EXPECT_EQ(release ? std::string(release->text()) : release.error().message(), GetParam().release);
  EXPECT_EQ(message->segments().size(), 3u);
}

INSTANTIATE_TEST_SUITE_P(Dispatch, DispatchTypeTest, testing::ValuesIn(type_cases),
                         [](const auto& info) { return info.param.name; });

struct PidCase {
  std::string name;
  std::string text;
  std::optional<std::uint32_t> pid;
};

constexpr std::string_view UTILMD = "UNH+1+UTILMD:D:11A:UN:S2.1'";
constexpr std::string_view MSCONS = "UNH+1+MSCONS:D:04B:UN:2.4c'";
constexpr std::string_view APERAK = "UNH+1+APERAK:D:07B:UN:2.1i'";

const PidCase pid_cases[] = {
    {"rff_first_skips_short_values", std::string(UTILMD) + "BGM+E01+44001'RFF+Z13:5500'RFF+Z13:55001'", 55001},
    {"rff_first_falls_back_to_bgm", std::string(UTILMD) + "BGM+E01+44001'RFF+Z13:5500'", 44001},
    {"rff_first_accepts_plus", std::string(UTILMD) + "RFF+Z13:?+55001'", 55001},
    {"rff_needs_two_components", std::string(UTILMD) + "RFF+Z13'RFF+Z13:'BGM+E01+44001'", 44001},
    {"bgm_first_without_source", std::string(MSCONS) + "RFF+Z13:13003'BGM+7+13002'", 13002},
    {"bgm_six_digits_then_rff", std::string(MSCONS) + "BGM+7+123456'RFF+Z13:13003'", 13003},
    {"only_the_first_bgm", std::string(MSCONS) + "BGM+7+X'BGM+7+13002'", nullopt},
    {"overflow_is_no_number", std::string(MSCONS) + "BGM+7+4294967297'", nullopt},
    {"unknown_release_reads_bgm_first", "UNH+1+UTILMD:D:11A:UN:S9.9'RFF+Z13:55002'BGM+E01+55001'", 55001},
    {"aperak_known_pid", std::string(APERAK) + "BGM+313+92001'", 92001},
    {"aperak_document_number", std::string(APERAK) + "BGM+313+47110'", nullopt},
    {"aperak_rff_z13_still_counts", std::string(APERAK) + "BGM+313+47110'RFF+Z13:92001'", 92001},
    {"aperak_unknown_release_any_profile", "UNH+1+APERAK:D:07B:UN:2.1z'BGM+313+92001'", 92001},
    {"aperak_unknown_release_document_number", "UNH+1+APERAK:D:07B:UN:2.1z'BGM+313+47110'", nullopt},
};

class DispatchPidTest : public testing::TestWithParam<PidCase> {};

TEST_P(DispatchPidTest, ScansInTheProfilesOrder) {
  auto message = dispatch(GetParam().text + "UNT+9+1'");
  ASSERT_TRUE(message.has_value()) << message.error().message();
  EXPECT_EQ(message->core()->pruefidentifikator, GetParam().pid);
  auto detected = message->detect_pruefidentifikator();
  if (GetParam().pid) {
    EXPECT_EQ(detected.value_or(0), *GetParam().pid);
  } else {
    EXPECT_EQ(detected.error().message(), "Pruefidentifikator not found in BGM segment");
  }
}

INSTANTIATE_TEST_SUITE_P(Dispatch, DispatchPidTest, testing::ValuesIn(pid_cases),
                         [](const auto& info) { return info.param.name; });

TEST(Dispatch, PidSourceFollowsTheNewestProfileOfTheRelease) {
  EXPECT_TRUE(edi_energy::parse::resolve_pid_source("UTILMD", "S2.1", registry()));
  EXPECT_FALSE(edi_energy::parse::resolve_pid_source("UTILMD", "S2.2", registry()));
  EXPECT_FALSE(edi_energy::parse::resolve_pid_source("APERAK", "2.1i", registry()));
  EXPECT_FALSE(edi_energy::parse::resolve_pid_source("DESADV", "S2.1", registry()));
}

TEST(PidScan, NumbersTakeOneLeadingPlusAndNothingElse) {
  using edi_energy::pid_scan::read_number;
  EXPECT_EQ(read_number("+55001"), 55001u);
  EXPECT_EQ(read_number("4294967295"), 4294967295u);
  for (std::string_view text : {"", "+", "++1", "-1", " 1", "1 ", "4294967296", "1e5", "0x10"}) {
    EXPECT_EQ(read_number(text), nullopt) << text;
  }
}

TEST(Dispatch, OutOfRangePruefidentifikatorKeepsItsValue) {
  for (std::uint32_t pid : {5500u, 100000u, 4294967295u}) {
    const auto message = edi_energy::messages::utilmd::UtilmdMessage::from_parts({}, "1", "S2.1", pid);
    EXPECT_EQ(message.detect_pruefidentifikator().error().message(),
              "invalid Pruefidentifikator " + std::to_string(pid) +
                  ": must be a 5-digit code in the range 10000–99999");
  }
}

TEST(Dispatch, DateIsStoredOnTypedMessagesOnly) {
  const std::chrono::year_month_day on{std::chrono::year(2026), std::chrono::April, std::chrono::day(1)};
  auto typed = dispatch("UNH+1+MSCONS:D:04B:UN:2.4c'UNT+2+1'", on);
  EXPECT_EQ(typed->core()->date, on);
  EXPECT_EQ(dispatch("UNH+1+MSCONS:D:04B:UN:2.4c'UNT+2+1'")->core()->date, nullopt);
  auto unknown = dispatch("UNH+1+DESADV'UNT+2+1'", on);
  EXPECT_EQ(unknown->core(), nullptr);
}

TEST(Dispatch, PartiesOfTheSenderAndReceiver) {
  const std::string parties = "NAD+MS+9900000000010::293'NAD+MR+9900000000003::293'UNT+4+1'";
  auto utilmd = dispatch(std::string(UTILMD) + parties);
  EXPECT_EQ(utilmd->nad_sender(), "9900000000010");
  EXPECT_EQ(utilmd->nad_receiver(), "9900000000003");
  EXPECT_EQ(dispatch(std::string(UTILMD) + "NAD+MS'UNT+3+1'")->nad_sender(), nullopt);
  EXPECT_EQ(dispatch("UNH+1+CONTRL:D:3:UN:2.0b'" + parties)->nad_sender(), nullopt);
  EXPECT_EQ(dispatch("UNH+1+DESADV'" + parties)->nad_receiver(), nullopt);
}

TEST(Dispatch, SerializeWritesTheHeldSegmentsBack) {
  const std::string text = "UNB+UNOC:3+A:500+B:500+260401:1200+REF'UNH+1+MSCONS:D:04B:UN:2.4c'FTX+AAO+++a?+b'UNT+3+1'";
  auto message = dispatch(text);
  EXPECT_TRUE(message->core()->has_unb);
  EXPECT_EQ(message->serialize().value_or(""), text);
  EXPECT_EQ(dispatch("UNH+1+DESADV'UNT+2+1'")->serialize().value_or(""), "UNH+1+DESADV'UNT+2+1'");
}

// Events of the dispatcher's target while a test runs.
class DispatchEvents {
 public:
  DispatchEvents() {
    previous_ = support::diag::set_sink([this](const support::diag::Event& event) {
      if (event.target == "edi_energy::parse") events.push_back(event);
    });
  }
  ~DispatchEvents() { support::diag::set_sink(std::move(previous_)); }
  DispatchEvents(const DispatchEvents&) = delete;
  DispatchEvents& operator=(const DispatchEvents&) = delete;
  std::vector<support::diag::Event> events;

 private:
  support::diag::Sink previous_;
};

struct ReleaseEventCase {
  std::string name;
  std::string release;
  support::diag::Level level;
  std::string shown;
};

const ReleaseEventCase release_event_cases[] = {
    {"known_release_is_debug", "S2.1", support::diag::Level::Debug, "S2.1"},
    {"opaque_plain_release", "X1", support::diag::Level::Warn, "X1"},
    {"opaque_sixteen_characters", "ABCDEFGHIJKLMNOP", support::diag::Level::Warn, "ABCDEFGHIJKLMNOP"},
    {"opaque_seventeen_characters", "ABCDEFGHIJKLMNOPQ", support::diag::Level::Warn, "<invalid-code:17 bytes>"},
    {"opaque_with_space", "S 2", support::diag::Level::Warn, "<invalid-code:3 bytes>"},
    {"opaque_multibyte", "Sä", support::diag::Level::Warn, "<invalid-code:3 bytes>"},
};

class DispatchReleaseEventTest : public testing::TestWithParam<ReleaseEventCase> {};

TEST_P(DispatchReleaseEventTest, ShowsTheReleaseOnlyWhenItIsPlain) {
  DispatchEvents sink;
  ASSERT_TRUE(dispatch("UNH+1+UTILMD:D:11A:UN:" + GetParam().release + "'UNT+2+1'").has_value());
  ASSERT_EQ(sink.events.size(), 1u);
  const auto& event = sink.events[0];
  EXPECT_EQ(event.level, GetParam().level);
  std::string release;
  for (const auto& field : event.fields) {
    if (field.name == "release") release = field.value;
  }
  EXPECT_EQ(release, GetParam().shown);
  if (GetParam().level == support::diag::Level::Warn) {
    EXPECT_EQ(event.message, "unrecognised EDI@Energy release code — validate() will return ProfileNotFound");
  } else {
    EXPECT_EQ(event.message, "parsed EDIFACT message");
    EXPECT_EQ(event.fields.size(), 3u);
    EXPECT_EQ(event.fields[0].value, "UTILMD");
    EXPECT_EQ(event.fields[2].value, "2");
  }
}

INSTANTIATE_TEST_SUITE_P(Dispatch, DispatchReleaseEventTest, testing::ValuesIn(release_event_cases),
                         [](const auto& info) { return info.param.name; });

}  // namespace

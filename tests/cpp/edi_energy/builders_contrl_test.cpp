#include <gtest/gtest.h>

#include <fmt/format.h>

#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>

#include "edi_energy/builders/contrl.hpp"
#include "edi_energy/messages/contrl.hpp"
#include "../edifact/parsed_segments.hpp"

namespace {

using namespace edi_energy::builders;
using edi_energy::builders::contrl::ContrlBuilder;
using edi_energy::messages::contrl::ContrlMessage;
using edi_energy::messages::segments::Uci;
using edi_energy::release::Release;
using std::nullopt;

using Ready = ContrlBuilder<Set, Set>;

Ready parties(std::string sender = "9900357000004", std::string receiver = "4012345000023") {
  return ContrlBuilder(Release("2.0b")).sender(std::move(sender)).receiver(std::move(receiver)).interchange_ref("R");
}

struct Layout {
  std::string_view name;
  std::function<Ready(Ready)> fill;
  std::string_view uci;  // between "UCI+" and the terminator
};

void PrintTo(const Layout& layout, std::ostream* out) { *out << layout.name; }

class ContrlLayout : public testing::TestWithParam<Layout> {};

TEST_P(ContrlLayout, WritesExactly) {
  auto bytes = GetParam().fill(parties()).serialize();
  ASSERT_TRUE(bytes.has_value()) << bytes.error().message();
  EXPECT_EQ(*bytes, fmt::format("UNH+1+CONTRL:D:3:UN:2.0b'UCI+{}'UNT+3+1'", GetParam().uci));
}

INSTANTIATE_TEST_SUITE_P(
    Builds, ContrlLayout,
    testing::Values(
        Layout{"Accepting", [](Ready b) { return b; }, "R+9900357000004:500+4012345000023:14+7"},
        Layout{"Rejecting", [](Ready b) { return std::move(b).reject("12"); }, "R+9900357000004:500+4012345000023:14+4+12"},
        Layout{"RejectingTwiceKeepsTheLastCode",
               [](Ready b) { return std::move(b).reject("12").reject("16"); },
               "R+9900357000004:500+4012345000023:14+4+16"},
        Layout{"ActionCodeAfterReject",
               [](Ready b) { return std::move(b).reject("12").action_code("8"); },
               "R+9900357000004:500+4012345000023:14+8+12"},
        Layout{"SyntaxErrorCleared",
               [](Ready b) { return std::move(b).reject("12").action_code("7").syntax_error(nullopt); },
               "R+9900357000004:500+4012345000023:14+7"},
        Layout{"EmptyInterchangeReference",
               [](Ready b) { return std::move(b).interchange_ref(""); }, "+9900357000004:500+4012345000023:14+7"},
        Layout{"ReferenceWithServiceCharacters",
               [](Ready b) { return std::move(b).interchange_ref("R+1:2?'"); },
               R"(R?+1?:2???'+9900357000004:500+4012345000023:14+7)"}),
    [](const auto& info) { return std::string(info.param.name); });

struct Qualifier {
  std::string_view party;
  std::string_view qualifier;
};

class ContrlPartyQualifier : public testing::TestWithParam<Qualifier> {};

TEST_P(ContrlPartyQualifier, FollowsTheIdOfEachParty) {
  const auto [party, qualifier] = GetParam();
  auto bytes = parties(std::string(party), std::string(party)).serialize();
  ASSERT_TRUE(bytes.has_value());
  EXPECT_EQ(*bytes, fmt::format("UNH+1+CONTRL:D:3:UN:2.0b'UCI+R+{0}:{1}+{0}:{1}+7'UNT+3+1'", party, qualifier));
}

INSTANTIATE_TEST_SUITE_P(Parties, ContrlPartyQualifier,
                         testing::Values(Qualifier{"9900357000004", "500"}, Qualifier{"9800000000008", "502"},
                                         Qualifier{"4012345000023", "14"}, Qualifier{"990035700000", "500"},
                                         Qualifier{"98000000000081", "500"}, Qualifier{"", "500"}));

TEST(ContrlBuilder, MessageReferenceOpensAndClosesTheMessage) {
  auto bytes = parties().message_ref("7").serialize();
  ASSERT_TRUE(bytes.has_value());
  EXPECT_EQ(*bytes, "UNH+7+CONTRL:D:3:UN:2.0b'UCI+R+9900357000004:500+4012345000023:14+7'UNT+3+7'");
}

// What the builder writes is what the typed view reads, service characters and umlauts included.
class ContrlRoundTrip : public testing::TestWithParam<std::string_view> {};

TEST_P(ContrlRoundTrip, UciReadsBackAsBuilt) {
  const std::string value(GetParam());
  auto bytes = ContrlBuilder(Release("2.0b"))
                   .sender(value + "-s")
                   .receiver(value + "-r")
                   .interchange_ref(value)
                   .message_ref(value + "-m")
                   .reject("16")
                   .serialize();
  ASSERT_TRUE(bytes.has_value());
  const auto view = ContrlMessage::from_parts(edifact_test::parsed(*bytes), value + "-m", "2.0b", nullopt);
  EXPECT_EQ(view.uci, (Uci{value, value + "-s", value + "-r", "4"}));
  EXPECT_TRUE(view.responses.empty());
  ASSERT_EQ(view.core.segments.size(), 3u);
  EXPECT_EQ(view.core.segments[0].elements()[0].components().text(0), value + "-m");
  EXPECT_EQ(view.core.segments[1].elements()[4].components().text(0), "16");
  EXPECT_EQ(view.core.segments[2].elements()[0].components().text(0), "3");
}

INSTANTIATE_TEST_SUITE_P(Texts, ContrlRoundTrip,
                         testing::Values("Übertragung", "a+b", "x:y", "frage?", "it's", "?+:'", "ÄÖÜ äöü ß"));

template <class Builder>
concept Serializable = requires(Builder builder) { std::move(builder).serialize(); };

TEST(ContrlBuilder, SerializeExistsOnlyWithBothParties) {
  static_assert(!Serializable<ContrlBuilder<Set, Unset>>);
  static_assert(!Serializable<ContrlBuilder<Unset, Set>>);
  static_assert(Serializable<ContrlBuilder<Set, Set>>);
  // The parties are written in the order of their roles, not of the calls.
  auto bytes = ContrlBuilder(Release("2.0b")).receiver("B").sender("A").serialize();
  ASSERT_TRUE(bytes.has_value());
  EXPECT_EQ(*bytes, "UNH+1+CONTRL:D:3:UN:2.0b'UCI++A:500+B:500+7'UNT+3+1'");
}

}  // namespace

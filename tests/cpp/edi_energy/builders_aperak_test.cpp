#include <gtest/gtest.h>

#include <fmt/format.h>

#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "edi_energy/builders/aperak.hpp"
#include "edi_energy/messages/aperak.hpp"
#include "../edifact/parsed_segments.hpp"

namespace {

using namespace edi_energy::builders;
using edi_energy::builders::aperak::AperakBuilder;
using edi_energy::messages::aperak::AperakError;
using edi_energy::messages::aperak::AperakMessage;
using edi_energy::messages::segments::Ftx;
using edi_energy::messages::segments::Rff;
using edi_energy::release::Release;
using std::nullopt;

constexpr std::string_view bdew_sender = "9900357000004";
constexpr std::string_view gs1_receiver = "4012345000023";

using Ready = AperakBuilder<Set, Set>;

Ready parties(std::string_view sender = bdew_sender, std::string_view receiver = gs1_receiver) {
  return AperakBuilder(Release("2.2")).sender(std::string(sender)).receiver(std::string(receiver));
}

std::string written(Ready builder) {
  auto bytes = std::move(builder).document_date("202604011530").serialize();
  EXPECT_TRUE(bytes.has_value()) << bytes.error().message();
  return bytes.value_or("");
}

constexpr std::string_view head_312 =
    "UNH+1+APERAK:D:07B:UN:2.2'BGM+312+1'DTM+137:202604011530?+00:303'";
constexpr std::string_view head_313 =
    "UNH+1+APERAK:D:07B:UN:2.2'BGM+313+1'DTM+137:202604011530?+00:303'";
constexpr std::string_view nads = "NAD+MS+9900357000004::293'NAD+MR+4012345000023::9'";
constexpr std::string_view referenced_orig1 = "RFF+ACE:ORIG1'DTM+171:202604011530?+00:303'";

struct Layout {
  std::string_view name;
  std::function<Ready(Ready)> fill;
  std::string expected;
};

std::string concat(std::initializer_list<std::string_view> parts) {
  std::string text;
  for (auto part : parts) text += part;
  return text;
}

void PrintTo(const Layout& layout, std::ostream* out) { *out << layout.name; }

class AperakLayout : public testing::TestWithParam<Layout> {};

TEST_P(AperakLayout, WritesExactly) { EXPECT_EQ(written(GetParam().fill(parties())), GetParam().expected); }

INSTANTIATE_TEST_SUITE_P(
    Builds, AperakLayout,
    testing::Values(
        Layout{"PositiveWithReference",
               [](Ready b) { return std::move(b).referenced_message("ORIG1"); },
               concat({head_312, referenced_orig1, "RFF+AGO:ORIG1'", nads, "UNT+9+1'"})},
        Layout{"PositiveWithoutReference", [](Ready b) { return b; }, concat({head_312, nads, "UNT+6+1'"})},
        Layout{"LocationCodeFallsBackToTheErrorCode",
               [](Ready b) { return std::move(b).referenced_message("ORIG1").error_code("Z29"); },
               concat({head_313, referenced_orig1, nads,
                       "ERC+Z29'RFF+ACW:ORIG1'RFF+AGO:ORIG1'FTX+Z02+++Z29'UNT+12+1'"})},
        Layout{"LocationCodeFallsBackToTheErrorText",
               [](Ready b) { return std::move(b).referenced_message("ORIG1").error_code("Z35").error_text("Format"); },
               concat({head_313, referenced_orig1, nads,
                       "ERC+Z35'FTX+ABO+++Format'RFF+ACW:ORIG1'RFF+AGO:ORIG1'FTX+Z02+++Format'UNT+13+1'"})},
        Layout{"LocationStatementAndOwnAgoReference",
               [](Ready b) {
                 return std::move(b)
                     .referenced_message("ORIG1")
                     .ago_reference("AGO7")
                     .error_code("Z41")
                     .error_text("Zeit")
                     .location_statement("SG4 DTM+163");
               },
               concat({head_313, referenced_orig1, nads,
                       "ERC+Z41'FTX+ABO+++Zeit'RFF+ACW:ORIG1'RFF+AGO:AGO7'FTX+Z02+++SG4 DTM?+163'UNT+13+1'"})},
        Layout{"OtherErrorCodeHasNoLocation",
               [](Ready b) { return std::move(b).referenced_message("ORIG1").error_code("Z10").location_statement("x"); },
               concat({head_313, referenced_orig1, nads, "ERC+Z10'RFF+ACW:ORIG1'RFF+AGO:ORIG1'UNT+11+1'"})},
        Layout{"TwoCharacterCodeIsNoLocationCode",
               [](Ready b) { return std::move(b).referenced_message("ORIG1").error_code("Z2"); },
               concat({head_313, referenced_orig1, nads, "ERC+Z2'RFF+ACW:ORIG1'RFF+AGO:ORIG1'UNT+11+1'"})},
        Layout{"ErrorWithoutReferenceHasNoReferenceBlock",
               [](Ready b) { return std::move(b).error_code("Z29").error_text("fehlt"); },
               concat({head_313, nads, "ERC+Z29'FTX+ABO+++fehlt'UNT+8+1'"})},
        Layout{"ErrorTextWithoutErrorCode",
               [](Ready b) { return std::move(b).error_text("Hinweis"); },
               concat({head_312, nads, "FTX+ABO+++Hinweis'UNT+7+1'"})},
        Layout{"PruefidentifikatorIsTheDocumentNumber",
               [](Ready b) { return std::move(b).pruefidentifikator(29001).error_code("Z29").message_ref("M7"); },
               concat({"UNH+M7+APERAK:D:07B:UN:2.2'BGM+313+29001'DTM+137:202604011530?+00:303'", nads,
                       "ERC+Z29'UNT+7+M7'"})},
        Layout{"DocumentCodeWinsOverTheErrorCode",
               [](Ready b) { return std::move(b).document_code("312").error_code("Z29"); },
               concat({head_312, nads, "ERC+Z29'UNT+7+1'"})},
        Layout{"ReferenceDateOfItsOwn",
               [](Ready b) { return std::move(b).referenced_message("ORIG1").reference_date("20260315"); },
               concat({head_312, "RFF+ACE:ORIG1'DTM+171:202603150000?+00:303'RFF+AGO:ORIG1'", nads, "UNT+9+1'"})},
        Layout{"ExplicitAgencyKinds",
               [](Ready b) { return std::move(b).sender_agency(AgencyKind::Dvgw).receiver_agency(AgencyKind::Code305); },
               concat({head_312, "NAD+MS+9900357000004::332'NAD+MR+4012345000023::305'UNT+6+1'"})}),
    [](const auto& info) { return std::string(info.param.name); });

struct AutomaticAgency {
  std::string_view party;
  std::string_view agency;
};

class AperakAutomaticAgency : public testing::TestWithParam<AutomaticAgency> {};

TEST_P(AperakAutomaticAgency, FollowsTheIdOfEachParty) {
  const auto [party, agency] = GetParam();
  const std::string bytes = written(parties(party, party));
  const std::string nad = fmt::format("+{}::{}'", party, agency);
  EXPECT_NE(bytes.find("NAD+MS" + nad), std::string::npos) << bytes;
  EXPECT_NE(bytes.find("NAD+MR" + nad), std::string::npos) << bytes;
}

INSTANTIATE_TEST_SUITE_P(Parties, AperakAutomaticAgency,
                         testing::Values(AutomaticAgency{"9900357000004", "293"}, AutomaticAgency{"9800000000008", "332"},
                                         AutomaticAgency{"4012345000023", "9"}, AutomaticAgency{"ABC", "293"}));

TEST(AperakBuilder, ReferenceDateWithoutAnyDateRepeatsTheDocumentTimestamp) {
  auto bytes = parties().referenced_message("ORIG1").serialize();
  ASSERT_TRUE(bytes.has_value());
  const auto view = AperakMessage::from_parts(edifact_test::parsed(*bytes), "1", "2.2", nullopt);
  ASSERT_EQ(view.dtms.size(), 2u);
  EXPECT_EQ(view.dtms[0].qualifier, "137");
  EXPECT_EQ(view.dtms[1].qualifier, "171");
  ASSERT_TRUE(view.dtms[0].value.has_value());
  EXPECT_EQ(view.dtms[0].value->size(), 15u);  // CCYYMMDDHHMM+00
  EXPECT_TRUE(view.dtms[0].value->ends_with("+00"));
  EXPECT_EQ(view.dtms[1].value, view.dtms[0].value);
}

TEST(AperakBuilder, OnlyTheSixAhbErrorCodesAskForALocation) {
  for (std::string_view code : {"Z29", "Z35", "Z38", "Z39", "Z40", "Z41"}) EXPECT_TRUE(aperak::requires_ortsangabe(code));
  for (std::string_view code : {"Z30", "Z36", "Z2", "", "z29", "Z290", "Z29 "})
    EXPECT_FALSE(aperak::requires_ortsangabe(code)) << code;
}

// Texts that the writer must escape or carry as UTF-8 unchanged.
class AperakRoundTrip : public testing::TestWithParam<std::string_view> {};

TEST_P(AperakRoundTrip, ErrorBlockReadsBackAsBuilt) {
  const std::string value(GetParam());
  auto bytes = parties()
                   .referenced_message(value + "-ref")
                   .ago_reference(value + "-ago")
                   .error_code("Z39")
                   .error_text(value)
                   .location_statement(value + "-ort")
                   .message_ref(value)
                   .document_date("202604011530")
                   .serialize();
  ASSERT_TRUE(bytes.has_value());
  const auto view = AperakMessage::from_parts(edifact_test::parsed(*bytes), value, "2.2", nullopt);
  ASSERT_EQ(view.bgm.has_value(), true);
  EXPECT_EQ(view.bgm->document_code, "313");
  EXPECT_EQ(view.bgm->document_number, value);
  EXPECT_EQ(view.acw, (Rff{"ACW", value + "-ref"}));
  ASSERT_EQ(view.errors.size(), 1u);
  EXPECT_EQ(view.errors[0], (AperakError{{"Z39"},
                                         {Ftx{"ABO", value}, Ftx{"Z02", value + "-ort"}},
                                         {Rff{"ACW", value + "-ref"}, Rff{"AGO", value + "-ago"}}}));
  ASSERT_EQ(view.core.segments.size(), 13u);
  EXPECT_EQ(view.core.segments.back().tag(), "UNT");
  EXPECT_EQ(view.core.segments.back().elements()[1].components().text(0), value);
}

INSTANTIATE_TEST_SUITE_P(Texts, AperakRoundTrip,
                         testing::Values("Zählerstandsgangmeßwert", "a+b", "x:y", "frage?", "it's", "?+:'", "Straße ÄÖÜ äöü",
                                         "ends with release?", "   "));

template <class Builder>
concept Serializable = requires(Builder builder) { std::move(builder).serialize(); };

TEST(AperakBuilder, SerializeExistsOnlyWithBothParties) {
  static_assert(!Serializable<AperakBuilder<Set, Unset>>);
  static_assert(!Serializable<AperakBuilder<Unset, Set>>);
  static_assert(Serializable<AperakBuilder<Set, Set>>);
  // The order in which the parties are given does not matter.
  auto bytes = AperakBuilder(Release("2.2")).receiver("R").sender("S").document_date("20260401").serialize();
  ASSERT_TRUE(bytes.has_value());
  EXPECT_EQ(*bytes,
            "UNH+1+APERAK:D:07B:UN:2.2'BGM+312+1'DTM+137:202604010000?+00:303'NAD+MS+S::293'NAD+MR+R::293'UNT+6+1'");
}

}  // namespace

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>

#include "edi_energy/builders/aperak.hpp"
#include "edi_energy/messages/aperak.hpp"
#include "../edifact/parsed_segments.hpp"

namespace {

using namespace edi_energy::builders;
using edi_energy::builders::aperak::AperakBuilder;
using edi_energy::messages::aperak::AperakMessage;
using Ready = AperakBuilder<Set, Set>;

Ready parties() {
  return AperakBuilder(edi_energy::release::Release("2.2")).sender("9900357000004").receiver("4012345000023");
}

AperakMessage read_back(const std::string& bytes) {
  return AperakMessage::from_parts(edifact_test::parsed(bytes), "1", "2.2", std::nullopt);
}

constexpr std::string_view head = "UNH+1+APERAK:D:07B:UN:2.2'BGM+31";
constexpr std::string_view dated = "'DTM+137:202604011530?+00:303'";
constexpr std::string_view reference = "RFF+ACE:ORIG1'DTM+171:202604011530?+00:303'";
// A negative APERAK names the referenced document in SG2 as well: both releases' Fehlermeldung
// columns list the header RFF+AGO, so the error layouts below carry it before the NADs.
constexpr std::string_view named = "RFF+ACE:ORIG1'DTM+171:202604011530?+00:303'RFF+AGO:ORIG1'";
constexpr std::string_view nads = "NAD+MS+9900357000004::293'NAD+MR+4012345000023::9'";

struct Layout {
  std::string_view name;
  std::function<Ready(Ready)> fill;
  std::string body;  // after BGM+31
};
void PrintTo(const Layout& layout, std::ostream* out) { *out << layout.name; }

std::string text(std::initializer_list<std::string_view> parts) {
  std::string joined;
  for (auto part : parts) joined += part;
  return joined;
}

class AperakLayout : public testing::TestWithParam<Layout> {};

TEST_P(AperakLayout, WritesExactly) {
  auto bytes = GetParam().fill(parties()).document_date("202604011530").serialize();
  ASSERT_TRUE(bytes.has_value());
  EXPECT_EQ(*bytes, text({head, GetParam().body}));
}

INSTANTIATE_TEST_SUITE_P(
    Builds, AperakLayout,
    testing::Values(
        Layout{"Positive", [](Ready b) { return std::move(b).referenced_message("ORIG1"); },
               text({"2+1", dated, reference, "RFF+AGO:ORIG1'", nads, "UNT+9+1'"})},
        Layout{"LocationFallsBackToTheCode",
               [](Ready b) { return std::move(b).referenced_message("ORIG1").error_code("Z29"); },
               text({"3+1", dated, named, nads, "ERC+Z29'RFF+ACW:ORIG1'RFF+AGO:ORIG1'FTX+Z02+++Z29'UNT+13+1'"})},
        Layout{"LocationFallsBackToTheText",
               [](Ready b) { return std::move(b).referenced_message("ORIG1").error_code("Z35").error_text("Format"); },
               text({"3+1", dated, named, nads,
                     "ERC+Z35'FTX+ABO+++Format'RFF+ACW:ORIG1'RFF+AGO:ORIG1'FTX+Z02+++Format'UNT+14+1'"})},
        Layout{"OwnLocationAgoAndDate",
               [](Ready b) {
                 return std::move(b).referenced_message("ORIG1").ago_reference("AGO7").reference_date("20260315")
                     .error_code("Z41").location_statement("SG4 DTM+163");
               },
               text({"3+1", dated, "RFF+ACE:ORIG1'DTM+171:202603150000?+00:303'RFF+AGO:AGO7'", nads,
                     "ERC+Z41'RFF+ACW:ORIG1'RFF+AGO:AGO7'FTX+Z02+++SG4 DTM?+163'UNT+13+1'"})},
        Layout{"CodeWithoutLocation",
               [](Ready b) { return std::move(b).referenced_message("ORIG1").error_code("Z10"); },
               text({"3+1", dated, named, nads, "ERC+Z10'RFF+ACW:ORIG1'RFF+AGO:ORIG1'UNT+12+1'"})},
        Layout{"NoAcwWhereTheMigHasNoPlace",
               [](Ready b) { return std::move(b).referenced_message("ORIG1").error_code("Z29").writes_acw(false); },
               text({"3+1", dated, named, nads, "ERC+Z29'RFF+AGO:ORIG1'FTX+Z02+++Z29'UNT+12+1'"})},
        Layout{"ErrorWithoutReference", [](Ready b) { return std::move(b).error_code("Z29").error_text("fehlt"); },
               text({"3+1", dated, nads, "ERC+Z29'FTX+ABO+++fehlt'UNT+8+1'"})},
        Layout{"PidDocumentCodeAndAgencies",
               [](Ready b) {
                 return std::move(b).pruefidentifikator(29001).document_code("312").error_code("Z29")
                     .sender_agency(AgencyKind::Dvgw).receiver_agency(AgencyKind::Code305);
               },
               text({"2+29001", dated, "NAD+MS+9900357000004::332'NAD+MR+4012345000023::305'ERC+Z29'UNT+7+1'"})}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(AperakBuilder, ReferenceDateWithoutAnyDateRepeatsTheDocumentTimestamp) {
  const auto view = read_back(parties().referenced_message("ORIG1").serialize().value());
  ASSERT_EQ(view.dtms.size(), 2u);
  EXPECT_EQ(view.dtms[1].qualifier, "171");
  ASSERT_TRUE(view.dtms[0].value && view.dtms[0].value->size() == 15 && view.dtms[0].value->ends_with("+00"));
  EXPECT_EQ(view.dtms[1].value, view.dtms[0].value);
}

TEST(AperakBuilder, OnlyTheSixAhbErrorCodesAskForALocation) {
  for (std::string_view code : {"Z29", "Z35", "Z38", "Z39", "Z40", "Z41"}) {
    EXPECT_TRUE(aperak::requires_ortsangabe(code));
  }
  for (std::string_view code : {"Z30", "Z2", "", "z29", "Z290"}) {
    EXPECT_FALSE(aperak::requires_ortsangabe(code)) << code;
  }
}

class AperakRoundTrip : public testing::TestWithParam<std::string_view> {};

TEST_P(AperakRoundTrip, ErrorBlockReadsBackAsBuilt) {
  const std::string value(GetParam());
  auto built = parties()
                   .referenced_message(value + "r")
                   .ago_reference(value + "a")
                   .error_code("Z39")
                   .error_text(value)
                   .location_statement(value + "o")
                   .pruefidentifikator(29001)
                   .message_ref(value + "m")
                   .serialize();
  const auto view = read_back(built.value());
  using edi_energy::messages::segments::Rff;
  EXPECT_EQ(view.acw, (Rff{"ACW", value + "r"}));
  ASSERT_EQ(view.errors.size(), 1u);
  EXPECT_EQ(view.errors[0], (edi_energy::messages::aperak::AperakError{{"Z39"},
                                                                       {{"ABO", value}, {"Z02", value + "o"}},
                                                                       {{"ACW", value + "r"}, {"AGO", value + "a"}}}));
  EXPECT_EQ(view.core.segments.front().elements()[0].components().text(0), value + "m");
  EXPECT_EQ(view.core.segments.back().elements()[1].components().text(0), value + "m");
}

INSTANTIATE_TEST_SUITE_P(Texts, AperakRoundTrip,
                         testing::Values("Meßwert Ä ö ü", "a+b:c", "frage?", "it's", "?+:'"));

template <class Builder>
concept Serializable = requires(Builder builder) { std::move(builder).serialize(); };
static_assert(!Serializable<AperakBuilder<Set, Unset>> && !Serializable<AperakBuilder<Unset, Set>>);

}  // namespace

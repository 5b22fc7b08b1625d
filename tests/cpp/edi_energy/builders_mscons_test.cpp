#include <gtest/gtest.h>

#include <optional>
#include <regex>
#include <string>
#include <string_view>
#include <utility>

#include "edi_energy/builders/mscons.hpp"
#include "edi_energy/release.hpp"

namespace {

template <class Builder>
concept Buildable = requires(Builder builder) { std::move(builder).build(); };

using namespace edi_energy::builders;
using namespace edi_energy::builders::mscons;
using rubo4e::identifiers::obis_code::ObisCode;

static_assert(!Buildable<MsconsBuilder<Set, Unset>>);
static_assert(!Buildable<MsconsBuilder<Unset, Set>>);
static_assert(Buildable<MsconsBuilder<Set, Set>>);

constexpr std::string_view SENDER = "9900357000004";
constexpr std::string_view RECEIVER = "4012345000023";

MsconsBuilder<Set, Set> header() {
  return MsconsBuilder(edi_energy::release::Release("2.4c"))
      .sender(std::string(SENDER))
      .receiver(std::string(RECEIVER))
      .document_date("202604011200")
      .pruefidentifikator(13002);
}

constexpr std::string_view HEAD =
    "UNH+1+MSCONS:D:04B:UN:2.4c'BGM+7+1+9'DTM+137:202604011200?+00:303'RFF+Z13:13002'"
    "NAD+MS+9900357000004::293'NAD+MR+4012345000023::9'";

std::string serialized(MsconsBuilder<Set, Set> builder) {
  auto message = std::move(builder).build();
  if (!message) return "build failed: " + message.error().message();
  auto bytes = message->serialize();
  return bytes ? *bytes : "serialize failed: " + bytes.error().message();
}

LineItemSpec line_item(std::vector<QuantitySpec> quantities) {
  LineItemSpec item;
  item.quantities = std::move(quantities);
  return item;
}

struct WrittenCase {
  const char* name;
  MsconsBuilder<Set, Set> builder;
  std::string expected;
};

class MsconsWritten : public testing::TestWithParam<WrittenCase> {};

TEST_P(MsconsWritten, ByteForByte) {
  auto builder = GetParam().builder;
  EXPECT_EQ(serialized(std::move(builder)), GetParam().expected);
}

MsconsBuilder<Set, Set> full() {
  LineItemSpec first;
  first.position = 1;
  first.obis = *ObisCode::create("1-1:1.29.0*255");
  first.quantities = {{"220", "1234.567", "KWH", std::nullopt},
                      {"220", "1.5", "", Period{"202604010000", "202604010015"}}};
  first.leistungsperiode = std::pair<std::string, std::string>{"15", "806"};
  first.substitute_status = std::pair<std::string, std::string>{"Z88", "Z86"};
  first.messklassifizierung = "Z18";
  LineItemSpec second;
  second.position = 2;
  second.obis = *ObisCode::create("1-1:2.8.0");
  second.product_code_qualifier = "Z02";
  second.quantities = {{"67", "0", "KWH", std::nullopt}};
  second.substitute_status = std::pair<std::string, std::string>{"Z89", ""};
  return header()
      .message_reference("M+1")
      .document_number("DOC:7")
      .reference("AGI", "V?1")
      .metering_point(MeteringPointBuilder("DE0001")
                          .loc_override("DE0002")
                          .period("20260401", "20260402")
                          .bilanzierung("202604")
                          .completion("20260402")
                          .meter_number("Zähler'1")
                          .line_item(std::move(first))
                          .line_item(std::move(second))
                          .build());
}

INSTANTIATE_TEST_SUITE_P(
    Builders, MsconsWritten,
    testing::Values(
        WrittenCase{"no_metering_points", header(), std::string(HEAD) + "UNT+7+1'"},
        // A point without values (a Storno) still names its Lokation and meter: the MIG requires the
        // LOC group in every SG5, and dropping them would lose what the caller gave.
        WrittenCase{"point_without_line_items",
                    header().metering_point(MeteringPointBuilder("DE0001").meter_number("M1").build()),
                    std::string(HEAD) + "UNS+D'NAD+DP'LOC+172+DE0001'RFF+MG:M1'UNT+11+1'"},
        WrittenCase{"profile_point_qualifiers",
                    header().metering_point(MeteringPointBuilder("H0")
                                                .party_qualifier("DED")
                                                .location_qualifier("Z04")
                                                .line_item(line_item({{"187", "0.5", "", std::nullopt}}))
                                                .build()),
                    std::string(HEAD) + "UNS+D'NAD+DED'LOC+Z04+H0'LIN+1'QTY+187:0.5'UNT+12+1'"},
        WrittenCase{"empty_unit_and_interval",
                    header().metering_point(
                        MeteringPointBuilder("DE0001")
                            .line_item(line_item({{"220", "1234.567", "", std::nullopt},
                                                  {"220", "2", "KWH", Period{"202604010000", "202604010015+01"}}}))
                            .build()),
                    std::string(HEAD) +
                        "UNS+D'NAD+DP'LOC+172+DE0001'LIN+1'QTY+220:1234.567'QTY+220:2:KWH'"
                        "DTM+163:202604010000?+00:303'DTM+164:202604010015?+01:303'UNT+15+1'"},
        WrittenCase{"every_field", full(),
                    "UNH+M?+1+MSCONS:D:04B:UN:2.4c'BGM+7+DOC?:7+9'DTM+137:202604011200?+00:303'RFF+AGI:V??1'"
                    "RFF+Z13:13002'NAD+MS+9900357000004::293'NAD+MR+4012345000023::9'UNS+D'NAD+DP'LOC+172+DE0002'"
                    "DTM+163:202604010000?+00:303'DTM+164:202604020000?+00:303'DTM+492:202604:610'"
                    "DTM+293:20260402:304'RFF+MG:Zähler?'1'LIN+1'PIA+5+1-1?:1.29.0:SRW'QTY+220:1234.567:KWH'"
                    "QTY+220:1.5'DTM+163:202604010000?+00:303'DTM+164:202604010015?+00:303'DTM+306:15:806'"
                    "STS+Z32++Z88'STS+Z40++Z86'STS+10+Z18'LIN+2'PIA+5+1-1?:2.8.0:Z02'QTY+67:0:KWH'STS+Z32++Z89'"
                    "UNT+30+M?+1'"},
        WrittenCase{"agency_kinds_and_small_pid",
                    MsconsBuilder(edi_energy::release::Release("2.5"))
                        .sender("9812345000007")
                        .receiver("X1")
                        .receiver_agency(AgencyKind::Code305)
                        .document_code("Z48")
                        .document_date("20260401")
                        .pruefidentifikator(123),
                    "UNH+1+MSCONS:D:04B:UN:2.5'BGM+Z48+1+9'DTM+137:202604010000?+00:303'RFF+Z13:00123'"
                    "NAD+MS+9812345000007::332'NAD+MR+X1::305'UNT+7+1'"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(MsconsBuilder, WithoutDocumentDateWritesTheCurrentMinute) {
  auto message = MsconsBuilder(edi_energy::release::Release("2.4c")).sender("A").receiver("B").build();
  ASSERT_TRUE(message);
  const auto bytes = message->serialize();
  ASSERT_TRUE(bytes);
  EXPECT_TRUE(std::regex_search(*bytes, std::regex("'DTM\\+137:20[0-9]{10}\\?\\+00:303'"))) << *bytes;
  EXPECT_FALSE(message->core.pruefidentifikator.has_value());
}

TEST(MsconsBuilder, ReadsBackTheTreeItWrote) {
  auto message = full().build();
  ASSERT_TRUE(message) << message.error().message();
  EXPECT_EQ(message->core.message_reference, "M+1");
  EXPECT_EQ(message->core.release_text, "2.4c");
  EXPECT_EQ(message->core.pruefidentifikator, 13002u);
  EXPECT_EQ(message->core.message_type, edi_energy::message_type::MessageType::Mscons);
  ASSERT_TRUE(message->bgm);
  EXPECT_EQ(message->bgm->document_number, "DOC:7");
  ASSERT_TRUE(message->nad_ms && message->nad_mr);
  EXPECT_EQ(message->nad_ms->party_id, SENDER);
  EXPECT_EQ(message->nad_mr->agency, "9");
  ASSERT_EQ(message->references.size(), 2u);
  EXPECT_EQ(message->references[0].rff.reference, "V?1");
  ASSERT_EQ(message->dtms.size(), 1u) << "the body's DTMs are not header DTMs";

  ASSERT_EQ(message->delivery_points.size(), 1u);
  const auto& point = message->delivery_points[0];
  EXPECT_EQ(point.nad.qualifier, "DP");
  ASSERT_EQ(point.time_series.size(), 1u);
  const auto& series = point.time_series[0];
  EXPECT_EQ(series.loc.id, "DE0002");
  ASSERT_EQ(series.rffs.size(), 1u);
  EXPECT_EQ(series.rffs[0].reference, "Zähler'1");
  ASSERT_EQ(series.dtms.size(), 4u);
  EXPECT_EQ(series.dtms[3].value, "20260402");
  ASSERT_EQ(series.line_items.size(), 2u);
  const auto& first = series.line_items[0];
  EXPECT_EQ(first.lin.line_number, "1");
  ASSERT_TRUE(first.pia);
  EXPECT_EQ(first.pia->item_id, "1-1:1.29.0");
  EXPECT_EQ(first.pia->item_type, "SRW");
  ASSERT_EQ(first.quantities.size(), 2u);
  EXPECT_EQ(first.quantities[0].qty.quantity, "1234.567");
  EXPECT_EQ(first.quantities[0].qty.unit, "KWH");
  EXPECT_TRUE(first.quantities[0].dtms.empty());
  EXPECT_FALSE(first.quantities[1].qty.unit.has_value());
  ASSERT_EQ(first.quantities[1].dtms.size(), 3u);
  EXPECT_EQ(first.quantities[1].dtms[1].value, "202604010015+00");
  ASSERT_EQ(first.quantities[1].sts.size(), 3u);
  EXPECT_EQ(first.quantities[1].sts[1].reason, "Z86");
  EXPECT_EQ(series.line_items[1].pia->item_type, "Z02");
}

}  // namespace

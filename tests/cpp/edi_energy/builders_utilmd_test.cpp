#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "edi_energy/builders/utilmd.hpp"
#include "edi_energy/builders/utilmd_sg8.hpp"
#include "edi_energy/release.hpp"

namespace {

template <class Builder>
concept Buildable = requires(Builder builder) { std::move(builder).build(); };

using namespace edi_energy::builders;
using namespace edi_energy::builders::utilmd;
using edi_energy::lokationstyp::Lokationstyp;
using edi_energy::release::Release;
using edi_energy::utilmd_codes::Produktpaket;

static_assert(!Buildable<UtilmdBuilder<Unset, Set>>);
static_assert(Buildable<UtilmdBuilder<Set, Set>>);

UtilmdBuilder<Set, Set> header(std::string_view release = "S2.2") {
  return UtilmdBuilder(Release(release))
      .sender("9900357000004")
      .receiver("4012345000023")
      .document_date("202604011200")
      .pruefidentifikator(55001);
}

std::string head(std::string_view release = "S2.2") {
  return "UNH+1+UTILMD:D:11A:UN:" + std::string(release) +
         "'BGM+E01+1'DTM+137:202604011200?+00:303'NAD+MS+9900357000004::293'NAD+MR+4012345000023::9'";
}

std::string serialized(UtilmdBuilder<Set, Set> builder) {
  auto message = std::move(builder).build();
  if (!message) return "build failed: " + message.error().message();
  auto bytes = message->serialize();
  return bytes ? *bytes : "serialize failed: " + bytes.error().message();
}

Produktpaket paket(std::uint32_t number, bool partial, std::string code) {
  return Produktpaket{number, partial, {{std::move(code), std::nullopt, std::nullopt}}};
}

struct WrittenCase {
  const char* name;
  UtilmdBuilder<Set, Set> builder;
  std::string expected;
};

class UtilmdWritten : public testing::TestWithParam<WrittenCase> {};

TEST_P(UtilmdWritten, ByteForByte) {
  auto builder = GetParam().builder;
  EXPECT_EQ(serialized(std::move(builder)), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Builders, UtilmdWritten,
    testing::Values(
        WrittenCase{"header_only",
                    header().validity_start("202604").reference("ACW", "X+1").document_number("D1"),
                    "UNH+1+UTILMD:D:11A:UN:S2.2'BGM+E01+D1'DTM+137:202604011200?+00:303'DTM+157:202604:610'"
                    "RFF+ACW:X?+1'NAD+MS+9900357000004::293'NAD+MR+4012345000023::9'UNT+8+1'"},
        // With a Z01 Vorgang only Z01 Vorgänge carry RFF+Z13; the other keeps its own Z13.
        WrittenCase{"z01_rule",
                    header()
                        .transaction("Z01", "V1").reference("Z13", "55001").done()
                        .transaction("24", "V2").reference("Z13", "55001").done(),
                    head() + "IDE+Z01+V1'RFF+Z13:55001'IDE+24+V2'RFF+Z13:55001'UNT+10+1'"},
        WrittenCase{"every_vorgang_without_z01",
                    header().transaction("24", "V1").done().transaction("24", "V2").reference("Z13", "55002").done(),
                    head() + "IDE+24+V1'RFF+Z13:55001'IDE+24+V2'RFF+Z13:55001'RFF+Z13:55002'UNT+11+1'"},
        // A column whose Vorgang has no place for RFF+Z13 gets none; the caller's own references stay.
        WrittenCase{"no_pid_reference_in_the_vorgang",
                    header().vorgang_pid_reference(false).transaction("24", "V1").reference("Z13", "55001").done(),
                    head() + "IDE+24+V1'RFF+Z13:55001'UNT+8+1'"},
        WrittenCase{"segment_order_and_escaping",
                    header()
                        .transaction("24", "V+1")
                        .location(Lokationstyp::Marktlokation, "51238696781")
                        .reference("Z47", "R:1")
                        .free_text("ACB", "Grüße: a+b?'")
                        .date("Z10", "0101")
                        .date("92", "20260401")
                        .date("154", "20260315")
                        .date("93", "202604302200+01")
                        .antwort("A01", "E_0624")
                        .transaktionsgrund("E01", "ZW4")
                        .third_party_answer({"A50", "E_0624", std::nullopt, std::nullopt})
                        .agreement("Z04", "Z01")
                        .item_description("Z01", "X")
                        .location(Lokationstyp::Messlokation, "DE0001")
                        .tn_reference("T1")
                        .dated_reference({"Z49", "R1", "92", "20260401", "102"})
                        .id_party("UD", "9812345000007")
                        .done(),
                    head() +
                        "IDE+24+V?+1'IMD++Z01+X'DTM+Z10:0101:106'DTM+92:202604010000?+00:303'DTM+154:20260315:102'"
                        "DTM+93:202604302200?+01:303'STS+7++E01+ZW4'STS+E01++A01:E_0624'STS+Z35++A50:E_0624'"
                        "FTX+ACB+++Grüße?: a?+b?\?\?''AGR+Z04:Z01'LOC+Z16+51238696781'LOC+Z17+DE0001'RFF+Z13:55001'"
                        "RFF+TN:T1'RFF+Z47:R?:1'RFF+Z49:R1'DTM+92:20260401:102'NAD+UD+9812345000007::332'UNT+25+1'"},
        WrittenCase{"status_forms",
                    header()
                        .transaction("24", "V1").transaktionsgrund("E01", std::nullopt).antwort("A01", std::nullopt)
                        .third_party_answer({"A50", "E_0624", "Z01", "Z02"}).done()
                        .transaction("24", "V2").transaktionsgrund("E01", "", "Z01").done()
                        .transaction("24", "V3").transaktionsgrund("E01", "", std::nullopt).done(),
                    head() +
                        "IDE+24+V1'STS+7++E01'STS+E01++A01'STS+Z35+Z01+A50:E_0624+Z02'RFF+Z13:55001'"
                        "IDE+24+V2'STS+7++E01++Z01'RFF+Z13:55001'IDE+24+V3'STS+7++E01'RFF+Z13:55001'UNT+17+1'"},
        WrittenCase{"three_produktpakete",
                    header()
                        .transaction("24", "V1")
                        .produktpaket(paket(1, false, "C1"))
                        .produktpaket(paket(2, true, "C2"))
                        .produktpaket(paket(3, false, "C3"))
                        .done(),
                    head() +
                        "IDE+24+V1'RFF+Z13:55001'SEQ+Z79+1'PIA+5+C1:Z11'CCI+Z66'SEQ+Z79+2'PIA+5+C2:Z11'CCI+Z66'"
                        "SEQ+Z79+3'PIA+5+C3:Z11'CCI+Z66'SEQ+ZH0+1'CCI+Z65+++Z01'CAV+Z75'SEQ+ZH0+2'CCI+Z65+++Z02'"
                        "CAV+Z76'SEQ+ZH0+3'CCI+Z65+++Z01'CAV+Z77'UNT+26+1'"},
        WrittenCase{"bilanzkreis_paket_with_time_series",
                    header()
                        .transaction("24", "V1")
                        .time_series_reference("TS1")
                        .produktpaket(Produktpaket{1, false, {{"9991000002082", "Z?", "11XDE-BKTEST-X"}}})
                        .done(),
                    head() +
                        "IDE+24+V1'RFF+Z13:55001'SEQ+Z22'RFF+AUU:TS1'SEQ+Z79+1'PIA+5+9991000002082:Z11'CCI+Z66'"
                        "CAV+ZH9:::Z?\?'CAV+ZV4:::11XDE-BKTEST-X'SEQ+ZH0+1'CCI+Z65+++Z01'UNT+17+1'"},
        WrittenCase{"sg8_items",
                    header()
                        .transaction("24", "V1")
                        .sg8_block({"Z78", {Sg8Value{"A", "", "", ""}, Sg8Value{"A", "B", "", ""},
                                            Sg8Value{"A", "", "C", ""}, Sg8Value{"A", "B", "C", ""},
                                            Sg8Value{"A", "B", "C", "D"}, Sg8Value{"A", "", "", "D"}}})
                        .sg8_block({"Z78", {Sg8Quantity{"Z16", "1.5", ""}, Sg8Quantity{"Z16", "2", "KWH"},
                                            Sg8Reference{"Z19", "L+1"}, Sg8Characteristic{"Z15", "Z01"}}})
                        .done(),
                    head() +
                        "IDE+24+V1'RFF+Z13:55001'SEQ+Z78'CAV+A'CAV+A:B'CAV+A:::C'CAV+A:B::C'CAV+A:B::C:D'CAV+A::::D'"
                        "SEQ+Z78'QTY+Z16:1.5'QTY+Z16:2:KWH'RFF+Z19:L?+1'CCI+Z15++Z01'UNT+20+1'"},
        // No UTILMD profile carries this release: the caller's order, Z01 last, Produktpakete first.
        WrittenCase{"sg8_order_without_profile",
                    header("X9.9")
                        .transaction("24", "V1")
                        .sg8_block({"Z01", {Sg8Value{"Z02", "", "", ""}}})
                        .sg8_block({"Z78", {}})
                        .z01_characteristic("Z15", "Z01")
                        .sg8_block({"Z27", {}})
                        .produktpaket(paket(1, false, "C1"))
                        .done(),
                    head("X9.9") +
                        "IDE+24+V1'RFF+Z13:55001'SEQ+Z79+1'PIA+5+C1:Z11'CCI+Z66'SEQ+ZH0+1'CCI+Z65+++Z01'"
                        "SEQ+Z78'SEQ+Z27'SEQ+Z01'CCI+Z15++Z01'CAV+Z02'UNT+18+1'"},
        // The MIG of S2.2 ranks Z22 first, so the Produktpakete lead; ties keep the caller's order.
        WrittenCase{"sg8_order_by_mig",
                    header()
                        .transaction("24", "V1")
                        .sg8_block({"XX9", {}})
                        .sg8_block({"Z75", {}})
                        .sg8_block({"Z01", {}})
                        .z01_characteristic("Z15", "Z01")
                        .sg8_block({"Z27", {Sg8Reference{"Z19", "2"}}})
                        .sg8_block({"Z78", {}})
                        .sg8_block({"Z27", {Sg8Reference{"Z19", "1"}}})
                        .produktpaket(paket(1, false, "C1"))
                        .done(),
                    head() +
                        "IDE+24+V1'RFF+Z13:55001'SEQ+Z79+1'PIA+5+C1:Z11'CCI+Z66'SEQ+ZH0+1'CCI+Z65+++Z01'SEQ+Z78'"
                        "SEQ+Z01'CCI+Z15++Z01'SEQ+Z27'RFF+Z19:2'SEQ+Z27'RFF+Z19:1'SEQ+Z75'SEQ+XX9'UNT+22+1'"},
        // The gas MIG lists no Produktpaket groups: they go before the first block it does not know.
        WrittenCase{"sg8_order_by_gas_mig",
                    header("G1.1")
                        .transaction("24", "V1")
                        .sg8_block({"XX9", {}})
                        .sg8_block({"Z02", {}})
                        .z01_characteristic("Z15", "Z01")
                        .produktpaket(paket(1, false, "C1"))
                        .done(),
                    head("G1.1") +
                        "IDE+24+V1'RFF+Z13:55001'SEQ+Z01'CCI+Z15++Z01'SEQ+Z02'SEQ+Z79+1'PIA+5+C1:Z11'CCI+Z66'"
                        "SEQ+ZH0+1'CCI+Z65+++Z01'SEQ+XX9'UNT+17+1'"},
        WrittenCase{"parties",
                    header()
                        .transaction("24", "V1")
                        .id_party("UD", "4012345000023")
                        .address_party({"Z04", {"A", "B:C"}, "Z02", "Weg 1", "Köln", "50667", "DE"})
                        .name_party({"Z09", {"Müller"}, "Z01"})
                        .name_party({"Z10", {"1", "2", "3", "4", "5"}, ""})
                        .done(),
                    head() +
                        "IDE+24+V1'RFF+Z13:55001'NAD+Z09+++Müller:::::Z01'NAD+Z10+++1:2:3:4:5:'"
                        "NAD+Z04+++A:B?:C::::Z02+Weg 1+Köln++50667+DE'NAD+UD+4012345000023::9'UNT+12+1'"}),
    [](const auto& info) { return std::string(info.param.name); });

struct RefusedCase {
  const char* name;
  UtilmdBuilder<Set, Set> builder;
};

class UtilmdRefused : public testing::TestWithParam<RefusedCase> {};

TEST_P(UtilmdRefused, SixNamePartsAreNotCutOff) {
  auto builder = GetParam().builder;
  const auto message = std::move(builder).build();
  ASSERT_FALSE(message);
  EXPECT_EQ(message.error().kind, edi_energy::Error::Kind::EdifactSerialize);
  EXPECT_EQ(message.error().message(),
            "EDIFACT serialization error: NAD+Z09 has 6 name parts, but its party name holds at most 5");
}

INSTANTIATE_TEST_SUITE_P(
    Builders, UtilmdRefused,
    testing::Values(RefusedCase{"name_party", header()
                                                  .transaction("24", "V1")
                                                  .name_party({"Z09", {"1", "2", "3", "4", "5", "6"}, ""})
                                                  .done()},
                    RefusedCase{"address_party_in_second_vorgang",
                                header().transaction("24", "V1").done().transaction("24", "V2")
                                    .address_party({"Z09", {"1", "2", "3", "4", "5", "6"}, "", "S", "C", "P", "DE"})
                                    .done()}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Sg8Ranks, FollowTheFirstSeqThatListsTheQualifier) {
  const Sg8Ranks ranks = sg8_ranks(Release("S2.2"));
  EXPECT_EQ(rank_of(ranks, "Z22"), 0u) << "listed again by a later SEQ";
  EXPECT_EQ(rank_of(ranks, "Z78"), 1u);
  EXPECT_EQ(rank_of(ranks, "ZC7"), 1u);
  EXPECT_EQ(rank_of(ranks, "Z79"), 3u);
  EXPECT_EQ(rank_of(ranks, "Z01"), 9u);
  EXPECT_EQ(rank_of(ranks, "XX9"), UNKNOWN_RANK);
  EXPECT_TRUE(sg8_ranks(Release("X9.9")).empty());
  EXPECT_TRUE(sg8_ranks(Release("2.4c")).empty()) << "an MSCONS release is no UTILMD profile";
}

TEST(UtilmdBuilder, ReadsBackTheVorgaengeItWrote) {
  auto message = header()
                     .reference("ACW", "R'1")
                     .message_reference("M:1")
                     .transaction("24", "Vörgang+1")
                     .date("92", "20260401")
                     .location(Lokationstyp::Marktlokation, "512?3869678")
                     .location(Lokationstyp::Messlokation, "DE:1")
                     .reference("Z47", "Ä+1")
                     .transaktionsgrund("E01", "ZW4")
                     .antwort("A01", "E_0624")
                     .free_text("ACB", "Straße ?+ 'Weg'")
                     .produktpaket(Produktpaket{7, false, {{"C1", "H", "V1"}, {"C2", std::nullopt, std::nullopt}}})
                     .name_party({"Z09", {"", "Jörg", "M:x"}, "Z01"})
                     .done()
                     .transaction("Z01", "V2")
                     .done()
                     .build();
  ASSERT_TRUE(message) << message.error().message();
  EXPECT_EQ(message->core.message_reference, "M:1");
  EXPECT_EQ(message->core.release_text, "S2.2");
  EXPECT_EQ(message->core.pruefidentifikator, 55001u);
  EXPECT_EQ(message->core.message_type, edi_energy::message_type::MessageType::Utilmd);
  ASSERT_EQ(message->references.size(), 1u);
  EXPECT_EQ(message->references[0].rff.reference, "R'1");
  ASSERT_EQ(message->transactions.size(), 2u);

  const auto& vorgang = message->transactions[0];
  EXPECT_EQ(vorgang.ide.id, "Vörgang+1");
  ASSERT_EQ(vorgang.dtms.size(), 1u);
  EXPECT_EQ(vorgang.dtms[0].value, "202604010000+00");
  ASSERT_EQ(vorgang.locs.size(), 2u);
  EXPECT_EQ(vorgang.locs[0].qualifier, "Z16");
  EXPECT_EQ(vorgang.locs[0].id, "512?3869678");
  EXPECT_EQ(vorgang.locs[1].id, "DE:1");
  // Z13 is written with the Prüfidentifikator only in the Z01 Vorgang.
  ASSERT_EQ(vorgang.rffs.size(), 1u);
  EXPECT_EQ(vorgang.rffs[0].reference, "Ä+1");
  ASSERT_TRUE(vorgang.transaktionsgrund);
  EXPECT_EQ(vorgang.transaktionsgrund->ergaenzung, "ZW4");
  ASSERT_TRUE(vorgang.antwort);
  EXPECT_EQ(vorgang.antwort->codeliste, "E_0624");
  ASSERT_EQ(vorgang.ftxs.size(), 1u);
  EXPECT_EQ(vorgang.ftxs[0].text, "Straße ?+ 'Weg'");
  // SEQ+Z79 per product, then SEQ+ZH0.
  ASSERT_EQ(vorgang.sequences.size(), 3u);
  EXPECT_EQ(vorgang.sequences[0].seq.number, "7");
  ASSERT_EQ(vorgang.sequences[0].products.size(), 1u);
  EXPECT_EQ(vorgang.sequences[0].products[0].pia.item_id, "C1");
  ASSERT_EQ(vorgang.sequences[0].characteristics.size(), 1u);
  ASSERT_EQ(vorgang.sequences[0].characteristics[0].cavs.size(), 2u);
  EXPECT_EQ(vorgang.sequences[0].characteristics[0].cavs[1].value_text, "V1");
  EXPECT_EQ(vorgang.sequences[2].seq.action, "ZH0");
  ASSERT_EQ(vorgang.parties.size(), 1u);
  EXPECT_EQ(vorgang.parties[0].name_parts, (std::vector<std::string>{"Jörg", "M:x"}));
  EXPECT_EQ(vorgang.parties[0].nad.name_format, "Z01");

  const auto& z01 = message->transactions[1];
  EXPECT_EQ(z01.ide.qualifier, "Z01");
  ASSERT_EQ(z01.rffs.size(), 1u);
  EXPECT_EQ(z01.rffs[0].reference, "55001");
}

}  // namespace

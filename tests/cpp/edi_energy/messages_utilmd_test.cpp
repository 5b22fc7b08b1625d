#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "edi_energy/messages/utilmd.hpp"
#include "../edifact/parsed_segments.hpp"

namespace {

using namespace edi_energy::messages::segments;
using namespace edi_energy::messages::utilmd;
using edifact_test::parsed;
using std::nullopt;

UtilmdMessage utilmd(std::string_view body) {
  return UtilmdMessage::from_parts(
      parsed(std::string("UNH+M1+UTILMD:D:11A:UN:S2.1'BGM+E01+DOC1+9'DTM+137:202604010000?+00:303'"
                              "NAD+MS+9900000000010::293'NAD+MR+9900000000003::293'") +
                  std::string(body) + "UNT+99+M1'"),
      "M1", "S2.1", 55001);
}

TEST(UtilmdTransactions, TwoVorgaengeWithTheirDatesAlsoInTheMessageDates) {
  const auto message = utilmd(
      "IDE+24+V1'DTM+92:20260401:102'LOC+172+DE001'RFF+Z13:55001'FTX+ACB+++Text'"
      "IDE+24+V2'DTM+93:20260501:102'LOC+Z16+12345678901'");
  ASSERT_EQ(message.transactions.size(), 2u);
  const auto& first = message.transactions[0];
  EXPECT_EQ(first.ide, (Ide{"24", "V1"}));
  EXPECT_EQ(first.dtms, (std::vector<Dtm>{{"92", "20260401", "102"}}));
  EXPECT_EQ(first.locs, (std::vector<Loc>{{"172", "DE001"}}));
  EXPECT_EQ(first.rffs, (std::vector<Rff>{{"Z13", "55001"}}));
  EXPECT_EQ(first.ftxs, (std::vector<Ftx>{{"ACB", "Text"}}));
  EXPECT_EQ(message.transactions[1].locs, (std::vector<Loc>{{"Z16", "12345678901"}}));
  EXPECT_EQ(message.dtms.size(), 3u);
  EXPECT_EQ(message.core.message_type, edi_energy::message_type::MessageType::Utilmd);
}

struct StatusCase {
  std::string name;
  std::string statuses;
  std::optional<UtilmdTransaktionsgrund> grund;
  std::optional<UtilmdAntwort> antwort;
};

const StatusCase status_cases[] = {
    {"grund_with_ergaenzung", "STS+7++E01+ZW4'", UtilmdTransaktionsgrund{"E01", "ZW4", nullopt}, nullopt},
    {"grund_with_befristung", "STS+7++E03++Z01'", UtilmdTransaktionsgrund{"E03", nullopt, "Z01"}, nullopt},
    {"short_later_grund_clears", "STS+7++E01+ZW4'STS+7+X'", nullopt, nullopt},
    {"empty_grund_clears", "STS+7++E01'STS+7++:X+ZW4'", nullopt, nullopt},
    {"later_grund_replaces", "STS+7++E01'STS+7++E02'", UtilmdTransaktionsgrund{"E02", nullopt, nullopt}, nullopt},
    {"antwort_with_codeliste", "STS+E01++A01:E_0401'", nullopt, UtilmdAntwort{"A01", "E_0401"}},
    {"antwort_without_codeliste", "STS+E01++A01'", nullopt, UtilmdAntwort{"A01", nullopt}},
    {"short_antwort_clears", "STS+E01++A01'STS+E01'", nullopt, nullopt},
    {"other_category_decodes_nothing", "STS+Z06++E01'STS+7 ++E01'", nullopt, nullopt},
    {"both_kept_apart", "STS+7++E01'STS+E01++A02:E_0624'", UtilmdTransaktionsgrund{"E01", nullopt, nullopt},
     UtilmdAntwort{"A02", "E_0624"}},
};

class StatusDecodingTest : public testing::TestWithParam<StatusCase> {};

TEST_P(StatusDecodingTest, LastStsOfEachCategoryDecides) {
  const auto message = utilmd("IDE+24+V1'" + GetParam().statuses);
  ASSERT_EQ(message.transactions.size(), 1u);
  const auto& transaction = message.transactions[0];
  EXPECT_EQ(transaktionsgrund(transaction), GetParam().grund);
  EXPECT_EQ(transaction.antwort, GetParam().antwort);
}

INSTANTIATE_TEST_SUITE_P(UtilmdTransactions, StatusDecodingTest, testing::ValuesIn(status_cases),
                         [](const auto& info) { return info.param.name; });

TEST(UtilmdTransactions, EveryStsAlsoBecomesARecord) {
  const auto message = utilmd("IDE+24+V1'STS+7++E01+ZW4'STS'");
  EXPECT_EQ(message.transactions[0].sts, (std::vector<Sts>{{"7", nullopt, "E01"}, {}}));
}

TEST(UtilmdTransactions, SequencesCollectProductsCharacteristicsAndQuantities) {
  const auto message = utilmd(
      "IDE+24+V1'PIA+5+DROPPED'CCI+Z30'CAV+X'QTY+Z16:1'"
      "SEQ+Z79+1'CAV+NOCCI'PIA+5+9991000000044:Z11'CCI+Z30++Z07'CAV+A'CAV+B'PIA+5+9991000000052:Z11'QTY+Z16:3:KWH'"
      "SEQ+Z01'CCI++'");
  const auto& sequences = message.transactions[0].sequences;
  ASSERT_EQ(sequences.size(), 2u);
  const auto& first = sequences[0];
  EXPECT_EQ(first.seq, (Seq{"Z79", "1"}));
  EXPECT_EQ(first.products, (std::vector<UtilmdProduct>{{{"5", "9991000000044", "Z11"}, 0},
                                                         {{"5", "9991000000052", "Z11"}, 1}}));
  ASSERT_EQ(first.characteristics.size(), 1u);
  EXPECT_EQ(first.characteristics[0].cci, (Cci{"Z30", "Z07", nullopt}));
  EXPECT_EQ(first.characteristics[0].cavs, (std::vector<Cav>{{"A", nullopt, nullopt}, {"B", nullopt, nullopt}}));
  EXPECT_EQ(first.quantities, (std::vector<Qty>{{"Z16", "3", "KWH"}}));
  EXPECT_EQ(sequences[1].characteristics.size(), 1u);
}

TEST(UtilmdTransactions, PartiesKeepTheNonEmptyNamePartsOfTheFirstFive) {
  const auto message = utilmd(
      "IDE+24+V1'NAD+Z09+++:Erika:Muster'NAD+Z04+9900000000003'NAD+Z05+++a:b:c:d:e:f'NAD++X'");
  const auto& parties = message.transactions[0].parties;
  ASSERT_EQ(parties.size(), 3u);
  EXPECT_EQ(parties[0].name_parts, (std::vector<std::string>{"Erika", "Muster"}));
  EXPECT_EQ(parties[0].nad.name, nullopt);
  EXPECT_TRUE(parties[1].name_parts.empty());
  EXPECT_EQ(parties[2].name_parts, (std::vector<std::string>{"a", "b", "c", "d", "e"}));
  EXPECT_EQ(parties[2].nad.name_format, "f");
}

TEST(UtilmdTransactions, IdeWithoutQualifierOpensNothingAndItsSegmentsAreLost) {
  const auto message = utilmd("IDE+24+V1'DTM+92:1:102'IDE++V2'DTM+93:2:102'IDE+24+V3'LOC+172+X'");
  ASSERT_EQ(message.transactions.size(), 2u);
  EXPECT_EQ(message.transactions[0].dtms.size(), 1u);
  EXPECT_EQ(message.transactions[1].ide.id, "V3");
  EXPECT_TRUE(message.transactions[1].dtms.empty());
}

struct GroupCase {
  std::string name;
  std::string vorgang;  // after IDE+24+V1
  std::vector<std::string> dates;       // the Vorgang's own DTM qualifiers
  std::vector<std::string> references;  // its SG6 RFF qualifiers
};

std::vector<std::string> qualifiers_of(const auto& records) {
  std::vector<std::string> found;
  for (const auto& record : records) found.push_back(record.qualifier);
  return found;
}

const GroupCase group_cases[] = {
    {"every_group", "DTM+92:1:102'STS+7++E01'LOC+Z16+X'RFF+Z13:55001'DTM+Z25:2:102'RFF+Z49:R'SEQ+Z03'RFF+Z19:M'"
                    "QTY+Z16:1'DTM+Z33:3:102'NAD+Z09+X'RFF+Z18:P'",
     {"92"}, {"Z13", "Z49"}},
    {"rff_after_loc_opens_sg6", "LOC+Z16+X'RFF+Z13:1'DTM+Z25:2:102'", {}, {"Z13"}},
    {"status_closes_sg6", "RFF+Z13:1'DTM+Z25:2:102'STS+7++E01'DTM+92:1:102'", {"92"}, {"Z13"}},
    {"rff_after_nad_stays_with_the_party", "NAD+Z09+X'RFF+Z18:P'RFF+Z13:1'", {}, {}},
    {"rff_of_an_unread_seq_is_lost", "SEQ'RFF+Z19:M'DTM+Z33:3:102'", {}, {}},
    {"loc_after_seq_leaves_it", "SEQ+Z03'RFF+Z19:M'LOC+Z16+X'DTM+93:1:102'RFF+Z13:1'", {"93"}, {"Z13"}},
};

class GroupReadingTest : public testing::TestWithParam<GroupCase> {};

TEST_P(GroupReadingTest, DatesAndReferencesComeFromTheirOwnGroups) {
  const auto message = utilmd("IDE+24+V1'" + GetParam().vorgang);
  ASSERT_EQ(message.transactions.size(), 1u);
  EXPECT_EQ(qualifiers_of(message.transactions[0].dtms), GetParam().dates);
  EXPECT_EQ(qualifiers_of(message.transactions[0].rffs), GetParam().references);
}

INSTANTIATE_TEST_SUITE_P(UtilmdTransactions, GroupReadingTest, testing::ValuesIn(group_cases),
                         [](const auto& info) { return info.param.name; });

TEST(UtilmdTransactions, TheOtherGroupsKeepTheirReferencesAndDates) {
  const auto message = utilmd("IDE+24+V1'RFF+Z13:1'DTM+Z25:2:102'SEQ+Z03'RFF+Z19:M'QTY+Z16:1'DTM+Z33:3:102'"
                              "NAD+Z09+X'RFF+Z18:P'");
  const auto& vorgang = message.transactions[0];
  EXPECT_EQ(qualifiers_of(vorgang.reference_dtms), std::vector<std::string>{"Z25"});
  ASSERT_EQ(vorgang.sequences.size(), 1u);
  EXPECT_EQ(vorgang.sequences[0].rffs, (std::vector<Rff>{{"Z19", "M"}}));
  EXPECT_EQ(qualifiers_of(vorgang.sequences[0].dtms), std::vector<std::string>{"Z33"});
  ASSERT_EQ(vorgang.parties.size(), 1u);
  EXPECT_EQ(vorgang.parties[0].rffs, (std::vector<Rff>{{"Z18", "P"}}));
}

TEST(UtilmdTransactions, ReferencesAreHeaderRffsWithTheirDirectDtms) {
  const auto message = UtilmdMessage::from_parts(
      parsed("UNH+M1+UTILMD:D:11A:UN:S2.1'BGM+E01'RFF+Z13:55001'DTM+171:1:102'DTM+171:2:102'NAD+MS+1'"
                  "DTM+137:3:102'RFF+:X'RFF+TN:42'IDE+24+V1'RFF+Z13:55002'DTM+92:4:102'UNT+13+M1'"),
      "M1", "S2.1", std::nullopt);
  ASSERT_EQ(message.references.size(), 2u);
  EXPECT_EQ(message.references[0].rff, (Rff{"Z13", "55001"}));
  EXPECT_EQ(message.references[0].dtms.size(), 2u);
  EXPECT_EQ(message.references[1], (UtilmdReference{{"TN", "42"}, {}}));
  EXPECT_EQ(message.transactions[0].rffs, (std::vector<Rff>{{"Z13", "55002"}}));
  // Without IDE the whole message is header.
  EXPECT_EQ(parse_references(parsed("RFF+A:1'UNT+2+M1'RFF+B:2'")).size(), 2u);
  EXPECT_TRUE(parse_transactions(parsed("RFF+A:1'")).empty());
}

}  // namespace

#include <gtest/gtest.h>

#include <optional>
#include <string_view>

#include "zelk/pruefung/codes.hpp"

namespace {

using zelk_pruefung::codes::AnswerCluster;
using zelk_pruefung::codes::wire_codeliste;

struct WireCase {
  std::string_view ebd;
  AnswerCluster cluster;
  std::optional<std::string_view> expected;
};

class WireCodelisteTest : public testing::TestWithParam<WireCase> {};

TEST_P(WireCodelisteTest, ResolvesTheListOrNone) {
  const WireCase& c = GetParam();
  EXPECT_EQ(wire_codeliste(c.ebd, c.cluster), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Table, WireCodelisteTest,
    testing::Values(WireCase{"E_0200", AnswerCluster::Zustimmung, "S_0090"},
                    WireCase{"E_0200", AnswerCluster::Ablehnung, "S_0054"},
                    WireCase{"E_0232", AnswerCluster::Zustimmung, "S_0057"},
                    WireCase{"E_0232", AnswerCluster::Ablehnung, "S_0057"},
                    WireCase{"E_2014", AnswerCluster::Ablehnung, "G_0083"},
                    WireCase{"E_2016", AnswerCluster::Zustimmung, "G_0083"},
                    WireCase{"E_2011", AnswerCluster::Ablehnung, "G_0074"},
                    WireCase{"E_2019", AnswerCluster::Zustimmung, "G_0086"},
                    // Trees outside the table and texts that only resemble a tree.
                    WireCase{"E_0622", AnswerCluster::Zustimmung, std::nullopt},
                    WireCase{"e_0200", AnswerCluster::Zustimmung, std::nullopt},
                    WireCase{"E_020", AnswerCluster::Zustimmung, std::nullopt},
                    WireCase{"E_02000", AnswerCluster::Zustimmung, std::nullopt},
                    WireCase{" E_0200", AnswerCluster::Zustimmung, std::nullopt},
                    WireCase{"", AnswerCluster::Ablehnung, std::nullopt}));

class OtherClusterTest : public testing::TestWithParam<AnswerCluster> {};

TEST_P(OtherClusterTest, HasNoListEvenForWimTrees) {
  for (std::string_view ebd : {"E_0200", "E_0232", "E_2000", "E_2019"}) {
    EXPECT_EQ(wire_codeliste(ebd, GetParam()), std::nullopt) << ebd;
  }
}

INSTANTIATE_TEST_SUITE_P(Clusters, OtherClusterTest,
                         testing::Values(AnswerCluster::Abweisung, AnswerCluster::Reklamation,
                                         AnswerCluster::AenderungDerDaten,
                                         AnswerCluster::KeineAenderungDerDaten,
                                         AnswerCluster::AblehnungDerGesamtenListe,
                                         AnswerCluster::KorrekturlisteWegenAblehnung));

TEST(WireCodeliste, ElectricityTreesUseSListsAndGasTreesGLists) {
  for (std::string_view ebd : {"E_0200", "E_0201", "E_0202", "E_0240", "E_0203", "E_0204",
                               "E_0247", "E_0232"}) {
    for (AnswerCluster cluster : {AnswerCluster::Zustimmung, AnswerCluster::Ablehnung}) {
      std::optional<std::string_view> list = wire_codeliste(ebd, cluster);
      ASSERT_TRUE(list.has_value()) << ebd;
      EXPECT_TRUE(list->starts_with("S_")) << ebd;
    }
  }
  for (std::string_view ebd : {"E_2000", "E_2002", "E_2005", "E_2006", "E_2004", "E_2007",
                               "E_2011", "E_2003", "E_2014", "E_2015", "E_2016", "E_2018",
                               "E_2019"}) {
    for (AnswerCluster cluster : {AnswerCluster::Zustimmung, AnswerCluster::Ablehnung}) {
      std::optional<std::string_view> list = wire_codeliste(ebd, cluster);
      ASSERT_TRUE(list.has_value()) << ebd;
      EXPECT_TRUE(list->starts_with("G_")) << ebd;
    }
  }
}

}  // namespace

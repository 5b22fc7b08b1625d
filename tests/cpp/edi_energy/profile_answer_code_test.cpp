#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "edi_energy/profile/answer_code.hpp"

namespace {

namespace answer_code = edi_energy::profile::answer_code;
using answer_code::Cluster;

struct Reading {
  std::string_view text;
  std::optional<Cluster> cluster;
  bool conditional;
  std::optional<std::string> except;
};

TEST(AnswerCode, ClusterTextsOfTheAhbsAreRead) {
  const Reading cases[] = {
      {"Es sind nur Antwortcodes aus dem Cluster Zustimmung erlaubt", Cluster::Zustimmung, false, std::nullopt},
      {"Es sind nur Codes aus dem EBD-Cluster \"Abweisung\" möglich.", Cluster::Abweisung, false, std::nullopt},
      {"Der hier angegebene Code des Prüfschritts muss im EBD dem Cluster Ablehnung zugeordnet sein",
       Cluster::Ablehnung, false, std::nullopt},
      {"A-Code aus Cluster Ablehnung auf Kopfebene", Cluster::Ablehnung, false, std::nullopt},
      {"Wenn STS+Z01+Z08 vorhanden, dann sind nur Codes aus dem EBD-Cluster \"Ablehnung\" möglich.",
       Cluster::Ablehnung, true, std::nullopt},
      {"Wenn STS+Z43+Z48 vorhanden, dann sind nur Codes aus dem EBD-Cluster \"keine Änderung der Daten\" möglich.",
       Cluster::KeineAenderungDerDaten, true, std::nullopt},
      {"Wenn STS+Z43+Z47 vorhanden, dann sind nur Codes aus dem EBD-Cluster \"Änderung der Daten\" möglich.",
       Cluster::AenderungDerDaten, true, std::nullopt},
      {"Bis auf den Code A30 sind alle Codes aus EBD E_0624 im Cluster Ablehnung erlaubt", Cluster::Ablehnung, false,
       "A30"},
      // No cluster of the catalogue, or no cluster at all.
      {"Wenn STS+Z37+Z13 vorhanden, dann sind nur Codes aus dem EBD-Cluster \"gescheitert\" möglich.", std::nullopt,
       false, std::nullopt},
      {"Cluster Ablehnungen", std::nullopt, false, std::nullopt},
      {"Möglicher Wert: ZB4 oder ZB5", std::nullopt, false, std::nullopt},
      {"Cluster", std::nullopt, false, std::nullopt},
      {"", std::nullopt, false, std::nullopt},
  };
  for (const Reading& reading : cases) {
    const auto demand = answer_code::read_cluster_demand(reading.text);
    ASSERT_EQ(demand.has_value(), reading.cluster.has_value()) << reading.text;
    if (!demand) continue;
    EXPECT_EQ(demand->cluster, *reading.cluster) << reading.text;
    EXPECT_EQ(demand->conditional, reading.conditional) << reading.text;
    EXPECT_EQ(demand->except, reading.except) << reading.text;
  }
}

TEST(AnswerCode, FittingCodesFollowTreeListAndCluster) {
  const answer_code::ClusterDemand zustimmung{Cluster::Zustimmung, false, std::nullopt};
  const answer_code::ClusterDemand ablehnung_but_a30{Cluster::Ablehnung, false, "A30"};
  using Codes = std::vector<std::string_view>;
  EXPECT_EQ(answer_code::fitting_codes("E_0623", {&zustimmung, 1}), (Codes{"A51", "A55", "A56", "A58"}));
  EXPECT_EQ(answer_code::fitting_codes("E_0624", {&ablehnung_but_a30, 1})->front(), "A32");
  // A wire list stands for its tree and its one cluster; a list of both clusters for all codes.
  EXPECT_EQ(answer_code::fitting_codes("S_0090", {}), (Codes{"E15", "Z01", "Z44"}));
  EXPECT_EQ(answer_code::fitting_codes("S_0057", {}), (Codes{"Z66"}));
  EXPECT_EQ(answer_code::fitting_codes("E_0622", {&zustimmung, 1}), Codes{});
  EXPECT_FALSE(answer_code::fitting_codes("E_0409", {}));
  EXPECT_FALSE(answer_code::fitting_codes("e_0622", {}));
  EXPECT_FALSE(answer_code::known_names(std::vector<std::string_view>{"E_0622", "E_0441"}));
  EXPECT_FALSE(answer_code::known_names(std::vector<std::string_view>{}));
  EXPECT_TRUE(answer_code::known_names(std::vector<std::string_view>{"E_0622", "G_0061"}));
}

}  // namespace

#include <gtest/gtest.h>

#include <optional>
#include <string_view>

#include "zelk/pruefung/codes.hpp"

namespace {

using zelk_pruefung::codes::AnswerCluster;
using zelk_pruefung::codes::wire_codeliste;

TEST(WireCodeliste, ResolvesTheListForAcceptAndRejectOnly) {
  const std::tuple<std::string_view, AnswerCluster, std::optional<std::string_view>> cases[] = {
      {"E_0200", AnswerCluster::Zustimmung, "S_0090"},
      {"E_0200", AnswerCluster::Ablehnung, "S_0054"},
      {"E_0232", AnswerCluster::Ablehnung, "S_0057"},
      {"E_2016", AnswerCluster::Zustimmung, "G_0083"},
      {"E_2011", AnswerCluster::Ablehnung, "G_0074"},
      // Trees outside the table and texts that only resemble a tree.
      {"E_0622", AnswerCluster::Zustimmung, std::nullopt},
      {"e_0200", AnswerCluster::Zustimmung, std::nullopt},
      {"E_02000", AnswerCluster::Zustimmung, std::nullopt},
      {"", AnswerCluster::Ablehnung, std::nullopt}};
  for (const auto& [ebd, cluster, expected] : cases) EXPECT_EQ(wire_codeliste(ebd, cluster), expected) << ebd;

  for (const AnswerCluster other : {AnswerCluster::Abweisung, AnswerCluster::Reklamation,
                                    AnswerCluster::AenderungDerDaten, AnswerCluster::KeineAenderungDerDaten,
                                    AnswerCluster::AblehnungDerGesamtenListe,
                                    AnswerCluster::KorrekturlisteWegenAblehnung}) {
    for (std::string_view ebd : {"E_0200", "E_2019"}) EXPECT_EQ(wire_codeliste(ebd, other), std::nullopt) << ebd;
  }
}

}  // namespace

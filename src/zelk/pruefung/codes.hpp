// The code list that a WiM answer carries on the wire in place of the Entscheidungsbaum number:
// one list for confirmations and one for rejections per tree ("S_" electricity, "G_" gas).
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace zelk_pruefung::codes {

enum class AnswerCluster : std::uint8_t {
  Zustimmung,
  Ablehnung,
  Abweisung,
  Reklamation,
  AenderungDerDaten,
  KeineAenderungDerDaten,
  AblehnungDerGesamtenListe,
  KorrekturlisteWegenAblehnung,
};

// The list for `ebd` (compared exactly) and `cluster`; none for trees outside the WiM table and
// for every cluster but ZUSTIMMUNG and ABLEHNUNG.
std::optional<std::string_view> wire_codeliste(std::string_view ebd, AnswerCluster cluster);

// The other way: the tree whose answers carry `codeliste`, and the cluster when the list is that
// of one cluster only (not the one list of both, as S_0057); none outside the WiM table. Trees
// that share a list (E_2014, E_2016) publish the same codes; the first in the table is given.
struct CodelisteTree {
  std::string_view ebd;
  std::optional<AnswerCluster> cluster;
};
std::optional<CodelisteTree> tree_of_codeliste(std::string_view codeliste);

}  // namespace zelk_pruefung::codes

// The compiled catalogue of published Antwortcodes: the Entscheidungsbäume in catalogue order,
// each with its rows. The table itself is generated (catalogue_table.cpp).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace quorvane_native::antwortcodes {

// Outcome class of a code, in catalogue index order.
enum class AnswerCodeCluster : std::uint8_t {
  Zustimmung,
  Ablehnung,
  AenderungDerDaten,
  KeineAenderungDerDaten,
  Abweisung,
  AblehnungDerGesamtenListe,
  KorrekturlisteWegenAblehnung,
  Reklamation,
};

inline constexpr std::array<std::string_view, 8> ANSWER_CODE_CLUSTER_NAMES{
    "ZUSTIMMUNG",
    "ABLEHNUNG",
    "AENDERUNG_DER_DATEN",
    "KEINE_AENDERUNG_DER_DATEN",
    "ABWEISUNG",
    "ABLEHNUNG_DER_GESAMTEN_LISTE",
    "KORREKTURLISTE_WEGEN_ABLEHNUNG",
    "REKLAMATION",
};

constexpr std::string_view cluster_name(AnswerCodeCluster cluster) {
  return ANSWER_CODE_CLUSTER_NAMES[static_cast<std::size_t>(cluster)];
}

struct AnswerCodeRow {
  // The EBD code used on the wire (the tree's own name), absent where answers name no list.
  std::optional<std::string_view> wire_base;
  std::string_view code;  // STS+E01 DE 9013
  std::string_view bedeutung;
  AnswerCodeCluster cluster;
  bool braucht_bemerkung;  // a written Erläuterung (FTX+ACB) must accompany the code
};

struct AnswerCodeTree {
  std::string_view name;  // "E_" and four digits
  std::span<const AnswerCodeRow> rows;
};

// All trees in catalogue order.
std::span<const AnswerCodeTree> answer_code_catalogue();

}  // namespace quorvane_native::antwortcodes

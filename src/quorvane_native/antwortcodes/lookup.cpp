#include "quorvane_native/antwortcodes/lookup.hpp"

#include <algorithm>

#include <fmt/format.h>

#include "support/debug_quote.hpp"
#include "zelk/fristen/antwort.hpp"
#include "zelk/pruefung/codes.hpp"

namespace quorvane_native::antwortcodes {
namespace {

using zelk_pruefung::codes::AnswerCluster;

// The catalogue's clusters as the wire-list table knows them (the two orders differ).
constexpr std::array<AnswerCluster, 8> WIRE_CLUSTER{
    AnswerCluster::Zustimmung,
    AnswerCluster::Ablehnung,
    AnswerCluster::AenderungDerDaten,
    AnswerCluster::KeineAenderungDerDaten,
    AnswerCluster::Abweisung,
    AnswerCluster::AblehnungDerGesamtenListe,
    AnswerCluster::KorrekturlisteWegenAblehnung,
    AnswerCluster::Reklamation,
};

constexpr std::array<std::optional<bool>, 8> IST_ZUSTIMMUNG{
    true,          // ZUSTIMMUNG
    false,         // ABLEHNUNG
    std::nullopt,  // AENDERUNG_DER_DATEN
    std::nullopt,  // KEINE_AENDERUNG_DER_DATEN
    false,         // ABWEISUNG
    false,         // ABLEHNUNG_DER_GESAMTEN_LISTE
    false,         // KORREKTURLISTE_WEGEN_ABLEHNUNG
    std::nullopt,  // REKLAMATION
};

}  // namespace

std::optional<bool> ist_zustimmung(AnswerCodeCluster cluster) {
  return IST_ZUSTIMMUNG[static_cast<std::size_t>(cluster)];
}

std::string repr(const AntwortCode& code) {
  return fmt::format("AntwortCode({} {} [{}] — {})", code.tree, code.code,
                     cluster_name(code.cluster), code.bedeutung);
}

std::string message(const UnknownTreeError& error) {
  return fmt::format(
      "no Entscheidungsbaum {} in the compiled catalogue — see entscheidungsbaeume() for the "
      "trees this build carries",
      support::debug_quote(error.tree));
}

const AnswerCodeTree* find_tree(std::string_view name) {
  const std::span<const AnswerCodeTree> trees = answer_code_catalogue();
  const auto found = std::ranges::find(trees, name, &AnswerCodeTree::name);
  return found == trees.end() ? nullptr : &*found;
}

AntwortCode convert(std::string_view tree, const AnswerCodeRow& row) {
  std::optional<std::string_view> wire_codeliste;
  if (row.wire_base) {
    wire_codeliste = zelk_pruefung::codes::wire_codeliste(
        *row.wire_base, WIRE_CLUSTER[static_cast<std::size_t>(row.cluster)]);
    if (!wire_codeliste) wire_codeliste = row.wire_base;
  }
  return AntwortCode{
      .code = row.code,
      .tree = tree,
      .wire_codeliste = wire_codeliste,
      .cluster = row.cluster,
      .bedeutung = row.bedeutung,
      .braucht_bemerkung = row.braucht_bemerkung,
  };
}

std::vector<std::string_view> entscheidungsbaeume() {
  std::vector<std::string_view> names;
  for (const AnswerCodeTree& tree : answer_code_catalogue()) names.push_back(tree.name);
  std::ranges::sort(names);
  const auto duplicates = std::ranges::unique(names);
  names.erase(duplicates.begin(), duplicates.end());
  return names;
}

std::optional<AntwortCode> antwort_code(std::string_view tree, std::string_view code) {
  const AnswerCodeTree* found = find_tree(tree);
  if (found == nullptr) return std::nullopt;
  const auto row = std::ranges::find(found->rows, code, &AnswerCodeRow::code);
  if (row == found->rows.end()) return std::nullopt;
  return convert(found->name, *row);
}

std::expected<std::vector<AntwortCode>, UnknownTreeError> antwort_codes(std::string_view tree) {
  const AnswerCodeTree* found = find_tree(tree);
  if (found == nullptr) return std::unexpected(UnknownTreeError{.tree = std::string(tree)});
  std::vector<AntwortCode> codes;
  codes.reserve(found->rows.size());
  for (const AnswerCodeRow& row : found->rows) codes.push_back(convert(found->name, row));
  return codes;
}

std::vector<AntwortCode> antwort_codes_of_obligation_tree(std::optional<std::string_view> ebd) {
  if (!ebd) return {};
  return antwort_codes(*ebd).value_or(std::vector<AntwortCode>{});
}

std::vector<AntwortCode> antwort_codes_for_pid(std::uint32_t trigger_pid) {
  const zelk_fristen::antwort::AntwortObligation* obligation = zelk_fristen::antwort::antwort_obligation(trigger_pid);
  if (obligation == nullptr) return {};
  return antwort_codes_of_obligation_tree(obligation->ebd);
}

}  // namespace quorvane_native::antwortcodes

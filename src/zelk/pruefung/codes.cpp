#include "zelk/pruefung/codes.hpp"

#include <array>

namespace zelk_pruefung::codes {
namespace {

struct WireCodelisteRow {
  std::string_view ebd;
  std::string_view zustimmung;
  std::string_view ablehnung;
};

constexpr std::array<WireCodelisteRow, 21> WireCodelisteTable{{
    {"E_0200", "S_0090", "S_0054"},
    {"E_0201", "S_0055", "S_0056"},
    {"E_0202", "S_0059", "S_0060"},
    {"E_0240", "S_0063", "S_0064"},
    {"E_0203", "S_0061", "S_0062"},
    {"E_0204", "S_0065", "S_0066"},
    {"E_0247", "S_0067", "S_0068"},
    {"E_0232", "S_0057", "S_0057"},
    {"E_2000", "G_0052", "G_0051"},
    {"E_2002", "G_0054", "G_0053"},
    {"E_2005", "G_0058", "G_0057"},
    {"E_2006", "G_0070", "G_0071"},
    {"E_2004", "G_0072", "G_0073"},
    {"E_2007", "G_0059", "G_0060"},
    {"E_2011", "G_0061", "G_0074"},
    {"E_2003", "G_0055", "G_0055"},
    {"E_2014", "G_0083", "G_0083"},
    {"E_2015", "G_0084", "G_0084"},
    {"E_2016", "G_0083", "G_0083"},
    {"E_2018", "G_0085", "G_0085"},
    {"E_2019", "G_0086", "G_0086"},
}};

}  // namespace

std::optional<std::string_view> wire_codeliste(std::string_view ebd, AnswerCluster cluster) {
  for (const WireCodelisteRow& row : WireCodelisteTable) {
    if (row.ebd != ebd) continue;
    switch (cluster) {
      case AnswerCluster::Zustimmung:
        return row.zustimmung;
      case AnswerCluster::Ablehnung:
        return row.ablehnung;
      default:
        return std::nullopt;
    }
  }
  return std::nullopt;
}

std::optional<CodelisteTree> tree_of_codeliste(std::string_view codeliste) {
  for (const WireCodelisteRow& row : WireCodelisteTable) {
    const bool one_list = row.zustimmung == row.ablehnung;
    if (row.zustimmung == codeliste) {
      return CodelisteTree{row.ebd, one_list ? std::nullopt : std::optional(AnswerCluster::Zustimmung)};
    }
    if (row.ablehnung == codeliste) return CodelisteTree{row.ebd, AnswerCluster::Ablehnung};
  }
  return std::nullopt;
}

}  // namespace zelk_pruefung::codes

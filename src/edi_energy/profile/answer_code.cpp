#include "edi_energy/profile/answer_code.hpp"

#include <algorithm>
#include <array>

#include "edi_energy/profile/skeleton/leaves.hpp"

namespace edi_energy::profile::answer_code {
namespace {

struct ClusterName {
  std::string_view text;
  Cluster cluster;
};

// Longer names first, so that a name is never read as the shorter one it begins with.
constexpr std::array cluster_names{
    ClusterName{"keine Änderung der Daten", Cluster::KeineAenderungDerDaten},
    ClusterName{"Keine Änderung der Daten", Cluster::KeineAenderungDerDaten},
    ClusterName{"Ablehnung der gesamten Liste", Cluster::AblehnungDerGesamtenListe},
    ClusterName{"Korrekturliste wegen Ablehnung", Cluster::KorrekturlisteWegenAblehnung},
    ClusterName{"Änderung der Daten", Cluster::AenderungDerDaten},
    ClusterName{"Zustimmung", Cluster::Zustimmung},
    ClusterName{"Ablehnung", Cluster::Ablehnung},
    ClusterName{"Abweisung", Cluster::Abweisung},
    ClusterName{"Reklamation", Cluster::Reklamation},
};

bool is_ascii_alnum(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9'); }

std::string_view skip_blanks_and_quotes(std::string_view text) {
  while (true) {
    if (text.starts_with(' ') || text.starts_with('"')) {
      text.remove_prefix(1);
    } else if (text.starts_with("„") || text.starts_with("“") || text.starts_with("”")) {
      text.remove_prefix(3);
    } else {
      return text;
    }
  }
}

std::optional<Cluster> cluster_after(std::string_view text) {
  text = skip_blanks_and_quotes(text);
  for (const ClusterName& name : cluster_names) {
    if (!text.starts_with(name.text)) continue;
    const std::string_view rest = text.substr(name.text.size());
    // "Ablehnungen" is no cluster name.
    if (!rest.empty() && (is_ascii_alnum(rest.front()) || static_cast<unsigned char>(rest.front()) >= 0x80)) {
      continue;
    }
    return name.cluster;
  }
  return std::nullopt;
}

}  // namespace

std::vector<Slot> slots(const model::SegmentNode& node) {
  const std::vector<skeleton::Leaf> all = skeleton::leaves(node);
  const auto place = [](const skeleton::Leaf& leaf) { return Place{leaf.element, leaf.component, leaf.occurrence}; };
  std::vector<Slot> found;
  for (std::size_t k = 0; k < all.size(); ++k) {
    const skeleton::Leaf& code = all[k];
    if (code.def->id != "9013" || code.parent == code.def) continue;
    for (std::size_t t = k + 1; t < all.size() && all[t].element == code.element; ++t) {
      if (all[t].def->id != "1131") continue;
      found.push_back(Slot{code.def->id, place(code), place(all[t]), false});
      break;
    }
  }
  const auto simple = [&](std::string_view id) {
    return std::ranges::find_if(all, [&](const skeleton::Leaf& leaf) { return leaf.def->id == id && leaf.parent == leaf.def; });
  };
  const auto reason = simple("4465");
  const auto tree = simple("1082");
  if (reason != all.end() && tree != all.end()) found.push_back(Slot{reason->def->id, place(*reason), place(*tree), true});
  return found;
}

std::optional<ClusterDemand> read_cluster_demand(std::string_view text) {
  while (text.starts_with(' ')) text.remove_prefix(1);
  const std::size_t at = text.find("Cluster");
  if (at == std::string_view::npos) return std::nullopt;
  const auto cluster = cluster_after(text.substr(at + std::string_view("Cluster").size()));
  if (!cluster) return std::nullopt;
  ClusterDemand demand{*cluster, text.starts_with("Wenn "), std::nullopt};
  constexpr std::string_view except = "Bis auf den Code ";
  if (text.starts_with(except)) {
    std::string_view code = text.substr(except.size());
    const auto end = std::ranges::find_if_not(code, is_ascii_alnum);
    code = code.substr(0, static_cast<std::size_t>(end - code.begin()));
    if (!code.empty()) demand.except = std::string(code);
  }
  return demand;
}

std::string_view cluster_text(Cluster cluster) {
  const auto named = std::ranges::find(cluster_names, cluster, &ClusterName::cluster);
  return named == cluster_names.end() ? std::string_view() : named->text;
}

bool fits(const antwortcodes::PublishedCode& code, std::span<const ClusterDemand> demands) {
  if (demands.empty()) return true;
  return std::ranges::any_of(demands, [&](const ClusterDemand& demand) {
    return demand.cluster == code.cluster && (!demand.except || *demand.except != code.code);
  });
}

std::optional<NamedTree> named_tree(std::string_view name) {
  if (antwortcodes::published_codes(name)) return NamedTree{name, std::nullopt};
  const auto listed = zelk_pruefung::codes::tree_of_codeliste(name);
  if (!listed || !antwortcodes::published_codes(listed->ebd)) return std::nullopt;
  return NamedTree{listed->ebd, listed->cluster};
}

std::optional<std::vector<std::string_view>> fitting_codes(std::string_view name,
                                                           std::span<const ClusterDemand> demands,
                                                           std::optional<Cluster> only) {
  const auto tree = named_tree(name);
  if (!tree) return std::nullopt;
  const std::span<const antwortcodes::PublishedCode> published = *antwortcodes::published_codes(tree->tree);
  std::vector<std::string_view> codes;
  for (const antwortcodes::PublishedCode& code : published) {
    if (tree->cluster && code.cluster != *tree->cluster) continue;
    if (only && code.cluster != *only) continue;
    if (fits(code, demands)) codes.push_back(code.code);
  }
  return codes;
}

std::optional<std::vector<std::string_view>> known_names(std::span<const std::string_view> listed) {
  if (listed.empty() || !std::ranges::all_of(listed, [](std::string_view name) { return named_tree(name).has_value(); })) {
    return std::nullopt;
  }
  return std::vector<std::string_view>(listed.begin(), listed.end());
}

}  // namespace edi_energy::profile::answer_code

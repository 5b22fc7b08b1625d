#include "edi_energy/builders/utilmd_sg8.hpp"

#include <algorithm>
#include <array>
#include <tuple>
#include <variant>
#include <vector>

#include "edi_energy/registry/shared_registry.hpp"

#include <fmt/format.h>

namespace edi_energy::builders::utilmd {
namespace {

struct Entry {
  std::size_t rank;
  std::size_t index;
  const Sg8Block* block;
  std::string field;
};

Result<void> write_item(MessageWriter& writer, const Sg8Item& item) {
  if (const auto* cci = std::get_if<Sg8Characteristic>(&item)) return writer.simple("CCI", {cci->a, "", cci->b});
  if (const auto* qty = std::get_if<Sg8Quantity>(&item)) {
    if (qty->c.empty()) return writer.composites("QTY", {{qty->a, qty->b}});
    return writer.composites("QTY", {{qty->a, qty->b, qty->c}});
  }
  if (const auto* rff = std::get_if<Sg8Reference>(&item)) return writer.composites("RFF", {{rff->a, rff->b}});
  const auto& cav = std::get<Sg8Value>(item);
  // Code, code list, an unused component, value, second value; empty ones at the end dropped.
  std::vector<std::string_view> components{cav.s0, cav.s1, "", cav.s2, cav.s3};
  while (components.size() > 1 && components.back().empty()) components.pop_back();
  const std::array<Components, 1> elements{components};
  return writer.composites("CAV", elements);
}

Result<void> write_block(MessageWriter& writer, const Sg8Block& block, const std::string& field) {
  writer.by(field);
  if (auto written = writer.simple("SEQ", {block.qualifier}); !written) return written;
  for (const Sg8Item& item : block.items) {
    writer.by(field);
    if (auto written = write_item(writer, item); !written) return written;
  }
  return {};
}

}  // namespace

Sg8Ranks sg8_ranks(const release::Release& release) {
  Sg8Ranks ranks;
  const auto& registry = registry::REGISTRY.get();
  const auto profile = std::ranges::find_if(registry->profiles(), [&](const profile::Profile* candidate) {
    return candidate->mig().message_type == "UTILMD" && candidate->release().text() == release.text();
  });
  if (profile == registry->profiles().end()) return ranks;
  std::size_t rank = 0;
  for (const auto& definition : (*profile)->structure().segment_defs) {
    if (definition.tag != "SEQ") continue;
    if (!definition.elements.empty()) {
      for (const auto& code : definition.elements.front().codes) ranks.emplace(code.code, rank);
    }
    ++rank;
  }
  return ranks;
}

std::size_t rank_of(const Sg8Ranks& ranks, std::string_view qualifier) {
  const auto found = ranks.find(qualifier);
  return found == ranks.end() ? UNKNOWN_RANK : found->second;
}

Result<void> emit_sg8(MessageWriter& writer, const UtilmdTransactionSpec& transaction, const Sg8Ranks& ranks,
                      std::size_t at) {
  Sg8Block z01{"Z01", {}};
  for (const auto& [class_type, characteristic] : transaction.z01_characteristics) {
    z01.items.emplace_back(Sg8Characteristic{class_type, characteristic});
  }
  std::vector<Entry> entries;
  for (std::size_t nth = 0; nth < transaction.sg8_blocks.size(); ++nth) {
    const Sg8Block& block = transaction.sg8_blocks[nth];
    if (block.qualifier == "Z01") {
      z01.items.insert(z01.items.end(), block.items.begin(), block.items.end());
    } else {
      entries.push_back({rank_of(ranks, block.qualifier), entries.size(), &block,
                         fmt::format("transactions[{}].sg8_blocks[{}]", at, nth)});
    }
  }
  // Characteristics given one by one and Z01 blocks become one block: no single one wrote it.
  if (!z01.items.empty()) {
    entries.push_back({rank_of(ranks, "Z01"), entries.size(), &z01, fmt::format("transactions[{}].z01", at)});
  }
  std::ranges::sort(entries, [](const Entry& a, const Entry& b) {
    return std::tie(a.rank, a.index) < std::tie(b.rank, b.index);
  });

  const std::size_t anchor = std::min(rank_of(ranks, "Z79"), rank_of(ranks, "Z22"));
  bool pakete_written = false;
  for (const Entry& entry : entries) {
    if (!pakete_written && entry.rank >= anchor) {
      pakete_written = true;
      if (auto written = emit_sg8_produktpakete(writer, transaction, at); !written) return written;
    }
    if (auto written = write_block(writer, *entry.block, entry.field); !written) return written;
  }
  if (!pakete_written) return emit_sg8_produktpakete(writer, transaction, at);
  return {};
}

Result<void> emit_sg8_produktpakete(MessageWriter& writer, const UtilmdTransactionSpec& transaction, std::size_t at) {
  if (transaction.time_series_reference) {
    const std::string field = fmt::format("transactions[{}].time_series_reference", at);
    writer.by(field);
    if (auto written = writer.simple("SEQ", {"Z22"}); !written) return written;
    writer.by(field);
    auto written = writer.composites("RFF", {{"AUU", *transaction.time_series_reference}});
    if (!written) return written;
  }
  const auto& pakete = transaction.produktpakete;
  for (std::size_t nth = 0; nth < pakete.size(); ++nth) {
    const auto& paket = pakete[nth];
    const std::string number = std::to_string(paket.number);
    const std::string field = fmt::format("transactions[{}].produktpakete[{}]", at, nth);
    for (const auto& entry : paket.entries) {
      writer.by(field);
      if (auto written = writer.simple("SEQ", {"Z79", number}); !written) return written;
      writer.by(field);
      if (auto written = writer.composites("PIA", {{"5"}, {entry.produkt_code, "Z11"}}); !written) return written;
      writer.by(field);
      if (auto written = writer.simple("CCI", {"Z66"}); !written) return written;
      if (entry.zh9) {
        writer.by(field);
        if (auto written = writer.composites("CAV", {{"ZH9", "", "", *entry.zh9}}); !written) return written;
      }
      if (entry.zv4) {
        writer.by(field);
        if (auto written = writer.composites("CAV", {{"ZV4", "", "", *entry.zv4}}); !written) return written;
      }
    }
  }
  // First to fifth priority; a single package needs none.
  constexpr std::array<std::string_view, 5> priorities{"Z75", "Z76", "Z77", "Z78", "Z79"};
  for (std::size_t i = 0; i < pakete.size(); ++i) {
    const std::string field = fmt::format("transactions[{}].produktpakete[{}]", at, i);
    writer.by(field);
    if (auto written = writer.simple("SEQ", {"ZH0", std::to_string(pakete[i].number)}); !written) return written;
    const std::string_view application = pakete[i].partial ? "Z02" : "Z01";
    writer.by(field);
    if (auto written = writer.simple("CCI", {"Z65", "", "", application}); !written) return written;
    if (pakete.size() > 1 && i < priorities.size()) {
      writer.by(field);
      if (auto written = writer.simple("CAV", {priorities[i]}); !written) return written;
    }
  }
  return {};
}

}  // namespace edi_energy::builders::utilmd

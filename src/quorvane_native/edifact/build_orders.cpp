#include "quorvane_native/edifact/plain_builds.hpp"

#include <fmt/format.h>
#include <fmt/ranges.h>

#include <algorithm>
#include <array>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "edi_energy/builders/orders.hpp"
#include "edi_energy/builders/ordrsp.hpp"
#include "edi_energy/profile/profile.hpp"
#include "quorvane_native/edifact/build_pipeline.hpp"
#include "quorvane_native/edifact/column_places.hpp"
#include "quorvane_native/edifact/plain_build_steps.hpp"
#include "quorvane_native/pids/release_resolution.hpp"
#include "quorvane_native/py/convert.hpp"
#include "quorvane_native/edifact/date_argument.hpp"
#include "support/debug_quote.hpp"

namespace quorvane_native::edifact {

using edi_energy::message_type::MessageType;

namespace {

// What `item_description` asks for: a DE 7081 code, or (True, or a text that is no code) the
// IMD the column has for it with the code completion would choose.
struct ItemDescription {
  std::string text;
  bool flag = false;
};

std::string label_of(MessageType type, const edi_energy::release::Release& release, std::uint32_t pruefidentifikator) {
  return fmt::format("{} {} ({})", edi_energy::message_type::unh_code(type), pruefidentifikator, release.text());
}

// Whether some IMD of the profile's MIG names `code` in DE 7081, used by a column or not.
bool is_imd_code(const edi_energy::profile::Profile& profile, std::string_view code) {
  const auto& structure = profile.structure();
  return std::ranges::any_of(structure.nodes, [&](const auto& node) {
    const auto* segment = node.segment();
    return segment != nullptr && segment->tag == "IMD" &&
           lists_code(structure.segment_defs[segment->def].elements, "7081", code);
  });
}

// The same over every profile of the message type, for a release none of them carries.
bool is_known_imd_code(MessageType type, std::string_view code) {
  return std::ranges::any_of(pids::shared_registry()->profiles(), [&](const auto* profile) {
    return profile->message_type() == type && is_imd_code(*profile, code);
  });
}

py::Failure no_imd(const ItemDescription& given, std::string_view label) {
  if (given.flag) {
    return py::value_error(fmt::format("item_description asks for an IMD, but {} has none in its column", label));
  }
  return py::value_error(fmt::format("item_description {} is not a DE 7081 code of {}; its column admits no IMD",
                                     support::debug_quote(given.text), label));
}

// The header IMD the column has beside the Abonnement's (the MIG's first), with the first code
// the column admits there; the Abonnement's own when it is the only one and `abonnement` does
// not fill it, and none more when it does.
py::Expected<std::optional<std::string>> column_imd_code(const ColumnRef& column, const ItemDescription& given,
                                                         bool abonnement, std::string_view label) {
  const auto& nodes = column.profile->structure().nodes;
  std::optional<NodeIndex> abonnement_node;
  std::vector<NodeIndex> candidates;
  for (NodeIndex node = 0; node < nodes.size(); ++node) {
    const auto* segment = nodes[node].segment();
    if (segment == nullptr || segment->tag != "IMD" || nodes[node].parent) continue;
    if (!abonnement_node) {
      abonnement_node = node;
      if (abonnement || !column_uses(column, segment->nr)) continue;
    }
    if (column_uses(column, segment->nr)) candidates.push_back(node);
  }
  if (candidates.size() > 1 && candidates.front() == abonnement_node) candidates.erase(candidates.begin());
  for (NodeIndex node : candidates) {
    const auto codes = column_codes(column, nr_of(column, node), "7081");
    if (!codes.codes.empty()) return std::optional(codes.codes.front());
  }
  if (abonnement && abonnement_node && column_uses(column, nr_of(column, *abonnement_node))) {
    return std::optional<std::string>();
  }
  return no_imd(given, label);
}

// The code `item_description` writes: a code an IMD of the column admits, as given; a code of
// the message's IMDs that the column does not admit is refused, any other text is a request.
py::Expected<std::optional<std::string>> item_description_code(MessageType type,
                                                               const edi_energy::release::Release& release,
                                                               std::uint32_t pruefidentifikator,
                                                               const ItemDescription& given,
                                                               const std::optional<std::string>& abonnement) {
  const auto column = column_of(type, release, pruefidentifikator);
  const auto label = label_of(type, release, pruefidentifikator);
  if (!column) {
    // Without a column no IMD can be chosen: a code is written as given, any other text asks for
    // the column's IMD and so writes none.
    if (!given.flag) {
      if (is_known_imd_code(type, given.text)) return std::optional(given.text);
      return std::optional<std::string>();
    }
    return py::value_error(fmt::format("item_description asks for the IMD of the column, but no profile of {} "
                                       "carries the release — pass its DE 7081 code",
                                       label));
  }
  if (given.flag || !is_imd_code(*column->profile, given.text)) {
    return column_imd_code(*column, given, abonnement.has_value(), label);
  }
  std::vector<std::string> admitted;
  for (NodeIndex node : used_segments(*column, "IMD")) {
    const auto codes = column_codes(*column, nr_of(*column, node), "7081");
    if (codes.any || std::ranges::find(codes.codes, given.text) != codes.codes.end()) return std::optional(given.text);
    admitted.insert(admitted.end(), codes.codes.begin(), codes.codes.end());
  }
  if (admitted.empty()) return no_imd(given, label);
  return py::value_error(fmt::format("item_description {} is not a DE 7081 code of {}; its column admits {}",
                                     support::debug_quote(given.text), label, fmt::join(admitted, ", ")));
}

// The FTX the ORDRSP writes stands beside the AJT, in its group, and carries the reason alone as
// its DE 4451: the column must use an FTX there that takes that code and asks for no text (DE
// 4440), which completion would otherwise fill with a sample.
py::Status check_adjustment_reason(const edi_energy::release::Release& release, std::uint32_t pruefidentifikator,
                                   const std::string& reason) {
  const auto column = column_of(MessageType::Ordrsp, release, pruefidentifikator);
  if (!column) return {};
  const auto& nodes = column->profile->structure().nodes;
  std::vector<std::string> texts;
  for (NodeIndex ajt : used_segments(*column, "AJT")) {
    if (!nodes[ajt].parent) continue;
    for (NodeIndex child : nodes[*nodes[ajt].parent].children) {
      const auto* segment = nodes[child].segment();
      if (segment == nullptr || segment->tag != "FTX" || !column_uses(*column, segment->nr)) continue;
      const auto codes = column_codes(*column, segment->nr, "4451");
      if (column_codes(*column, segment->nr, "4440").listed) {
        for (const auto& code : codes.codes) texts.push_back(fmt::format("FTX+{}", code));
        continue;
      }
      if (admits_qualifier(*column, child, reason) && admits_code(codes, reason)) return {};
    }
  }
  return py::value_error(fmt::format(
      "adjustment_reason {} has no place in {}: beside the AJT its column admits {}", support::debug_quote(reason),
      label_of(MessageType::Ordrsp, release, pruefidentifikator),
      texts.empty() ? std::string("no FTX")
                    : fmt::format("only {} with a free text (DE 4440), which adjustment_reason does not carry",
                                  fmt::join(texts, ", "))));
}

}  // namespace

py::Result build_orders(py::Args args) {
  auto pruefidentifikator = py::to_u32(args[0]);
  if (!pruefidentifikator) return py::propagate(pruefidentifikator);
  auto sender = py::to_str(args[1]);
  if (!sender) return py::propagate(sender);
  auto receiver = py::to_str(args[2]);
  if (!receiver) return py::propagate(receiver);
  auto location = py::to_optional_str(args[3]);
  if (!location) return py::propagate(location);
  auto abonnement = py::to_optional_str(args[4]);
  if (!abonnement) return py::propagate(abonnement);
  auto ausfuehrungsdatum = py::to_optional_str(args[5]);
  if (!ausfuehrungsdatum) return py::propagate(ausfuehrungsdatum);
  auto on = py::to_optional_str(args[6]);
  if (!on) return py::propagate(on);
  auto release_text = py::to_optional_str(args[7]);
  if (!release_text) return py::propagate(release_text);
  auto document_code = py::to_optional_str(args[8]);
  if (!document_code) return py::propagate(document_code);
  auto document_id = py::to_optional_str(args[9]);
  if (!document_id) return py::propagate(document_id);
  auto references = py::to_list_or_empty(args[10], py::from::str_pair);
  if (!references) return py::propagate(references);
  auto item_description = py::to_optional_str(args[11]);
  if (!item_description) return py::propagate(item_description);
  auto message_ref = py::to_str(args[12]);
  if (!message_ref) return py::propagate(message_ref);
  auto document_date_text = py::to_optional_str(args[13]);
  if (!document_date_text) return py::propagate(document_date_text);

  auto release = pids::resolve_release(MessageType::Orders, view_of(*release_text), view_of(*on), std::nullopt);
  if (!release) return py::propagate(release);

  if (column_of(MessageType::Orders, *release, *pruefidentifikator)) {
    const std::optional<std::string> reference = *message_ref;
    if (auto given = refuse_empty_texts({{"location", &*location}, {"abonnement", &*abonnement},
                                         {"ausfuehrungsdatum", &*ausfuehrungsdatum}, {"document_code", &*document_code},
                                         {"document_id", &*document_id}, {"item_description", &*item_description},
                                         {"message_ref", &reference}});
        !given) {
      return py::propagate(given);
    }
    if (auto given = refuse_empty_pairs("references", *references, "qualifier", "value"); !given) {
      return py::propagate(given);
    }
  }
  auto builder = edi_energy::builders::orders::OrdersBuilder(*release)
                     .sender(std::move(*sender))
                     .receiver(std::move(*receiver))
                     .pruefidentifikator(*pruefidentifikator)
                     .message_reference(*message_ref);
  if (*location) builder = std::move(builder).location(std::move(**location));
  if (*abonnement) builder = std::move(builder).abonnement(**abonnement);
  if (auto given = require_optional_date("ausfuehrungsdatum", *ausfuehrungsdatum); !given) {
    return py::propagate(given);
  }
  if (*ausfuehrungsdatum) builder = std::move(builder).ausfuehrungsdatum(std::move(**ausfuehrungsdatum));
  if (!*document_code) *document_code = column_bgm_code(MessageType::Orders, *release, *pruefidentifikator);
  if (*document_code) builder = std::move(builder).document_code(std::move(**document_code));
  if (*document_id) builder = std::move(builder).document_id(std::move(**document_id));
  for (auto& [qualifier, value] : *references) builder = std::move(builder).reference(std::move(qualifier), std::move(value));
  if (*item_description) {
    auto code = item_description_code(MessageType::Orders, *release, *pruefidentifikator,
                                      ItemDescription{std::move(**item_description)}, *abonnement);
    if (!code) return py::propagate(code);
    if (*code) builder = std::move(builder).item_description(std::move(**code));
  }
  auto document_date = document_date_for(view_of(*document_date_text), view_of(*on));
  if (!document_date) return py::propagate(document_date);
  if (*document_date) builder = std::move(builder).document_date(std::move(**document_date));

  constexpr std::array<Rename, 1> renames{{{"message_reference", "message_ref"}}};
  return complete_written(std::move(builder).written(), args, renames, MessageType::Orders, *release,
                          *pruefidentifikator);
}

py::Result build_ordrsp(py::Args args) {
  auto pruefidentifikator = py::to_u32(args[0]);
  if (!pruefidentifikator) return py::propagate(pruefidentifikator);
  auto sender = py::to_str(args[1]);
  if (!sender) return py::propagate(sender);
  auto receiver = py::to_str(args[2]);
  if (!receiver) return py::propagate(receiver);
  auto antwort_code = py::to_optional_str(args[3]);
  if (!antwort_code) return py::propagate(antwort_code);
  auto antwort_ebd = py::to_optional_str(args[4]);
  if (!antwort_ebd) return py::propagate(antwort_ebd);
  auto on = py::to_optional_str(args[5]);
  if (!on) return py::propagate(on);
  auto release_text = py::to_optional_str(args[6]);
  if (!release_text) return py::propagate(release_text);
  auto abonnement = py::to_optional_str(args[7]);
  if (!abonnement) return py::propagate(abonnement);
  auto adjustment_reason = py::to_optional_str(args[8]);
  if (!adjustment_reason) return py::propagate(adjustment_reason);
  auto document_code = py::to_optional_str(args[9]);
  if (!document_code) return py::propagate(document_code);
  auto document_id = py::to_optional_str(args[10]);
  if (!document_id) return py::propagate(document_id);
  auto references = py::to_list_or_empty(args[11], py::from::str_pair);
  if (!references) return py::propagate(references);
  auto line_item = py::to_bool(args[12]);
  if (!line_item) return py::propagate(line_item);
  // False, once the flag's default, still means none; True asks for the column's IMD.
  const bool item_flag = args[13].object == Py_True;
  auto item_description = args[13].object == Py_False || item_flag
                              ? py::Expected<std::optional<std::string>>(std::nullopt)
                              : py::to_optional_str(args[13]);
  if (!item_description) return py::propagate(item_description);
  auto message_ref = py::to_str(args[14]);
  if (!message_ref) return py::propagate(message_ref);
  auto document_date_text = py::to_optional_str(args[15]);
  if (!document_date_text) return py::propagate(document_date_text);

  auto release = pids::resolve_release(MessageType::Ordrsp, view_of(*release_text), view_of(*on), std::nullopt);
  if (!release) return py::propagate(release);

  if (column_of(MessageType::Ordrsp, *release, *pruefidentifikator)) {
    // Every column names the Entscheidungsbaum of the AJT: an empty EBD would become its sample.
    const std::optional<std::string> reference = *message_ref;
    if (auto given = refuse_empty_texts({{"antwort_code", &*antwort_code}, {"antwort_ebd", &*antwort_ebd},
                                         {"abonnement", &*abonnement}, {"adjustment_reason", &*adjustment_reason},
                                         {"document_code", &*document_code}, {"document_id", &*document_id},
                                         {"item_description", &*item_description}, {"message_ref", &reference}});
        !given) {
      return py::propagate(given);
    }
    if (auto given = refuse_empty_pairs("references", *references, "qualifier", "value"); !given) {
      return py::propagate(given);
    }
  }
  auto builder = edi_energy::builders::ordrsp::OrdrespBuilder(*release)
                     .sender(std::move(*sender))
                     .receiver(std::move(*receiver))
                     .pruefidentifikator(*pruefidentifikator);
  // The same numeric code lives in several trees: a code without its tree names nothing.
  if (antwort_code->has_value() != antwort_ebd->has_value()) {
    return py::value_error(
        "an ORDRSP adjustment needs both antwort_code and antwort_ebd:                  DE 1082 names the "
        "Entscheidungsbaum the code belongs to, and the                  same numeric code lives in several trees");
  }
  if (*antwort_code) {
    builder = std::move(builder).antwortcode(std::move(**antwort_code)).antwort_ebd(std::move(**antwort_ebd));
  }
  builder = std::move(builder).message_reference(*message_ref);
  if (*abonnement) builder = std::move(builder).abonnement(**abonnement);
  if (*adjustment_reason) {
    if (auto placed = check_adjustment_reason(*release, *pruefidentifikator, **adjustment_reason); !placed) {
      return py::propagate(placed);
    }
    builder = std::move(builder).adjustment_reason(std::move(**adjustment_reason));
  }
  if (!*document_code) *document_code = column_bgm_code(MessageType::Ordrsp, *release, *pruefidentifikator);
  if (*document_code) builder = std::move(builder).document_code(std::move(**document_code));
  if (*document_id) builder = std::move(builder).document_id(std::move(**document_id));
  for (auto& [qualifier, value] : *references) builder = std::move(builder).reference(std::move(qualifier), std::move(value));
  if (*line_item) builder = std::move(builder).line_item(true);
  if (*item_description || item_flag) {
    auto code = item_description_code(MessageType::Ordrsp, *release, *pruefidentifikator,
                                      ItemDescription{item_description->value_or(""), item_flag}, *abonnement);
    if (!code) return py::propagate(code);
    if (*code) builder = std::move(builder).item_description(std::move(**code));
  }
  auto document_date = document_date_for(view_of(*document_date_text), view_of(*on));
  if (!document_date) return py::propagate(document_date);
  if (*document_date) builder = std::move(builder).document_date(std::move(**document_date));

  constexpr std::array<Rename, 2> renames{{{"message_reference", "message_ref"}, {"antwortcode", "antwort_code"}}};
  return complete_written(std::move(builder).written(), args, renames, MessageType::Ordrsp, *release,
                          *pruefidentifikator);
}

}  // namespace quorvane_native::edifact

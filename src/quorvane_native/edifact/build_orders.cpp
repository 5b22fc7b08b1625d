#include "quorvane_native/edifact/plain_builds.hpp"

#include <fmt/format.h>
#include <fmt/ranges.h>

#include <algorithm>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "edi_energy/builders/orders.hpp"
#include "edi_energy/builders/ordrsp.hpp"
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

// An IMD code is written only where an IMD of the column admits it.
py::Status check_imd_code(const ColumnRef& column, std::string_view argument, const std::string& code,
                          std::string_view label) {
  std::vector<std::string> admitted;
  for (NodeIndex node : used_segments(column, "IMD")) {
    const auto codes = column_codes(column, nr_of(column, node), "7081");
    if (codes.any || std::ranges::find(codes.codes, code) != codes.codes.end()) return {};
    admitted.insert(admitted.end(), codes.codes.begin(), codes.codes.end());
  }
  return py::value_error(fmt::format("{} {} is not a DE 7081 code of {}; its column admits {}", argument, support::debug_quote(code),
                                     label, admitted.empty() ? std::string("no IMD") : fmt::format("{}", fmt::join(admitted, ", "))));
}

// `item_description` is written only where an IMD of the Prüfidentifikator's column admits it.
py::Status check_item_description(MessageType type, const edi_energy::release::Release& release,
                                  std::uint32_t pruefidentifikator, const std::string& code) {
  const auto column = column_of(type, release, pruefidentifikator);
  if (!column) return {};
  return check_imd_code(*column, "item_description", code,
                        fmt::format("{} {} ({})", edi_energy::message_type::unh_code(type), pruefidentifikator,
                                    release.text()));
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
  }
  auto builder = edi_energy::builders::orders::OrdersBuilder(*release)
                     .sender(std::move(*sender))
                     .receiver(std::move(*receiver))
                     .pruefidentifikator(*pruefidentifikator)
                     .message_reference(*message_ref);
  if (*location) builder = std::move(builder).location(std::move(**location));
  if (*abonnement) builder = std::move(builder).abonnement(std::move(**abonnement));
  if (auto given = require_optional_date("ausfuehrungsdatum", *ausfuehrungsdatum); !given) {
    return py::propagate(given);
  }
  if (*ausfuehrungsdatum) builder = std::move(builder).ausfuehrungsdatum(std::move(**ausfuehrungsdatum));
  if (!*document_code) *document_code = column_bgm_code(MessageType::Orders, *release, *pruefidentifikator);
  if (*document_code) builder = std::move(builder).document_code(std::move(**document_code));
  if (*document_id) builder = std::move(builder).document_id(std::move(**document_id));
  for (auto& [qualifier, value] : *references) builder = std::move(builder).reference(std::move(qualifier), std::move(value));
  if (*item_description) {
    if (auto admitted = check_item_description(MessageType::Orders, *release, *pruefidentifikator, **item_description);
        !admitted) {
      return py::propagate(admitted);
    }
    builder = std::move(builder).item_description(std::move(**item_description));
  }
  auto document_date = document_date_for(view_of(*document_date_text), view_of(*on));
  if (!document_date) return py::propagate(document_date);
  if (*document_date) builder = std::move(builder).document_date(std::move(**document_date));

  return complete_written(std::move(builder).serialize(), MessageType::Orders, *release, *pruefidentifikator);
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
  // False, once the flag's default, still means none.
  auto item_description = args[13].object == Py_False ? py::Expected<std::optional<std::string>>(std::nullopt)
                                                      : py::to_optional_str(args[13]);
  if (!item_description) return py::propagate(item_description);
  auto message_ref = py::to_str(args[14]);
  if (!message_ref) return py::propagate(message_ref);
  auto document_date_text = py::to_optional_str(args[15]);
  if (!document_date_text) return py::propagate(document_date_text);

  auto release = pids::resolve_release(MessageType::Ordrsp, view_of(*release_text), view_of(*on), std::nullopt);
  if (!release) return py::propagate(release);

  if (column_of(MessageType::Ordrsp, *release, *pruefidentifikator)) {
    // An empty EBD is meaningful (the AJT is written without it), so it is not refused.
    const std::optional<std::string> reference = *message_ref;
    if (auto given = refuse_empty_texts({{"antwort_code", &*antwort_code}, {"abonnement", &*abonnement},
                                         {"adjustment_reason", &*adjustment_reason},
                                         {"document_code", &*document_code}, {"document_id", &*document_id},
                                         {"item_description", &*item_description}, {"message_ref", &reference}});
        !given) {
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
  if (*abonnement) builder = std::move(builder).abonnement(std::move(**abonnement));
  if (*adjustment_reason) builder = std::move(builder).adjustment_reason(std::move(**adjustment_reason));
  if (!*document_code) *document_code = column_bgm_code(MessageType::Ordrsp, *release, *pruefidentifikator);
  if (*document_code) builder = std::move(builder).document_code(std::move(**document_code));
  if (*document_id) builder = std::move(builder).document_id(std::move(**document_id));
  for (auto& [qualifier, value] : *references) builder = std::move(builder).reference(std::move(qualifier), std::move(value));
  if (*line_item) builder = std::move(builder).line_item(true);
  if (*item_description) {
    if (auto admitted = check_item_description(MessageType::Ordrsp, *release, *pruefidentifikator, **item_description);
        !admitted) {
      return py::propagate(admitted);
    }
    builder = std::move(builder).item_description(std::move(**item_description));
  }
  auto document_date = document_date_for(view_of(*document_date_text), view_of(*on));
  if (!document_date) return py::propagate(document_date);
  if (*document_date) builder = std::move(builder).document_date(std::move(**document_date));

  return complete_written(std::move(builder).serialize(), MessageType::Ordrsp, *release, *pruefidentifikator);
}

}  // namespace quorvane_native::edifact

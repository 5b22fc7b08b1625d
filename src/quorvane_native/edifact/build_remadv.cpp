#include "quorvane_native/edifact/plain_builds.hpp"

#include <fmt/format.h>

#include <array>
#include <utility>

#include "edi_energy/builders/remadv.hpp"
#include "quorvane_native/edifact/build_pipeline.hpp"
#include "quorvane_native/edifact/input_classes.hpp"
#include "quorvane_native/edifact/plain_build_steps.hpp"
#include "quorvane_native/pids/release_resolution.hpp"
#include "quorvane_native/py/convert.hpp"
#include "quorvane_native/edifact/date_argument.hpp"

namespace quorvane_native::edifact {

namespace {

using edi_energy::builders::remadv::Abweichungsgrund;
using edi_energy::message_type::MessageType;

constexpr std::array<Rename, 7> renames{{
    {"message_reference", "message_ref"},
    {"currency", "waehrung"},
    {"rechnungsbezug.dokumentenart", "dokumentenart"},
    {"rechnungsbezug.rechnungsnummer", "rechnungsnummer"},
    {"rechnungsbezug.faelliger_betrag", "faelliger_betrag"},
    {"rechnungsbezug.ueberweisungsbetrag", "ueberweisungsbetrag"},
    {"rechnungsbezug.rechnungsdatum", "rechnungsdatum"},
}};

std::vector<Abweichungsgrund> gruende_of(StringPairs pairs) {
  std::vector<Abweichungsgrund> gruende;
  gruende.reserve(pairs.size());
  for (auto& [code, ebd] : pairs) gruende.push_back(Abweichungsgrund{std::move(code), std::move(ebd)});
  return gruende;
}

}  // namespace

py::Result build_remadv(py::Args args) {
  auto pruefidentifikator = py::to_u32(args[0]);
  if (!pruefidentifikator) return py::propagate(pruefidentifikator);
  auto sender = py::to_str(args[1]);
  if (!sender) return py::propagate(sender);
  auto receiver = py::to_str(args[2]);
  if (!receiver) return py::propagate(receiver);
  auto rechnungsnummer = py::to_str(args[3]);
  if (!rechnungsnummer) return py::propagate(rechnungsnummer);
  auto faelliger_betrag = py::to_str(args[4]);
  if (!faelliger_betrag) return py::propagate(faelliger_betrag);
  auto ueberweisungsbetrag = py::to_str(args[5]);
  if (!ueberweisungsbetrag) return py::propagate(ueberweisungsbetrag);
  auto rechnungsdatum = py::to_str(args[6]);
  if (!rechnungsdatum) return py::propagate(rechnungsdatum);
  auto dokumentenart = py::to_str(args[7]);
  if (!dokumentenart) return py::propagate(dokumentenart);
  auto on = py::to_optional_str(args[8]);
  if (!on) return py::propagate(on);
  auto release_text = py::to_optional_str(args[9]);
  if (!release_text) return py::propagate(release_text);
  auto kopf_gruende = py::to_list_or_empty(args[10], py::from::str_pair);
  if (!kopf_gruende) return py::propagate(kopf_gruende);
  auto positionsfehler = py::to_list_or_empty(args[11], positionsfehler_of);
  if (!positionsfehler) return py::propagate(positionsfehler);
  auto waehrung = py::to_optional_str(args[12]);
  if (!waehrung) return py::propagate(waehrung);
  auto message_ref = py::to_str(args[13]);
  if (!message_ref) return py::propagate(message_ref);
  auto document_id = py::to_optional_str(args[14]);
  if (!document_id) return py::propagate(document_id);
  auto document_date_text = py::to_optional_str(args[15]);
  if (!document_date_text) return py::propagate(document_date_text);

  for (const auto& [argument, text] : {std::pair<std::string_view, const std::string&>{"rechnungsnummer", *rechnungsnummer},
                                      {"faelliger_betrag", *faelliger_betrag},
                                      {"ueberweisungsbetrag", *ueberweisungsbetrag},
                                      {"rechnungsdatum", *rechnungsdatum}}) {
    if (auto given = refuse_empty(argument, text); !given) return py::propagate(given);
  }
  if (auto given = require_date("rechnungsdatum", *rechnungsdatum); !given) return py::propagate(given);
  auto release = pids::resolve_release(MessageType::Remadv, view_of(*release_text), view_of(*on), std::nullopt);
  if (!release) return py::propagate(release);

  if (column_of(MessageType::Remadv, *release, *pruefidentifikator)) {
    const std::optional<std::string> reference = *message_ref;
    const std::optional<std::string> art = *dokumentenart;
    if (auto given = refuse_empty_texts({{"dokumentenart", &art}, {"waehrung", &*waehrung},
                                         {"document_id", &*document_id}, {"message_ref", &reference}});
        !given) {
      return py::propagate(given);
    }
    if (auto given = refuse_empty_pairs("kopf_gruende", *kopf_gruende, "Antwortcode", "EBD"); !given) {
      return py::propagate(given);
    }
    for (const auto& position : *positionsfehler) {
      if (auto given = refuse_empty_fields(position, fmt::format("positionsfehler[{}]", position.positionsnummer));
          !given) {
        return py::propagate(given);
      }
    }
  }
  auto builder = edi_energy::builders::remadv::RemadvBuilder(*release)
                     .sender(std::move(*sender))
                     .receiver(std::move(*receiver))
                     .pruefidentifikator(*pruefidentifikator)
                     .message_reference(*message_ref)
                     .rechnungsbezug({std::move(*dokumentenart), std::move(*rechnungsnummer),
                                      std::move(*faelliger_betrag), std::move(*ueberweisungsbetrag),
                                      std::move(*rechnungsdatum)});
  if (*document_id) builder = std::move(builder).document_id(std::move(**document_id));
  // A Zahlungsavis carries another document code than a Rückmeldung; the column knows which.
  if (auto code = column_bgm_code(MessageType::Remadv, *release, *pruefidentifikator)) {
    builder = std::move(builder).document_code(std::move(*code));
  }
  auto document_date = document_date_for(view_of(*document_date_text), view_of(*on));
  if (!document_date) return py::propagate(document_date);
  if (*document_date) builder = std::move(builder).document_date(std::move(**document_date));
  if (*waehrung) builder = std::move(builder).currency(std::move(**waehrung));
  for (auto& [code, ebd] : *kopf_gruende) builder = std::move(builder).kopf_grund({std::move(code), std::move(ebd)});
  for (const auto& position : *positionsfehler) {
    if (!position.erlaeuterung) continue;
    auto latin1 = ensure_latin1(fmt::format("positionsfehler[{}].erlaeuterung", position.positionsnummer),
                                *position.erlaeuterung);
    if (!latin1) return py::propagate(latin1);
  }
  for (auto& position : *positionsfehler) {
    builder = std::move(builder).positionsfehler(
        {gruende_of(std::move(position.gruende)), std::move(position.erlaeuterung), position.positionsnummer});
  }

  return complete_written(std::move(builder).written(), args, renames, MessageType::Remadv, *release,
                          *pruefidentifikator);
}

}  // namespace quorvane_native::edifact

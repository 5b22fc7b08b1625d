#include "quorvane_native/edifact/plain_builds.hpp"

#include <utility>

#include "edi_energy/builders/iftsta.hpp"
#include "quorvane_native/edifact/build_pipeline.hpp"
#include "quorvane_native/edifact/plain_build_steps.hpp"
#include "quorvane_native/pids/release_resolution.hpp"
#include "quorvane_native/py/convert.hpp"

namespace quorvane_native::edifact {

using edi_energy::message_type::MessageType;

py::Result build_iftsta(py::Args args) {
  auto pruefidentifikator = py::to_u32(args[0]);
  if (!pruefidentifikator) return py::propagate(pruefidentifikator);
  auto sender = py::to_str(args[1]);
  if (!sender) return py::propagate(sender);
  auto receiver = py::to_str(args[2]);
  if (!receiver) return py::propagate(receiver);
  auto status = py::to_optional(args[3], to_pair);
  if (!status) return py::propagate(status);
  auto vorgangsnummer = py::to_optional_str(args[4]);
  if (!vorgangsnummer) return py::propagate(vorgangsnummer);
  auto order_reference = py::to_optional_str(args[5]);
  if (!order_reference) return py::propagate(order_reference);
  auto vertragsende = py::to_optional_str(args[6]);
  if (!vertragsende) return py::propagate(vertragsende);
  auto on = py::to_optional_str(args[7]);
  if (!on) return py::propagate(on);
  auto release_text = py::to_optional_str(args[8]);
  if (!release_text) return py::propagate(release_text);
  auto document_code = py::to_optional_str(args[9]);
  if (!document_code) return py::propagate(document_code);
  auto document_id = py::to_optional_str(args[10]);
  if (!document_id) return py::propagate(document_id);
  auto message_ref = py::to_str(args[11]);
  if (!message_ref) return py::propagate(message_ref);
  auto document_date_text = py::to_optional_str(args[12]);
  if (!document_date_text) return py::propagate(document_date_text);

  auto release = pids::resolve_release(MessageType::Iftsta, view_of(*release_text), view_of(*on), std::nullopt);
  if (!release) return py::propagate(release);

  auto builder = edi_energy::builders::iftsta::IftstaBuilder(*release)
                     .sender(std::move(*sender))
                     .receiver(std::move(*receiver))
                     .message_reference(*message_ref)
                     .pruefidentifikator(*pruefidentifikator);
  // The pair is DE 9015 and DE 4405; the builder's status reason is DE 9013, another field.
  if (*status) {
    builder = std::move(builder).status_category(std::move((*status)->first)).status(std::move((*status)->second));
  }
  if (*vorgangsnummer) builder = std::move(builder).vorgangsnummer(std::move(**vorgangsnummer));
  if (*order_reference) builder = std::move(builder).order_reference(std::move(**order_reference));
  if (*vertragsende) builder = std::move(builder).vertragsende(std::move(**vertragsende));
  if (!*document_code) *document_code = column_bgm_code(MessageType::Iftsta, *release, *pruefidentifikator);
  if (*document_code) builder = std::move(builder).document_code(std::move(**document_code));
  if (*document_id) builder = std::move(builder).document_id(std::move(**document_id));
  auto document_date = document_date_for(view_of(*document_date_text), view_of(*on));
  if (!document_date) return py::propagate(document_date);
  if (*document_date) builder = std::move(builder).document_date(std::move(**document_date));

  return complete_written(std::move(builder).serialize(), MessageType::Iftsta, *release, *pruefidentifikator);
}

}  // namespace quorvane_native::edifact

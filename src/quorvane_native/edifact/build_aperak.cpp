#include "quorvane_native/edifact/build_aperak.hpp"

#include <fmt/format.h>

#include <chrono>
#include <optional>
#include <string>
#include <utility>

#include "edi_energy/builders/aperak.hpp"
#include "edi_energy/message_type.hpp"
#include "quorvane_native/edifact/build_pipeline.hpp"
#include "quorvane_native/edifact/message_report.hpp"
#include "quorvane_native/edifact/received.hpp"
#include "quorvane_native/pids/release_resolution.hpp"
#include "quorvane_native/py/convert.hpp"
#include "quorvane_native/py/result.hpp"

namespace quorvane_native::edifact {

namespace {

using edi_energy::builders::Set;
using edi_energy::message_type::MessageType;
using Builder = edi_energy::builders::aperak::AperakBuilder<Set, Set>;

py::Expected<std::optional<std::uint32_t>> checked_pid(const std::optional<std::uint32_t>& pruefidentifikator) {
  if (!pruefidentifikator) return std::nullopt;
  auto checked = pid(static_cast<std::int64_t>(*pruefidentifikator));
  if (!checked) return py::propagate(checked);
  return std::optional(*checked);
}

// Serialised and completed to the column of the code the message carries, not of an argument.
py::Result finish(Builder builder, const edi_energy::release::Release& release) {
  auto bytes = std::move(builder).serialize();
  if (!bytes) return py::runtime_error(fmt::format("APERAK serialize failed: {}", bytes.error().message()));
  const std::uint32_t pruefidentifikator = aperak_pid(*bytes);
  auto completed = complete_to_column(std::move(*bytes), MessageType::Aperak, release, pruefidentifikator);
  if (!completed) return py::propagate(completed);
  return py::bytes(*completed);
}

std::string ccyymmdd(std::chrono::year_month_day date) {
  return fmt::format("{:04}{:02}{:02}", static_cast<int>(date.year()), static_cast<unsigned>(date.month()),
                     static_cast<unsigned>(date.day()));
}

}  // namespace

std::uint32_t aperak_pid(std::string_view message) {
  return message.find("BGM+312") != std::string_view::npos ? 29002 : 29001;
}

py::Result build_aperak(py::Args args) {
  auto sender = py::to_str(args[0]);
  if (!sender) return py::propagate(sender);
  auto receiver = py::to_str(args[1]);
  if (!receiver) return py::propagate(receiver);
  auto on = py::to_optional_str(args[2]);
  if (!on) return py::propagate(on);
  auto release_text = py::to_optional_str(args[3]);
  if (!release_text) return py::propagate(release_text);
  auto pruefidentifikator = py::to_optional(args[4], py::to_u32);
  if (!pruefidentifikator) return py::propagate(pruefidentifikator);
  auto acw_ref = py::to_optional_str(args[5]);
  if (!acw_ref) return py::propagate(acw_ref);
  auto error_code = py::to_optional_str(args[6]);
  if (!error_code) return py::propagate(error_code);
  auto error_text = py::to_optional_str(args[7]);
  if (!error_text) return py::propagate(error_text);
  auto message_ref = py::to_str(args[8]);
  if (!message_ref) return py::propagate(message_ref);
  auto document_date = py::to_optional_str(args[9]);
  if (!document_date) return py::propagate(document_date);
  auto document_code = py::to_optional_str(args[10]);
  if (!document_code) return py::propagate(document_code);

  auto release = pids::resolve_release(MessageType::Aperak, *release_text, *on, std::nullopt);
  if (!release) return py::propagate(release);
  Builder builder = edi_energy::builders::aperak::AperakBuilder<>(*release)
                        .sender(std::move(*sender))
                        .receiver(std::move(*receiver))
                        .message_ref(std::move(*message_ref));
  auto checked = checked_pid(*pruefidentifikator);
  if (!checked) return py::propagate(checked);
  if (*checked) builder = std::move(builder).pruefidentifikator(**checked);
  if (*acw_ref) builder = std::move(builder).referenced_message(std::move(**acw_ref));
  const bool has_error_code = error_code->has_value();
  if (has_error_code) builder = std::move(builder).error_code(std::move(**error_code));
  if (*error_text) {
    if (auto latin1 = ensure_latin1("error_text", **error_text); !latin1) return py::propagate(latin1);
    builder = std::move(builder).error_text(std::move(**error_text));
  }
  auto date = document_date_for(*document_date, *on);
  if (!date) return py::propagate(date);
  if (*date) builder = std::move(builder).document_date(std::move(**date));
  std::string code = *document_code ? std::move(**document_code) : std::string(has_error_code ? "313" : "312");
  builder = std::move(builder).document_code(std::move(code));
  return finish(std::move(builder), *release);
}

py::Result build_aperak_for(py::Args args) {
  auto received = py::to_bytes(args[0]);
  if (!received) return py::propagate(received);
  auto on = py::to_optional_str(args[1]);
  if (!on) return py::propagate(on);
  auto release_text = py::to_optional_str(args[2]);
  if (!release_text) return py::propagate(release_text);
  auto error_code = py::to_optional_str(args[3]);
  if (!error_code) return py::propagate(error_code);
  auto error_text = py::to_optional_str(args[4]);
  if (!error_text) return py::propagate(error_text);
  auto pruefidentifikator = py::to_optional(args[5], py::to_u32);
  if (!pruefidentifikator) return py::propagate(pruefidentifikator);
  auto message_ref = py::to_str(args[6]);
  if (!message_ref) return py::propagate(message_ref);
  auto message_index = py::to_u64(args[7]);
  if (!message_index) return py::propagate(message_index);

  auto release = pids::resolve_release(MessageType::Aperak, *release_text, *on, std::nullopt);
  if (!release) return py::propagate(release);
  auto parsed = parse_received(*received);
  if (!parsed) return py::propagate(parsed);
  auto envelope = received_message(*parsed, *message_index, "acknowledge");
  if (!envelope) return py::propagate(envelope);

  // Any message the interchange parse accepts can be acknowledged, whatever its type.
  auto context = (*envelope)->receipt_context();
  Builder builder = edi_energy::builders::aperak::AperakBuilder<>(*release)
                        .sender(std::move(context.recipient))
                        .receiver(std::move(context.sender))
                        .referenced_message(std::move(context.message_reference));
  if (context.prepared_on) builder = std::move(builder).document_date(ccyymmdd(*context.prepared_on));
  builder = std::move(builder).message_ref(std::move(*message_ref));
  auto checked = checked_pid(*pruefidentifikator);
  if (!checked) return py::propagate(checked);
  if (*checked) builder = std::move(builder).pruefidentifikator(**checked);
  if (*error_code) {
    builder = std::move(builder).error_code(std::move(**error_code)).document_code("313");
  } else {
    builder = std::move(builder).document_code("312");
  }
  if (*error_text) {
    if (auto latin1 = ensure_latin1("error_text", **error_text); !latin1) return py::propagate(latin1);
    builder = std::move(builder).error_text(std::move(**error_text));
  }
  return finish(std::move(builder), *release);
}

}  // namespace quorvane_native::edifact

#include "quorvane_native/edifact/build_contrl.hpp"

#include <fmt/format.h>

#include <optional>
#include <string>
#include <utility>

#include "edi_energy/builders/contrl.hpp"
#include "edi_energy/message_type.hpp"
#include "quorvane_native/edifact/given_text.hpp"
#include "quorvane_native/edifact/received.hpp"
#include "quorvane_native/pids/release_resolution.hpp"
#include "quorvane_native/py/convert.hpp"
#include "quorvane_native/py/result.hpp"

namespace quorvane_native::edifact {

namespace {

using edi_energy::builders::Set;
using edi_energy::message_type::MessageType;
using Builder = edi_energy::builders::contrl::ContrlBuilder<Set, Set>;

// The syntax error of a rejection when the caller names none.
constexpr std::string_view DEFAULT_SYNTAX_ERROR = "12";

Builder accepted_or_rejected(Builder builder, bool accept, std::optional<std::string> syntax_error) {
  if (accept) return std::move(builder).action_code("7").syntax_error(std::nullopt);
  return std::move(builder).reject(syntax_error ? std::move(*syntax_error) : std::string(DEFAULT_SYNTAX_ERROR));
}

py::Result finish(Builder builder) {
  auto bytes = std::move(builder).serialize();
  if (!bytes) return py::runtime_error(fmt::format("CONTRL serialize failed: {}", bytes.error().message()));
  return py::bytes(*bytes);
}

}  // namespace

py::Result build_contrl(py::Args args) {
  auto sender = py::to_str(args[0]);
  if (!sender) return py::propagate(sender);
  auto receiver = py::to_str(args[1]);
  if (!receiver) return py::propagate(receiver);
  auto interchange_ref = py::to_str(args[2]);
  if (!interchange_ref) return py::propagate(interchange_ref);
  auto on = py::to_optional_str(args[3]);
  if (!on) return py::propagate(on);
  auto release_text = py::to_optional_str(args[4]);
  if (!release_text) return py::propagate(release_text);
  auto accept = py::to_bool(args[5]);
  if (!accept) return py::propagate(accept);
  auto message_ref = py::to_str(args[6]);
  if (!message_ref) return py::propagate(message_ref);
  auto action_code = py::to_optional_str(args[7]);
  if (!action_code) return py::propagate(action_code);
  auto syntax_error = py::to_optional_str(args[8]);
  if (!syntax_error) return py::propagate(syntax_error);

  auto release = pids::resolve_release(MessageType::Contrl, *release_text, *on, std::nullopt);
  if (!release) return py::propagate(release);
  if (auto given = require_texts({{"sender", *sender},
                                  {"receiver", *receiver},
                                  {"interchange_ref", *interchange_ref},
                                  {"message_ref", *message_ref}});
      !given) {
    return py::propagate(given);
  }
  if (auto given = require_optional_texts({{"action_code", &*action_code}, {"syntax_error", &*syntax_error}}); !given) {
    return py::propagate(given);
  }
  Builder builder = edi_energy::builders::contrl::ContrlBuilder<>(*release)
                        .sender(std::move(*sender))
                        .receiver(std::move(*receiver))
                        .interchange_ref(std::move(*interchange_ref))
                        .message_ref(std::move(*message_ref));
  builder = accepted_or_rejected(std::move(builder), *accept, std::move(*syntax_error));
  if (*action_code) builder = std::move(builder).action_code(std::move(**action_code));
  return finish(std::move(builder));
}

py::Result build_contrl_for(py::Args args) {
  auto received = py::to_bytes(args[0]);
  if (!received) return py::propagate(received);
  auto on = py::to_optional_str(args[1]);
  if (!on) return py::propagate(on);
  auto release_text = py::to_optional_str(args[2]);
  if (!release_text) return py::propagate(release_text);
  auto accept = py::to_bool(args[3]);
  if (!accept) return py::propagate(accept);
  auto message_ref = py::to_str(args[4]);
  if (!message_ref) return py::propagate(message_ref);

  auto release = pids::resolve_release(MessageType::Contrl, *release_text, *on, std::nullopt);
  if (!release) return py::propagate(release);
  if (auto given = require_text("message_ref", *message_ref); !given) return py::propagate(given);
  // Only the UNB is read, but the whole interchange must parse, messages and UNZ included.
  auto parsed = parse_received(*received);
  if (!parsed) return py::propagate(parsed);
  const auto& header = parsed->header;
  Builder builder = edi_energy::builders::contrl::ContrlBuilder<>(*release)
                        .sender(header.recipient)
                        .receiver(header.sender)
                        .interchange_ref(header.control_ref)
                        .message_ref(std::move(*message_ref));
  return finish(accepted_or_rejected(std::move(builder), *accept, std::nullopt));
}

}  // namespace quorvane_native::edifact

#include "quorvane_native/edifact/build_aperak.hpp"

#include <fmt/format.h>
#include <fmt/ranges.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "edi_energy/builders/aperak.hpp"
#include "edi_energy/builders/read_back.hpp"
#include "edi_energy/interchange.hpp"
#include "edi_energy/message_type.hpp"
#include "edi_energy/profile/profile.hpp"
#include "quorvane_native/edifact/build_pipeline.hpp"
#include "quorvane_native/edifact/column_places.hpp"
#include "quorvane_native/edifact/given_text.hpp"
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

// The document code decides the column that completion fills (29001 or 29002); a
// Prüfidentifikator whose column prescribes another code would give a message no column accepts.
// A code the caller gave is named, since the Prüfidentifikator chose the column it must fit.
py::Status agrees_with_column(const std::optional<std::uint32_t>& pruefidentifikator, std::string_view code,
                              bool code_given, const edi_energy::release::Release& release) {
  if (!pruefidentifikator) return {};
  auto wanted = column_bgm_code(MessageType::Aperak, release, *pruefidentifikator);
  if (!wanted || *wanted == code) return {};
  if (code_given) {
    return py::value_error(fmt::format("document_code: the column of pruefidentifikator {} takes BGM {}, not {}",
                                       *pruefidentifikator, *wanted, code));
  }
  return py::value_error(fmt::format(
      "pruefidentifikator {}: its column takes BGM {}, but the arguments give BGM {} (an error_code selects 313, "
      "none 312)",
      *pruefidentifikator, *wanted, code));
}

// The error text rides an FTX+ABO; the column the document code selects must use one.
py::Status check_error_text(const std::optional<std::string>& error_text, std::string_view code,
                            const edi_energy::release::Release& release) {
  if (!error_text) return {};
  const std::uint32_t pruefidentifikator = aperak_pid(fmt::format("BGM+{}", code));
  const auto column = column_of(MessageType::Aperak, release, pruefidentifikator);
  if (!column) return {};
  std::vector<std::string> admitted;
  for (NodeIndex ftx : used_segments(*column, "FTX")) {
    const auto codes = column_codes(*column, nr_of(*column, ftx), "4451");
    if (admits_qualifier(*column, ftx, "ABO") && admits_code(codes, "ABO")) return {};
    admitted.insert(admitted.end(), codes.codes.begin(), codes.codes.end());
  }
  return py::value_error(fmt::format(
      "error_text has no place in APERAK {} ({}), the column of BGM {}: it admits {}", pruefidentifikator,
      release.text(), code,
      admitted.empty() ? std::string("no FTX") : fmt::format("FTX DE 4451 {}, not ABO", fmt::join(admitted, ", "))));
}

// Serialised and completed to the column of the code the message carries, not of an argument.
// What the caller gave under its own name; the parties (and what else) of a received message
// are `received`.
constexpr std::array<Rename, 2> given_renames{{{"message_reference", "message_ref"}, {"referenced_message", "acw_ref"}}};
constexpr std::array<Rename, 7> received_renames{{{"message_reference", "message_ref"},
                                                  {"sender", "received"},
                                                  {"receiver", "received"},
                                                  {"referenced_message", "received"},
                                                  {"ago_reference", "received"},
                                                  {"reference_date", "received"},
                                                  {"document_date", "received"}}};

py::Expected<std::string> completed(Builder builder, const edi_energy::release::Release& release, py::Args args,
                                    std::span<const Rename> renames) {
  auto written = std::move(builder).written();
  if (!written) return py::runtime_error(fmt::format("APERAK serialize failed: {}", written.error().message()));
  const std::uint32_t pruefidentifikator = aperak_pid(written->bytes);
  return complete_to_column(std::move(written->bytes), MessageType::Aperak, release, pruefidentifikator,
                            writers_of(written->sources, args, renames), std::nullopt);
}

py::Result finish(Builder builder, const edi_energy::release::Release& release, py::Args args,
                  std::span<const Rename> renames) {
  auto bytes = completed(std::move(builder), release, args, renames);
  if (!bytes) return py::propagate(bytes);
  return py::bytes(*bytes);
}

std::string ccyymmdd(std::chrono::year_month_day date) {
  return fmt::format("{:04}{:02}{:02}", static_cast<int>(date.year()), static_cast<unsigned>(date.month()),
                     static_cast<unsigned>(date.day()));
}

bool has_rff(const std::vector<edi_energy::profile::model::Node>& nodes, std::string_view qualifier) {
  for (const auto& node : nodes) {
    if (const auto* group = node.group()) {
      if (has_rff(group->children, qualifier)) return true;
    } else if (const auto* segment = node.segment();
               segment->tag == "RFF" && lists_code(segment->elements, "1153", qualifier)) {
      return true;
    }
  }
  return false;
}

// Whether the release's MIG has a place for RFF+ACW; a release that no profile carries keeps
// the full layout.
bool mig_has_acw(const edi_energy::release::Release& release) {
  for (const auto* profile : pids::shared_registry()->profiles()) {
    if (profile->message_type() == MessageType::Aperak && profile->release().text() == release.text()) {
      return has_rff(profile->mig().structure, "ACW");
    }
  }
  return true;
}

// The value of the first RFF with this qualifier in a message the builder wrote.
std::optional<std::string> rff_value(std::string_view message, std::string_view qualifier) {
  auto segments = edi_energy::builders::bytes_to_segments(message);
  if (!segments) return std::nullopt;
  for (const auto& segment : *segments) {
    if (segment.tag() != "RFF" || edi_energy::interchange::component_text(segment, 0, 0) != qualifier) continue;
    if (auto value = edi_energy::interchange::component_text(segment, 0, 1)) return std::string(*value);
  }
  return std::nullopt;
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
  if (auto given = require_optional_texts({{"acw_ref", &*acw_ref},
                                           {"error_code", &*error_code},
                                           {"error_text", &*error_text},
                                           {"document_date", &*document_date},
                                           {"document_code", &*document_code}});
      !given) {
    return py::propagate(given);
  }
  if (auto given = require_texts({{"sender", *sender}, {"receiver", *receiver}, {"message_ref", *message_ref}});
      !given) {
    return py::propagate(given);
  }
  auto checked = checked_pid(*pruefidentifikator);
  if (!checked) return py::propagate(checked);
  if (*error_text) {
    if (auto latin1 = ensure_latin1("error_text", **error_text); !latin1) return py::propagate(latin1);
  }
  auto date = document_date_for(*document_date, *on);
  if (!date) return py::propagate(date);
  const bool has_error_code = error_code->has_value();
  const std::string code = *document_code ? **document_code : std::string(has_error_code ? "313" : "312");
  if (auto agrees = agrees_with_column(*checked, code, document_code->has_value(), *release); !agrees) {
    return py::propagate(agrees);
  }
  if (auto placed = check_error_text(*error_text, code, *release); !placed) return py::propagate(placed);
  // The FTX+ABO stands in the error block that the ERC opens; completion would not open one for it.
  if (*error_text && !has_error_code && column_of(MessageType::Aperak, *release, aperak_pid("BGM+" + code))) {
    return py::value_error("error_text has no place without error_code: its FTX+ABO stands in the error block "
                           "that the ERC opens");
  }

  const auto make = [&](const std::optional<std::string>& referenced) {
    Builder builder = edi_energy::builders::aperak::AperakBuilder<>(*release)
                          .sender(*sender)
                          .receiver(*receiver)
                          .message_ref(*message_ref)
                          .writes_acw(mig_has_acw(*release))
                          .document_code(code);
    if (*checked) builder = std::move(builder).pruefidentifikator(**checked);
    if (referenced) builder = std::move(builder).referenced_message(*referenced);
    if (has_error_code) builder = std::move(builder).error_code(**error_code);
    if (*error_text) builder = std::move(builder).error_text(**error_text);
    if (*date) builder = std::move(builder).document_date(**date);
    return builder;
  };
  if (*acw_ref) return finish(make(*acw_ref), *release, args, given_renames);
  // Without a reference the column's sample stands for the acknowledged message; built again
  // with it, the reference date repeats the document date instead of the sample's date.
  auto sampled = completed(make(std::nullopt), *release, args, given_renames);
  if (!sampled) return py::propagate(sampled);
  auto reference = rff_value(*sampled, "ACE");
  if (!reference) return py::bytes(*sampled);
  return finish(make(std::move(reference)), *release, args, given_renames);
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
  if (auto given = require_optional_texts({{"error_code", &*error_code}, {"error_text", &*error_text}}); !given) {
    return py::propagate(given);
  }
  if (auto given = require_text("message_ref", *message_ref); !given) return py::propagate(given);
  auto parsed = parse_received(*received);
  if (!parsed) return py::propagate(parsed);
  auto envelope = received_message(*parsed, *message_index, "acknowledge");
  if (!envelope) return py::propagate(envelope);

  // Any message the interchange parse accepts can be acknowledged, whatever its type.
  auto context = (*envelope)->receipt_context();
  Builder builder = edi_energy::builders::aperak::AperakBuilder<>(*release)
                        .sender(std::move(context.recipient))
                        .receiver(std::move(context.sender))
                        .referenced_message(std::move(context.message_reference))
                        .writes_acw(mig_has_acw(*release));
  if (context.prepared_on) builder = std::move(builder).document_date(ccyymmdd(*context.prepared_on));
  // The message is named by its own document number and date where it has them (not CONTRL).
  if (context.document_number) builder = std::move(builder).ago_reference(std::move(*context.document_number));
  if (context.document_date) builder = std::move(builder).reference_date(std::move(*context.document_date));
  builder = std::move(builder).message_ref(std::move(*message_ref));
  auto checked = checked_pid(*pruefidentifikator);
  if (!checked) return py::propagate(checked);
  if (*checked) builder = std::move(builder).pruefidentifikator(**checked);
  if (auto agrees = agrees_with_column(*checked, *error_code ? "313" : "312", false, *release); !agrees) {
    return py::propagate(agrees);
  }
  if (*error_code) {
    builder = std::move(builder).error_code(std::move(**error_code)).document_code("313");
  } else {
    builder = std::move(builder).document_code("312");
  }
  if (*error_text) {
    if (auto latin1 = ensure_latin1("error_text", **error_text); !latin1) return py::propagate(latin1);
    if (auto placed = check_error_text(*error_text, *error_code ? "313" : "312", *release); !placed) {
      return py::propagate(placed);
    }
    builder = std::move(builder).error_text(std::move(**error_text));
  }
  return finish(std::move(builder), *release, args, received_renames);
}

}  // namespace quorvane_native::edifact

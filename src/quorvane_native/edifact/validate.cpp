#include "quorvane_native/edifact/validate.hpp"

#include <chrono>
#include <string>
#include <string_view>
#include <utility>

#include <fmt/format.h>

#include "edi_energy/platform/input_route.hpp"
#include "edi_energy/platform/input_segments.hpp"
#include "quorvane_native/edifact/message_report.hpp"
#include "quorvane_native/edifact/platform.hpp"
#include "quorvane_native/edifact/report_classes.hpp"
#include "quorvane_native/fristen/time_text.hpp"
#include "quorvane_native/py/convert.hpp"

namespace quorvane_native::edifact {
namespace {

py::Failure parse_failed(const edi_energy::Error& error) {
  return py::value_error("EDIFACT parse failed: " + error.message());
}

py::Expected<Envelope> envelope_of(const edi_energy::interchange::ParsedInterchange& parsed) {
  const auto& header = parsed.header;
  Envelope envelope{
      .sender_id = header.sender,
      .sender_qualifier = header.sender_qualifier,
      .receiver_id = header.recipient,
      .receiver_qualifier = header.recipient_qualifier,
      .control_ref = header.control_ref,
      .transmission_date = std::nullopt,
      .test_indicator = header.test_indicator,
      .message_count = parsed.messages.size(),
      .declared_message_count = parsed.unz_message_count,
      .is_structurally_valid = parsed.unz_message_count == parsed.unz_counted() &&
                               parsed.unz_control_ref == header.control_ref && parsed.envelope_sound,
  };
  if (header.prepared_at) {
    auto date = fristen::fmt_date(header.prepared_at->date);
    if (!date) return py::propagate(date);
    envelope.transmission_date = std::move(*date);
  }
  return envelope;
}

py::Result validate_interchange(const edi_energy::platform::Platform& platform, std::string_view raw,
                                std::chrono::year_month_day on) {
  auto parsed = platform.parse_interchange_full(raw);
  if (!parsed) return parse_failed(parsed.error());
  auto envelope = envelope_of(*parsed);
  if (!envelope) return py::propagate(envelope);

  ValidationReport report;
  report.is_valid = envelope->is_structurally_valid;
  report.messages.reserve(parsed->messages.size());
  for (std::size_t index = 0; index < parsed->messages.size(); ++index) {
    const auto& envelope_of_message = parsed->messages[index];
    auto message = report_for(index, envelope_of_message.message, on, envelope_of_message.envelope_findings,
                              MessageNaming::ByPosition);
    if (!message) return py::propagate(message);
    report.is_valid = report.is_valid && message->data->is_valid;
    report.messages.push_back(std::move(*message));
  }
  report.envelope = std::move(*envelope);
  return new_validation_report(std::move(report));
}

py::Result validate_bare_message(const edi_energy::platform::Platform& platform, std::string_view raw,
                                 std::chrono::year_month_day on) {
  // Input beyond the size limit is not scanned at all: the parse refuses it with the limit error.
  const bool within_limit = raw.size() <= edi_energy::platform::MAX_INPUT_BYTES;
  if (const std::size_t headers = within_limit ? edi_energy::platform::count_message_headers(raw) : 0; headers > 1) {
    return py::value_error(fmt::format("{} messages without a UNB envelope — wrap them with build_interchange(). "
                                       "Validating a bare blob would check only the first of them",
                                       headers));
  }
  auto parsed = platform.parse_bare(raw);
  if (!parsed) return parse_failed(parsed.error());
  auto message = report_for(0, parsed->message, on, parsed->envelope_findings);
  if (!message) return py::propagate(message);
  ValidationReport report;
  report.is_valid = message->data->is_valid;
  report.messages.push_back(std::move(*message));
  return new_validation_report(std::move(report));
}

}  // namespace

py::Result validate_edifact(py::Args args) {
  auto raw = py::to_bytes(args[0]);
  if (!raw) return py::propagate(raw);
  auto on_text = py::to_str(args[1]);
  if (!on_text) return py::propagate(on_text);
  auto on = fristen::parse_date(*on_text);
  if (!on) return py::propagate(on);
  const auto& platform = platform::PLATFORM.get();
  // A UNA ahead of the UNB is part of the interchange.
  if (edi_energy::platform::is_interchange(*raw)) return validate_interchange(platform, *raw, *on);
  return validate_bare_message(platform, *raw, *on);
}

}  // namespace quorvane_native::edifact

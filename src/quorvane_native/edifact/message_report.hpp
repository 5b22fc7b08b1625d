// One parsed message to its MessageReport: validated for a date, its findings classified, its
// UTILMD Vorgänge read back. Also the Prüfidentifikator range check that the builders share.
#pragma once

#include <Python.h>

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <span>

#include "edi_energy/any_message.hpp"
#include "quorvane_native/edifact/report_values.hpp"
#include "quorvane_native/py/args.hpp"
#include "quorvane_native/py/errors.hpp"

namespace quorvane_native::edifact {

// Whether the error of a message that cannot be validated names it: a message of an interchange
// by its index and UNH reference, the one bare message not at all.
enum class MessageNaming : std::uint8_t { None, ByPosition };

// RuntimeError "validation failed: {}" when the message cannot be validated (no profile for its
// release, a broken envelope of its own), which is not a finding. `envelope_findings`, what the
// interchange's envelope checks found wrong with the message, come first and count against the
// message's findings limit.
py::Expected<MessageReport> report_for(std::size_t index, const edi_energy::any_message::AnyMessage& message,
                                       std::chrono::year_month_day on,
                                       std::span<const ::edifact::report::ValidationIssue> envelope_findings = {},
                                       MessageNaming naming = MessageNaming::None);

// 10000 to 99999, else ValueError "invalid Pruefidentifikator {}: …" with the value as given.
py::Expected<std::uint32_t> pid(std::int64_t value);
// The same for a Python int argument of any size; a non-int is the binding layer's TypeError.
py::Expected<std::uint32_t> pid(py::Arg value);

}  // namespace quorvane_native::edifact

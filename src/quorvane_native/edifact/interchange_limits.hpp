// What validate_edifact's reader refuses of an interchange as a whole, checked on the payloads
// before they are wrapped: more messages, segments or bytes than it reads, and a message
// reference that two messages share.
#pragma once

#include <cstddef>
#include <span>
#include <string_view>

#include "edi_energy/builders/payload_messages.hpp"
#include "quorvane_native/py/errors.hpp"

namespace quorvane_native::edifact {

// ValueError naming the first payload, `messages[i]`, whose messages repeat a reference or take
// the interchange past the reader's count of messages or segments.
py::Status check_messages_readable(std::span<const edi_energy::builders::PayloadMessages> payloads);

// ValueError naming the first payload that takes the written interchange past the reader's size;
// `payload_bytes` as written, `envelope_bytes` those of UNB and UNZ.
py::Status check_size_readable(std::span<const std::size_t> payload_bytes, std::size_t envelope_bytes);

// The bytes of a UTF-8 text written in ISO 8859-1, one to a character.
std::size_t latin1_size(std::string_view utf8);

}  // namespace quorvane_native::edifact

// The received interchange that an answer builder correlates with: parsed whole with the shared
// platform, and the message a caller selects from it.
#pragma once

#include <cstdint>
#include <string_view>

#include "edi_energy/interchange.hpp"
#include "quorvane_native/py/errors.hpp"

namespace quorvane_native::edifact {

// ValueError "EDIFACT parse failed: {}" unless the bytes are a whole interchange with UNB.
py::Expected<edi_energy::interchange::ParsedInterchange> parse_received(std::string_view raw);

// The message at `index`; ValueError "the interchange carries {} message(s), so there is no
// message_index={} to {verb}" past the end.
py::Expected<const edi_energy::interchange::MessageEnvelope*> received_message(
    const edi_energy::interchange::ParsedInterchange& parsed, std::uint64_t index, std::string_view verb);

}  // namespace quorvane_native::edifact

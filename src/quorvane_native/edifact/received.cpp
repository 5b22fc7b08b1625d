#include "quorvane_native/edifact/received.hpp"

#include <fmt/format.h>

#include "quorvane_native/edifact/platform.hpp"

namespace quorvane_native::edifact {

py::Expected<edi_energy::interchange::ParsedInterchange> parse_received(std::string_view raw) {
  auto parsed = platform::PLATFORM.get().parse_interchange_full(raw);
  if (!parsed) return py::value_error("EDIFACT parse failed: " + parsed.error().message());
  return std::move(*parsed);
}

py::Expected<const edi_energy::interchange::MessageEnvelope*> received_message(
    const edi_energy::interchange::ParsedInterchange& parsed, std::uint64_t index, std::string_view verb) {
  if (index >= parsed.messages.size()) {
    return py::value_error(fmt::format("the interchange carries {} message(s), so there is no message_index={} to {}",
                                       parsed.messages.size(), index, verb));
  }
  return &parsed.messages[index];
}

}  // namespace quorvane_native::edifact

#include "quorvane_native/edifact/interchange_limits.hpp"

#include <fmt/format.h>

#include <algorithm>
#include <string>
#include <unordered_map>

#include "edi_energy/platform/input_segments.hpp"
#include "support/debug_quote.hpp"

namespace quorvane_native::edifact {

namespace {

using edi_energy::platform::MAX_INPUT_BYTES;
using edi_energy::platform::MAX_INTERCHANGE_MESSAGES;
using edi_energy::platform::MAX_SEGMENTS;

constexpr std::size_t ENVELOPE_SEGMENTS = 2;  // UNB and UNZ

py::Failure past_limit(std::size_t at, std::string_view what, std::size_t count, std::size_t limit) {
  return py::value_error(fmt::format("messages[{}]: with it the interchange would hold {} {}; validate_edifact "
                                     "reads at most {} — send the rest in another interchange",
                                     at, count, what, limit));
}

}  // namespace

py::Status check_messages_readable(std::span<const edi_energy::builders::PayloadMessages> payloads) {
  std::unordered_map<std::string_view, std::size_t> first_in;
  std::size_t messages = 0;
  std::size_t segments = ENVELOPE_SEGMENTS;
  for (std::size_t at = 0; at < payloads.size(); ++at) {
    for (const std::string& reference : payloads[at].references) {
      const auto [earlier, fresh] = first_in.try_emplace(reference, at);
      if (fresh) continue;
      // The reader tells the messages of an interchange apart by it (UNH DE 0062).
      const auto where = earlier->second == at ? std::string("twice")
                                               : fmt::format("as messages[{}] does", earlier->second);
      return py::value_error(fmt::format("messages[{}] holds the message reference {} {}: every message of an "
                                         "interchange has its own",
                                         at, support::debug_quote(reference), where));
    }
    messages += payloads[at].references.size();
    if (messages > MAX_INTERCHANGE_MESSAGES) return past_limit(at, "messages", messages, MAX_INTERCHANGE_MESSAGES);
    segments += payloads[at].segments;
    if (segments > MAX_SEGMENTS) return past_limit(at, "segments", segments, MAX_SEGMENTS);
  }
  return {};
}

py::Status check_size_readable(std::span<const std::size_t> payload_bytes, std::size_t envelope_bytes) {
  std::size_t bytes = envelope_bytes;
  for (std::size_t at = 0; at < payload_bytes.size(); ++at) {
    bytes += payload_bytes[at];
    if (bytes > MAX_INPUT_BYTES) return past_limit(at, "bytes", bytes, MAX_INPUT_BYTES);
  }
  return {};
}

std::size_t latin1_size(std::string_view utf8) {
  // Every character has one leading byte; continuation bytes are 10xxxxxx.
  return static_cast<std::size_t>(std::ranges::count_if(
      utf8, [](char byte) { return (static_cast<unsigned char>(byte) & 0xC0) != 0x80; }));
}

}  // namespace quorvane_native::edifact

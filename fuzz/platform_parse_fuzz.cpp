// Fuzzes the platform parse: any bytes give a parsed interchange, a message or one error, under
// both parse operations, and what they return keeps the limits and checks they promise.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "edi_energy/platform/input_route.hpp"
#include "edi_energy/platform/input_segments.hpp"
#include "edi_energy/platform/platform.hpp"
#include "edi_energy/registry/shared_registry.hpp"

namespace {

namespace platform = edi_energy::platform;

void require(bool holds) {
  if (!holds) std::abort();
}

const platform::Platform& shared_platform() {
  static const platform::Platform made(edi_energy::registry::REGISTRY.get());
  return made;
}

void check_interchange(std::string_view input) {
  auto parsed = shared_platform().parse_interchange_full(input);
  if (!parsed) {
    require(!parsed.error().message().empty());
    return;
  }
  require(parsed->messages.size() <= platform::MAX_INTERCHANGE_MESSAGES);
  require(parsed->unz_message_count == 0 || parsed->unz_message_count == parsed->unz_counted());
  require(parsed->group_count == 0 || parsed->group_count <= input.size() / 8);
  require(parsed->unz_control_ref.empty() || parsed->unz_control_ref == parsed->header.control_ref);
  for (std::size_t i = 0; i < parsed->messages.size(); ++i) {
    const auto& envelope = parsed->messages[i];
    require(envelope.index == i);
    require(envelope.header == parsed->header);
    require(envelope.message.segments().front().tag() == "UNH");
    require(envelope.message.segments().back().tag() == "UNT");
    for (const auto& segment : envelope.message.segments()) require(segment.span().end <= input.size());
    (void)envelope.receipt_context();
  }
}

void check_bare(std::string_view input) {
  auto message = shared_platform().parse(input);
  if (!message) {
    require(!message.error().message().empty());
    return;
  }
  require(message->segments().size() <= platform::MAX_BARE_MESSAGE_SEGMENTS);
  for (const auto& segment : message->segments()) require(segment.span().end <= input.size());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  (void)platform::is_interchange(input);
  require(platform::count_message_headers(input) <= size / 4 + 1);
  check_interchange(input);
  check_bare(input);
  return 0;
}

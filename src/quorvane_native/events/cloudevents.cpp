#include "quorvane_native/events/cloudevents.hpp"

#include <algorithm>

#include <fmt/format.h>

#include "support/time_text/rfc3339.hpp"
#include "support/debug_quote.hpp"

namespace quorvane_native::events {

bool is_valid_extension_key(std::string_view key) {
  if (key.empty()) return false;
  const bool lower_alphanumeric = std::ranges::all_of(
      key, [](char c) { return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9'); });
  return lower_alphanumeric &&
         std::ranges::find(CLOUDEVENT_CORE_ATTRIBUTES, key) == CLOUDEVENT_CORE_ATTRIBUTES.end();
}

std::string message(const CloudEventTimeError& error) {
  return fmt::format("CloudEvents `time` must be RFC 3339, got {}: {}",
                     support::debug_quote(error.value), support::time_text::reason(error.reason));
}

std::expected<std::string, CloudEventTimeError> parse_cloudevent_time(std::string_view value) {
  const auto parsed = support::time_text::parse_rfc3339(value);
  if (!parsed) {
    return std::unexpected(CloudEventTimeError{.value = std::string(value), .reason = parsed.error()});
  }
  return support::time_text::format_rfc3339(*parsed);
}

}  // namespace quorvane_native::events

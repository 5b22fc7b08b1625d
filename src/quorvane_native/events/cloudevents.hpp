// The CloudEvents 1.0 envelope as seen by emitters and test harnesses: its attribute and JSON
// member names, the rule for extension attribute names, and the check of the `time` attribute.
#pragma once

#include <array>
#include <expected>
#include <string>
#include <string_view>

#include "support/time_text/parse_error.hpp"

namespace quorvane_native::events {

// The eight context attributes and the payload member `data`, which an extension must not
// collide with either.
inline constexpr std::array<std::string_view, 9> CLOUDEVENT_CORE_ATTRIBUTES{
    "specversion", "id", "source", "type", "time", "subject", "datacontenttype", "dataschema",
    "data",
};

// The JSON format's members: the above and the carrier of binary payloads.
inline constexpr std::array<std::string_view, 10> CLOUDEVENT_JSON_MEMBERS{
    "specversion", "id", "source", "type", "time", "subject", "datacontenttype", "dataschema",
    "data", "data_base64",
};

// Non-empty, only "a"-"z" and "0"-"9", and no core attribute name. No length limit.
bool is_valid_extension_key(std::string_view key);

struct CloudEventTimeError {
  enum class Kind { NotRfc3339 };
  Kind kind = Kind::NotRfc3339;
  std::string value;
  support::time_text::ParseError reason;
};
std::string message(const CloudEventTimeError& error);

// `value` validated as RFC 3339 and written back in normal form, in its own offset.
std::expected<std::string, CloudEventTimeError> parse_cloudevent_time(std::string_view value);

}  // namespace quorvane_native::events

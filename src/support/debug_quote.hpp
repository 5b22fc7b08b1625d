// The quoted, escaped display of a text or a character used in error messages and findings:
// "a\"b" for texts, 'é' for characters; control, format, separator, private-use and unassigned
// characters and combining marks as \u{hex}, so that no text can hide or reorder what it holds.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace support {

std::string debug_quote(std::string_view text);
// The same as a Python string literal, for a call a message advises: "A\xa0B".
std::string python_quote(std::string_view text);
std::string debug_quote(char32_t character);
// ["a", "b"]
std::string debug_quote(const std::vector<std::string>& texts);
// Some(55001) / None
std::string debug_option(std::optional<std::uint32_t> value);
inline std::string_view debug_bool(bool value) { return value ? "true" : "false"; }

}  // namespace support

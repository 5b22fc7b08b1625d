// OBIS codes (IEC 62056-61), the names of measured quantities: the written form
// [A[-B]:]C.D[.E][*F] parsed into its value groups and rendered canonically.
#pragma once

#include <cstdint>
#include <expected>
#include <optional>
#include <string>
#include <string_view>

#include "rubo4e/error.hpp"

namespace rubo4e::identifiers::obis_code {

using rubo4e::error::IdentifierError;

struct ObisComponents {
  std::optional<std::uint8_t> a;
  std::optional<std::uint8_t> b;  // only together with A
  std::uint8_t c = 0;
  std::uint8_t d = 0;
  std::optional<std::uint8_t> e;
  std::optional<std::uint8_t> f;

  // "1-0:1.8.0*255"; F only when `include_f` is set, and always introduced by "*".
  std::string render(bool include_f) const;

  bool operator==(const ObisComponents&) const = default;
};

struct ParsedGroup {
  std::uint8_t value;
  std::string_view rest;  // the text after the group's digits

  bool operator==(const ParsedGroup&) const = default;
};

// The leading run of ASCII digits as one octet; nothing when there are no leading digits or
// their value exceeds 255. Leading zeros are allowed.
std::optional<ParsedGroup> parse_group(std::string_view text);

std::expected<ObisComponents, IdentifierError> validate_and_parse(std::string_view text);

class ObisCode {
 public:
  // validate_and_parse, then the canonical text with F.
  static std::expected<ObisCode, IdentifierError> create(std::string_view text);

  const std::string& as_str() const { return text_; }
  const ObisComponents& components() const { return components_; }

  bool operator==(const ObisCode&) const = default;

 private:
  ObisCode(std::string text, ObisComponents components) : text_(std::move(text)), components_(components) {}
  std::string text_;
  ObisComponents components_;
};

}  // namespace rubo4e::identifiers::obis_code

// Character repertoires of EDIFACT interchanges (UNOA to UNOK, UNOY): naming them by syntax
// identifier, finding the one an interchange declares, and converting between them and UTF-8.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "edifact/charset/tables.hpp"
#include "edifact/error.hpp"

namespace edifact::charset {

enum class Charset : std::uint8_t {
  Unoa,  // ASCII
  Unob,  // ASCII
  Unoc,  // ISO 8859-1
  Unod,  // ISO 8859-2
  Unoe,  // ISO 8859-5
  Unof,  // ISO 8859-7
  Unog,  // ISO 8859-3
  Unoh,  // ISO 8859-4
  Unoi,  // ISO 8859-6
  Unoj,  // ISO 8859-8
  Unok,  // ISO 8859-9
  Unoy,  // ISO 10646, as UTF-8
};

inline constexpr std::array<Charset, 12> all_charsets = {
    Charset::Unoa, Charset::Unob, Charset::Unoc, Charset::Unod, Charset::Unoe, Charset::Unof,
    Charset::Unog, Charset::Unoh, Charset::Unoi, Charset::Unoj, Charset::Unok, Charset::Unoy,
};

// The syntax identifier, which is also the repertoire's name in error messages.
constexpr std::string_view name(Charset charset) {
  constexpr std::array<std::string_view, 12> names = {
      "UNOA", "UNOB", "UNOC", "UNOD", "UNOE", "UNOF", "UNOG", "UNOH", "UNOI", "UNOJ", "UNOK", "UNOY",
  };
  return names[static_cast<std::size_t>(charset)];
}

// Either the caller's input, unchanged and not copied, or a converted copy.
class Converted {
 public:
  static Converted borrowed(std::string_view input) {
    Converted converted;
    converted.borrowed_ = input;
    return converted;
  }
  static Converted owned(std::string output) {
    Converted converted;
    converted.owned_ = std::move(output);
    return converted;
  }

  std::string_view view() const { return owned_ ? std::string_view(*owned_) : borrowed_; }
  bool is_borrowed() const { return !owned_.has_value(); }
  std::string into_string() && { return owned_ ? std::move(*owned_) : std::string(borrowed_); }

 private:
  Converted() = default;
  std::string_view borrowed_;
  std::optional<std::string> owned_;
};

// Exact and case-sensitive: "UNOC" names ISO 8859-1, "unoc" names nothing.
Result<Charset> from_syntax_identifier(std::string_view identifier);

// The repertoire named by the interchange's UNB (after an optional UNA), or nothing when the
// input declares none.
Result<std::optional<Charset>> sniff_charset(std::string_view input);

// Bytes of the repertoire to UTF-8 text.
Result<Converted> decode(Charset charset, std::string_view bytes);

// UTF-8 text to bytes of the repertoire. Offsets in errors count bytes of `text`.
Result<Converted> encode(Charset charset, std::string_view text);

// As `encode`, appending to `out` without a buffer of its own; on failure `out` is left as it
// was.
Result<void> append_encoded(Charset charset, std::string_view text, std::string& out);

}  // namespace edifact::charset

// Marktpartner-ID: thirteen digits that name a market participant. The check digit follows
// either the BDEW numeric scheme or the GS1 GLN (EAN-13) scheme; the first two digits tell
// which body issued the ID and so which qualifier it carries in UNB.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <expected>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "rubo4e/error.hpp"

namespace rubo4e::identifiers::marktpartner_id {

using rubo4e::error::IdentifierError;

inline constexpr std::size_t length = 13;
inline constexpr std::uint8_t bdew_min_first_digit = 0;
inline constexpr std::size_t gln_base_length = length - 1;

class MarktpartnerId {
 public:
  // Thirteen ASCII digits; no check digit is tested, since the ID alone does not say which
  // scheme applies.
  static std::expected<MarktpartnerId, IdentifierError> create(std::string_view text);

  const std::string& as_str() const { return text_; }
  // The last digit is the GS1 check digit (weights 1, 3, 1, 3, … from the left) of the others.
  bool has_valid_gln_check_digit() const;
  // The last digit is the BDEW numeric check digit of the others.
  bool has_valid_bdew_check_digit() const;

  bool operator==(const MarktpartnerId&) const = default;

 private:
  explicit MarktpartnerId(std::string text) : text_(std::move(text)) {}
  std::string text_;
};

enum class CheckDigitScheme : std::uint8_t { Bdew, Gln };

// "bdew" or "gln"
std::string_view scheme_name(CheckDigitScheme scheme);
// "bdew" and its alias "dvgw" (the DVGW issues its IDs under the BDEW scheme), "gln"; exact
// spelling only.
std::optional<CheckDigitScheme> scheme_from_name(std::string_view name);
// The schemes whose check digit `text` satisfies, BDEW first; empty when `text` is not a
// Marktpartner-ID at all.
std::vector<CheckDigitScheme> check_digit_schemes(std::string_view text);

// The twelve-digit base with its BDEW check digit appended.
std::expected<std::string, IdentifierError> bdew_from_base(std::string_view base);

enum class GlnCompletionFailure : std::uint8_t { BaseNotTwelveDigits, NoCheckDigitCompletes };
// The twelve-digit base completed by trying the digits 0 to 9 in turn until the GS1 check digit
// holds.
std::expected<MarktpartnerId, GlnCompletionFailure> gln_from_base(std::string_view base);

// Who issued an ID with a given two-digit prefix, and the UNB partner-ID code qualifier
// (DE 0007) that goes with it.
struct Vergabestelle {
  std::string_view prefix;
  std::string_view authority;
  std::string_view unb_qualifier;
};
inline constexpr std::array<Vergabestelle, 2> vergabestellen{{
    {"99", "BDEW", "500"},
    {"98", "DVGW", "502"},
}};
inline constexpr Vergabestelle gs1_vergabestelle{"", "GS1 GLN", "14"};

const Vergabestelle& vergabestelle(const MarktpartnerId& id);
// "BDEW", "DVGW" or "GS1 GLN"
inline std::string_view authority(const MarktpartnerId& id) { return vergabestelle(id).authority; }
// "500", "502" or "14"
inline std::string_view unb_qualifier(const MarktpartnerId& id) { return vergabestelle(id).unb_qualifier; }

}  // namespace rubo4e::identifiers::marktpartner_id

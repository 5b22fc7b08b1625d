#include "rubo4e/identifiers/marktpartner_id.hpp"

#include <algorithm>

#include "rubo4e/identifiers/checksum.hpp"

namespace rubo4e::identifiers::marktpartner_id {
namespace {

using rubo4e::error::ExpectedLength;

bool is_digit(char c) { return c >= '0' && c <= '9'; }

struct SchemeName {
  std::string_view name;
  CheckDigitScheme scheme;
};
constexpr std::array<SchemeName, 3> scheme_names{{
    {"bdew", CheckDigitScheme::Bdew},
    {"dvgw", CheckDigitScheme::Bdew},
    {"gln", CheckDigitScheme::Gln},
}};

}  // namespace

std::expected<MarktpartnerId, IdentifierError> MarktpartnerId::create(std::string_view text) {
  if (text.size() != length) {
    return std::unexpected(IdentifierError::invalid_length(ExpectedLength::exactly(length), text.size()));
  }
  if (const auto non_digit = std::ranges::find_if_not(text, is_digit); non_digit != text.end()) {
    return std::unexpected(IdentifierError::invalid_character_at(text, static_cast<std::size_t>(non_digit - text.begin())));
  }
  return MarktpartnerId(std::string(text));
}

bool MarktpartnerId::has_valid_gln_check_digit() const {
  if (text_.size() != length) return false;  // only a moved-from ID
  unsigned sum = 0;
  for (std::size_t position = 0; position + 1 < text_.size(); ++position) {
    sum += static_cast<unsigned>(text_[position] - '0') * (position % 2 == 0 ? 1u : 3u);
  }
  return static_cast<unsigned>(text_.back() - '0') == (10 - sum % 10) % 10;
}

bool MarktpartnerId::has_valid_bdew_check_digit() const {
  return checksum::validate_numeric_id(text_, length, bdew_min_first_digit).has_value();
}

std::string_view scheme_name(CheckDigitScheme scheme) {
  switch (scheme) {
    case CheckDigitScheme::Bdew: return "bdew";
    case CheckDigitScheme::Gln: return "gln";
  }
  return {};
}

std::optional<CheckDigitScheme> scheme_from_name(std::string_view name) {
  const auto found = std::ranges::find(scheme_names, name, &SchemeName::name);
  if (found == scheme_names.end()) return std::nullopt;
  return found->scheme;
}

std::vector<CheckDigitScheme> check_digit_schemes(std::string_view text) {
  std::vector<CheckDigitScheme> schemes;
  const auto id = MarktpartnerId::create(text);
  if (!id) return schemes;
  if (id->has_valid_bdew_check_digit()) schemes.push_back(CheckDigitScheme::Bdew);
  if (id->has_valid_gln_check_digit()) schemes.push_back(CheckDigitScheme::Gln);
  return schemes;
}

std::expected<std::string, IdentifierError> bdew_from_base(std::string_view base) {
  return checksum::compute_numeric_id_from_base(base, length, bdew_min_first_digit);
}

std::expected<MarktpartnerId, GlnCompletionFailure> gln_from_base(std::string_view base) {
  if (base.size() != gln_base_length || !std::ranges::all_of(base, is_digit)) {
    return std::unexpected(GlnCompletionFailure::BaseNotTwelveDigits);
  }
  std::string candidate(base);
  candidate.push_back('0');
  for (char digit = '0'; digit <= '9'; ++digit) {
    candidate.back() = digit;
    if (auto id = MarktpartnerId::create(candidate); id && id->has_valid_gln_check_digit()) return *id;
  }
  return std::unexpected(GlnCompletionFailure::NoCheckDigitCompletes);
}

const Vergabestelle& vergabestelle(const MarktpartnerId& id) {
  const std::string_view prefix = std::string_view(id.as_str()).substr(0, 2);
  const auto found = std::ranges::find(vergabestellen, prefix, &Vergabestelle::prefix);
  return found == vergabestellen.end() ? gs1_vergabestelle : *found;
}

}  // namespace rubo4e::identifiers::marktpartner_id

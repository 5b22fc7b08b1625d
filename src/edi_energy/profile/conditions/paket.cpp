#include "edi_energy/profile/conditions/paket.hpp"

#include <algorithm>

#include "edi_energy/profile/unicode_text.hpp"
#include "support/decimal.hpp"

namespace edi_energy::profile::conditions {
namespace {

std::optional<std::size_t> bound(std::string_view text) {
  if (text.starts_with('+')) text.remove_prefix(1);
  return support::parse_decimal<std::size_t>(text);
}

}  // namespace

std::optional<Paket> Paket::parse(std::string_view reference) {
  const std::size_t p = reference.find('P');
  if (p == std::string_view::npos || p == 0) return std::nullopt;
  const std::string_view digits = reference.substr(0, p);
  if (!std::all_of(digits.begin(), digits.end(), unicode_text::is_ascii_digit)) return std::nullopt;
  Paket paket{std::string(reference.substr(0, p + 1)), 0, std::nullopt};
  const std::string_view bounds = reference.substr(p + 1);
  if (bounds.empty()) return paket;
  const std::size_t dots = bounds.find("..");
  if (dots == std::string_view::npos) return std::nullopt;
  const std::optional<std::size_t> min = bound(bounds.substr(0, dots));
  if (!min) return std::nullopt;
  paket.min = *min;
  const std::string_view max_text = bounds.substr(dots + 2);
  if (max_text == "n") return paket;
  const std::optional<std::size_t> max = bound(max_text);
  if (!max) return std::nullopt;
  paket.max = *max;
  return paket;
}

}  // namespace edi_energy::profile::conditions

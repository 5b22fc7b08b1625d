#include "edi_energy/profile/numeric_value.hpp"

#include <algorithm>

namespace edi_energy::profile::numeric_value {
namespace {

bool digits(std::string_view text) {
  return !text.empty() && std::ranges::all_of(text, [](char c) { return c >= '0' && c <= '9'; });
}

}  // namespace

std::optional<NumericParts> read(std::string_view text) {
  NumericParts parts;
  if (text.starts_with('-')) {
    parts.negative = true;
    text.remove_prefix(1);
  }
  const std::size_t mark = text.find_first_of(".,");
  parts.int_digits = text.substr(0, std::min(mark, text.size()));
  if (!digits(parts.int_digits)) return std::nullopt;
  if (mark != std::string_view::npos) {
    parts.frac_digits = text.substr(mark + 1);
    if (!digits(parts.frac_digits)) return std::nullopt;
  }
  return parts;
}

}  // namespace edi_energy::profile::numeric_value

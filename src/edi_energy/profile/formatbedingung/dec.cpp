#include "edi_energy/profile/formatbedingung/dec.hpp"

#include <algorithm>

#include "edi_energy/profile/numeric_value.hpp"

namespace edi_energy::profile::formatbedingung {
namespace {

std::strong_ordering magnitude_order(const Dec& a, const Dec& b) {
  if (a.int_digits.size() != b.int_digits.size()) return a.int_digits.size() <=> b.int_digits.size();
  if (auto order = a.int_digits.compare(b.int_digits) <=> 0; order != 0) return order;
  const std::size_t width = std::max(a.frac_digits.size(), b.frac_digits.size());
  std::string a_frac = a.frac_digits;
  std::string b_frac = b.frac_digits;
  a_frac.resize(width, '0');
  b_frac.resize(width, '0');
  return a_frac.compare(b_frac) <=> 0;
}

}  // namespace

std::optional<Dec> Dec::parse(std::string_view text) {
  const auto parts = numeric_value::read(text);
  if (!parts) return std::nullopt;
  std::string_view int_part = parts->int_digits;
  std::string_view frac_part = parts->frac_digits;
  while (int_part.starts_with('0')) int_part.remove_prefix(1);
  while (frac_part.ends_with('0')) frac_part.remove_suffix(1);
  Dec dec{std::string(int_part), std::string(frac_part), false};
  dec.negative = parts->negative && !(dec.int_digits.empty() && dec.frac_digits.empty());
  return dec;
}

std::strong_ordering Dec::cmp(const Dec& a, const Dec& b) {
  if (a.negative != b.negative) return a.negative ? std::strong_ordering::less : std::strong_ordering::greater;
  const std::strong_ordering order = magnitude_order(a, b);
  return a.negative ? 0 <=> order : order;
}

}  // namespace edi_energy::profile::formatbedingung

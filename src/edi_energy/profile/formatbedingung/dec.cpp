#include "edi_energy/profile/formatbedingung/dec.hpp"

#include <algorithm>

#include "edi_energy/profile/unicode_text.hpp"

namespace edi_energy::profile::formatbedingung {
namespace {

bool digits_only(std::string_view text) {
  return std::all_of(text.begin(), text.end(), unicode_text::is_ascii_digit);
}

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
  if (text.empty()) return std::nullopt;
  bool negative = false;
  if (text.front() == '-' || text.front() == '+') {
    negative = text.front() == '-';
    text.remove_prefix(1);
    if (text.empty()) return std::nullopt;
  }
  const std::size_t point = text.find('.');
  std::string_view int_part = text.substr(0, std::min(point, text.size()));
  std::string_view frac_part = point == std::string_view::npos ? std::string_view{} : text.substr(point + 1);
  if (!digits_only(int_part) || !digits_only(frac_part)) return std::nullopt;
  if (int_part.empty() && frac_part.empty()) return std::nullopt;
  while (int_part.starts_with('0')) int_part.remove_prefix(1);
  while (frac_part.ends_with('0')) frac_part.remove_suffix(1);
  Dec dec{std::string(int_part), std::string(frac_part), false};
  dec.negative = negative && !(dec.int_digits.empty() && dec.frac_digits.empty());
  return dec;
}

std::strong_ordering Dec::cmp(const Dec& a, const Dec& b) {
  if (a.negative != b.negative) return a.negative ? std::strong_ordering::less : std::strong_ordering::greater;
  const std::strong_ordering order = magnitude_order(a, b);
  return a.negative ? 0 <=> order : order;
}

}  // namespace edi_energy::profile::formatbedingung

#include "edi_energy/profile/numeric_value.hpp"

namespace edi_energy::profile::numeric_value {
namespace {

bool is_digit(char c) { return c >= '0' && c <= '9'; }

// Where the run of digits from `at` ends.
std::size_t digits_end(std::string_view text, std::size_t at) {
  while (at < text.size() && is_digit(text[at])) ++at;
  return at;
}

}  // namespace

// One pass over the text: every MIG "n" value of a message comes through here.
std::optional<NumericParts> read(std::string_view text) {
  NumericParts parts;
  if (text.starts_with('-')) {
    parts.negative = true;
    text.remove_prefix(1);
  }
  const std::size_t mark = digits_end(text, 0);
  if (mark == 0) return std::nullopt;
  parts.int_digits = text.substr(0, mark);
  if (mark == text.size()) return parts;
  if (text[mark] != '.' && text[mark] != ',') return std::nullopt;
  if (digits_end(text, mark + 1) != text.size() || mark + 1 == text.size()) return std::nullopt;
  parts.frac_digits = text.substr(mark + 1);
  return parts;
}

}  // namespace edi_energy::profile::numeric_value

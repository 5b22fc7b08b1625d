#include "edi_energy/messages/common/location_id.hpp"

#include <algorithm>
#include <cstddef>

namespace edi_energy::messages::common {
namespace {

constexpr std::size_t malo_id_length = 11;
constexpr std::size_t melo_id_length = 33;
constexpr std::size_t country_code_length = 2;

// Byte tests of our own: <cctype> would follow the locale and wants unsigned-char arguments.
constexpr bool is_upper(char byte) { return byte >= 'A' && byte <= 'Z'; }
constexpr bool is_lower(char byte) { return byte >= 'a' && byte <= 'z'; }
constexpr bool is_digit(char byte) { return byte >= '0' && byte <= '9'; }
constexpr bool is_letter_or_digit(char byte) { return is_upper(byte) || is_lower(byte) || is_digit(byte); }

}  // namespace

bool is_valid_malo_id(std::string_view text) {
  return text.size() == malo_id_length &&
         std::ranges::all_of(text, [](char byte) { return is_upper(byte) || is_digit(byte); });
}

bool is_valid_melo_id(std::string_view text) {
  if (text.size() != melo_id_length) return false;
  const std::string_view country = text.substr(0, country_code_length);
  const std::string_view rest = text.substr(country_code_length);
  return std::ranges::all_of(country, is_upper) &&
         std::ranges::all_of(rest, is_letter_or_digit);
}

}  // namespace edi_energy::messages::common

#include "edi_energy/profile/json_number.hpp"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <limits>

#include <fmt/format.h>

namespace edi_energy::profile::json {

namespace {

constexpr bool is_digit(char character) { return character >= '0' && character <= '9'; }

std::size_t digit_run(std::string_view text, std::size_t from) {
  std::size_t end = from;
  while (end < text.size() && is_digit(text[end])) ++end;
  return end - from;
}

bool is_number_grammar(std::string_view text) {
  std::size_t index = 0;
  if (index < text.size() && text[index] == '-') ++index;
  const std::size_t integer_digits = digit_run(text, index);
  if (integer_digits == 0 || (integer_digits > 1 && text[index] == '0')) return false;
  index += integer_digits;
  if (index < text.size() && text[index] == '.') {
    const std::size_t fraction_digits = digit_run(text, index + 1);
    if (fraction_digits == 0) return false;
    index += 1 + fraction_digits;
  }
  if (index < text.size() && (text[index] == 'e' || text[index] == 'E')) {
    ++index;
    if (index < text.size() && (text[index] == '+' || text[index] == '-')) ++index;
    const std::size_t exponent_digits = digit_run(text, index);
    if (exponent_digits == 0) return false;
    index += exponent_digits;
  }
  return index == text.size();
}

bool is_integer_text(std::string_view text) {
  return text.find_first_of(".eE") == std::string_view::npos;
}

// The shortest text that reads back as `value`, always with a decimal point or an exponent and
// the exponent without sign padding: 2.0, 0.5, 1e20, 1.5e-7.
std::string render_floating(double value) {
  std::string text = fmt::format("{}", value);
  const std::size_t exponent = text.find('e');
  if (exponent != std::string::npos) {
    std::size_t digits = exponent + 1;
    std::string sign;
    if (digits < text.size() && (text[digits] == '+' || text[digits] == '-')) {
      if (text[digits] == '-') sign = "-";
      ++digits;
    }
    while (digits + 1 < text.size() && text[digits] == '0') ++digits;
    return text.substr(0, exponent) + "e" + sign + text.substr(digits);
  }
  if (text.find('.') == std::string::npos) text += ".0";
  return text;
}

}  // namespace

std::string NumberToken::describe() const {
  switch (form) {
    case Form::Unsigned: return fmt::format("integer `{}`", magnitude);
    case Form::Negative: return fmt::format("integer `-{}`", magnitude);
    case Form::Floating: break;
  }
  return fmt::format("floating point `{}`", render_floating(floating));
}

NumberReading read_number(std::string_view text) {
  if (!is_number_grammar(text)) return NumberReading{std::nullopt, NumberFault::Malformed};
  NumberToken token;
  token.text = text;
  const bool negative = text.front() == '-';
  if (is_integer_text(text)) {
    const std::string_view digits = negative ? text.substr(1) : text;
    std::uint64_t magnitude = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), magnitude);
    constexpr auto negative_limit = std::uint64_t{1} << 63;
    const bool fits = error == std::errc{} && end == digits.data() + digits.size();
    if (fits && !negative) {
      token.form = NumberToken::Form::Unsigned;
      token.magnitude = magnitude;
      return NumberReading{token};
    }
    if (fits && magnitude != 0 && magnitude <= negative_limit) {
      token.form = NumberToken::Form::Negative;
      token.magnitude = magnitude;
      return NumberReading{token};
    }
  }
  double value = 0.0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error == std::errc::result_out_of_range) {
    // from_chars leaves the value alone; strtod tells overflow (infinite) from underflow.
    const std::string terminated(text);
    value = std::strtod(terminated.c_str(), nullptr);
  } else if (error != std::errc{}) {
    return NumberReading{std::nullopt, NumberFault::Malformed};
  }
  if (!std::isfinite(value)) return NumberReading{std::nullopt, NumberFault::OutOfRange};
  token.form = NumberToken::Form::Floating;
  token.floating = value;
  return NumberReading{token};
}

}  // namespace edi_energy::profile::json

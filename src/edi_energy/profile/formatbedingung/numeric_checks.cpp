// Comparisons and digit counts of decimal values. Messages show the value as given, never its
// normal form.
#include <fmt/format.h>

#include "edi_energy/profile/formatbedingung/checks.hpp"
#include "edi_energy/profile/formatbedingung/dec.hpp"

namespace edi_energy::profile::formatbedingung {
namespace {

constexpr std::string_view not_a_number = "is not a number";

enum class Side : std::uint8_t { AtLeast, AtMost, Above, Below };

// The value must lie on `side` of the bound; else "is {value}, not {≥ bound}".
Verdict compare(std::string_view value, std::string_view bound_text, Side side) {
  const std::optional<Dec> number = Dec::parse(value);
  const std::optional<Dec> bound = Dec::parse(bound_text);
  if (!number || !bound) return Verdict::violated(std::string(not_a_number));
  const std::strong_ordering order = Dec::cmp(*number, *bound);
  bool holds = false;
  std::string_view sign;
  switch (side) {
    case Side::AtLeast: holds = order >= 0, sign = "\u2265"; break;
    case Side::AtMost: holds = order <= 0, sign = "\u2264"; break;
    case Side::Above: holds = order > 0, sign = ">"; break;
    case Side::Below: holds = order < 0, sign = "<"; break;
  }
  if (holds) return Verdict::holds();
  return Verdict::violated(fmt::format("is {}, not {} {}", value, sign, bound_text));
}

}  // namespace

Verdict is_number(std::string_view value) {
  return Dec::parse(value) ? Verdict::holds() : Verdict::violated(std::string(not_a_number));
}

Verdict at_least(std::string_view value, std::string_view bound) { return compare(value, bound, Side::AtLeast); }
Verdict at_most(std::string_view value, std::string_view bound) { return compare(value, bound, Side::AtMost); }
Verdict greater_than(std::string_view value) { return compare(value, "0", Side::Above); }
Verdict less_than(std::string_view value) { return compare(value, "100", Side::Below); }

Verdict exactly(std::string_view value, std::string_view bound_text) {
  const std::optional<Dec> number = Dec::parse(value);
  const std::optional<Dec> bound = Dec::parse(bound_text);
  if (!number || !bound) return Verdict::violated(std::string(not_a_number));
  if (*number == *bound) return Verdict::holds();
  return Verdict::violated(fmt::format("is {}, not {}", value, bound_text));
}

Verdict not_exactly(std::string_view value) {
  constexpr std::string_view bound_text = "1";
  const std::optional<Dec> number = Dec::parse(value);
  if (!number) return Verdict::violated(std::string(not_a_number));
  if (*number != *Dec::parse(bound_text)) return Verdict::holds();
  return Verdict::violated(fmt::format("is {}", bound_text));
}

Verdict between(std::string_view value) {
  constexpr std::string_view low_text = "1";
  constexpr std::string_view high_text = "99999";
  const std::optional<Dec> number = Dec::parse(value);
  if (!number) return Verdict::violated(std::string(not_a_number));
  if (Dec::cmp(*number, *Dec::parse(low_text)) < 0 || Dec::cmp(*number, *Dec::parse(high_text)) > 0) {
    return Verdict::violated(fmt::format("is {}, outside {}\u2013{}", value, low_text, high_text));
  }
  if (!number->frac_digits.empty()) return Verdict::violated(fmt::format("is {}, which is not a whole number", value));
  return Verdict::holds();
}

Verdict max_integer_digits(std::string_view value, std::size_t n) {
  const std::optional<Dec> number = Dec::parse(value);
  if (!number) return Verdict::violated(std::string(not_a_number));
  const std::size_t count = number->int_digits.size();
  if (count <= n) return Verdict::holds();
  return Verdict::violated(fmt::format("is {}, which has {} Vorkommastellen, not at most {}", value, count, n));
}

Verdict max_fraction_digits(std::string_view value, std::size_t n) {
  const std::optional<Dec> number = Dec::parse(value);
  if (!number) return Verdict::violated(std::string(not_a_number));
  const std::size_t count = number->frac_digits.size();
  if (count <= n) return Verdict::holds();
  if (n == 0) return Verdict::violated(fmt::format("is {}, which has a Nachkommastelle", value));
  return Verdict::violated(fmt::format("is {}, which has {} Nachkommastellen, not at most {}", value, count, n));
}

}  // namespace edi_energy::profile::formatbedingung
